#!/usr/bin/env bash
# `cmake --install` into a staging folder, then the freedesktop validators on
# what it put there, the icon sizes, and --help / --version / a wrong option
# with no display.
set -u
build=$1
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

DESTDIR=$stage cmake --install "$build" --prefix /usr >"$stage/install.log" 2>&1 || { cat "$stage/install.log"; fail "cmake --install"; }
usr=$stage/usr
[ -x "$usr/bin/quarlen-messenger" ] || fail "no executable in bin"
desktop=$usr/share/applications/quarlen-messenger.desktop
desktop-file-validate "$desktop" || fail "desktop-file-validate"
grep -qx 'Exec=quarlen-messenger' "$desktop" || fail "the menu entry does not start quarlen-messenger"
metainfo=$(ls "$usr"/share/metainfo/*.metainfo.xml)
appstreamcli validate --no-net "$metainfo" || fail "appstreamcli validate"
grep -q '<screenshot type="default">' "$metainfo" || fail "no screenshot in the metainfo"

for size in 16 22 24 32 48 64 128 256; do
  png=$usr/share/icons/hicolor/${size}x${size}/apps/quarlen-messenger.png
  [ -f "$png" ] || fail "no $size px icon"
  # Its size, and a mark on a transparent ground: part opaque, part clear.
  read -r w h cover < <(convert "$png" -alpha extract -format '%w %h %[fx:mean]\n' info:) || fail "$png is not an image"
  [ "$w $h" = "$size $size" ] || fail "$png is ${w}x$h"
  awk -v c="$cover" 'BEGIN { exit !(c > 0.4 && c < 0.95) }' || fail "$png has alpha cover $cover"
done

# --help and --version answer before any window system is touched.
help=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$usr/bin/quarlen-messenger" --help) || fail "--help exit code"
grep -q -- '--version' <<<"$help" || fail "--help does not list --version: $help"
grep -q 'Usage: .*quarlen-messenger' <<<"$help" || fail "--help has no usage line: $help"
version=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$usr/bin/quarlen-messenger" --version) || fail "--version exit code"
[ "$version" = "quarlen-messenger ${QUARLEN_VERSION:?}" ] || fail "--version printed '$version'"
# So does a wrong option: the usage error and exit code 2, not an abort.
bogus=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$usr/bin/quarlen-messenger" --bogus 2>&1)
code=$?
[ $code -eq 2 ] || fail "--bogus ended with code $code: $bogus"
grep -q "Unknown option 'bogus'" <<<"$bogus" || fail "--bogus printed '$bogus'"
echo PASS
