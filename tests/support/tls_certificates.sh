#!/usr/bin/env bash
# Makes the certificates of the TLS test peers in DIR: the feed server's own
# authority and certificate (ca.pem, server.pem/.key: 127.0.0.1 and
# localhost), one from an authority nobody trusts (stranger), one of the
# trusted authority that expired in 2020 (expired) and one for another name
# (othername).
#
#   tls_certificates.sh SOURCE_DIR DIR
set -euo pipefail
source=${1:?} dir=${2:?}
bash "$source/tools/feedserver/certificates" "$dir"
cd "$dir"
ec=(-newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -sha256)
leaf() {  # NAME SAN: a request and the extensions for a leaf certificate
  openssl req -new "${ec[@]}" -subj "/CN=$1" -keyout "$1.key" -out "$1.csr" 2>/dev/null
  printf '%s\n' "subjectAltName=$2" "basicConstraints=CA:FALSE" "extendedKeyUsage=serverAuth" > "$1.ext"
}
[ -s stranger.pem ] || {
  openssl req -x509 -new "${ec[@]}" -days 3650 -subj "/CN=Stranger authority" -keyout stranger-ca.key \
    -out stranger-ca.pem -addext "basicConstraints=critical,CA:TRUE" 2>/dev/null
  leaf stranger "IP:127.0.0.1,DNS:localhost"
  openssl x509 -req -in stranger.csr -CA stranger-ca.pem -CAkey stranger-ca.key -CAcreateserial -days 825 \
    -extfile stranger.ext -out stranger.pem 2>/dev/null
}
[ -s othername.pem ] || {
  leaf othername "DNS:other.example,IP:10.9.8.7"
  openssl x509 -req -in othername.csr -CA ca.pem -CAkey ca.key -CAcreateserial -days 825 \
    -extfile othername.ext -out othername.pem 2>/dev/null
}
[ -s expired.pem ] || {
  # x509 -req cannot date a certificate in the past; the ca command can.
  leaf expired "IP:127.0.0.1,DNS:localhost"
  mkdir -p expired-ca && : > expired-ca/index.txt
  printf '%s\n' "[ca]" "default_ca=d" "[d]" "database=expired-ca/index.txt" "new_certs_dir=expired-ca" \
    "serial=expired-ca/serial" "default_md=sha256" "policy=p" "[p]" "commonName=supplied" > expired-ca/ca.cnf
  echo 01 > expired-ca/serial
  openssl ca -batch -config expired-ca/ca.cnf -cert ca.pem -keyfile ca.key -in expired.csr -out expired.pem \
    -startdate 20200101000000Z -enddate 20200201000000Z -extfile expired.ext -notext 2>/dev/null
}
rm -f ./*.csr ./*.ext
chmod 644 ./*.pem
