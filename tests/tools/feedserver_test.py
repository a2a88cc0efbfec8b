#!/usr/bin/env python3
"""The bundled feed server, started by its own script on a free loopback port:
every address the program uses answers as the program relies on, publish adds
an article at the top, start and stop behave, and feeddump reads the feed.

    feedserver_test.py --source SRC --work DIR [--feeddump PATH]

Exits 77 (skipped) when nginx is not installed.
"""

import argparse
import http.client
import json
import os
import shutil
import socket
import struct
import subprocess
import sys
import tempfile
import time
import unittest
import urllib.parse
import xml.etree.ElementTree as ET
import zlib

ARGS = None


def free_ports(count=2):
    """count distinct unused loopback ports: each stays bound until all are
    picked, since a port just released may be handed out again at once."""
    sockets = [socket.socket() for _ in range(count)]
    try:
        for s in sockets:
            s.bind(("127.0.0.1", 0))
        return [s.getsockname()[1] for s in sockets]
    finally:
        for s in sockets:
            s.close()


def png_size(data):
    """Width and height of a PNG after checking its signature, chunk CRCs and that
    the image data inflates to the size the header promises."""
    assert data[:8] == b"\x89PNG\r\n\x1a\n", "not a PNG"
    pos, width, height, idat = 8, None, None, b""
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        (crc,) = struct.unpack(">I", data[pos + 8 + length:pos + 12 + length])
        assert zlib.crc32(kind + body) & 0xFFFFFFFF == crc, f"bad CRC in {kind}"
        if kind == b"IHDR":
            width, height, depth, colour = struct.unpack(">IIBB", body[:10])
            assert (depth, colour) == (8, 2)
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    assert len(zlib.decompress(idat)) == height * (1 + 3 * width)
    return width, height


class FeedServerTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.tools = os.path.join(ARGS.source, "tools", "feedserver")
        os.makedirs(ARGS.work, exist_ok=True)
        cls.state = tempfile.mkdtemp(prefix="state-", dir=ARGS.work)
        cls.port, cls.tls_port = free_ports()
        cls.base = f"http://127.0.0.1:{cls.port}"
        rc = subprocess.run([os.path.join(cls.tools, "start"), cls.state, str(cls.port),
                             str(cls.tls_port)]).returncode
        if rc != 0:
            raise RuntimeError(f"start exited with {rc}")

    @classmethod
    def tearDownClass(cls):
        subprocess.run([os.path.join(cls.tools, "stop"), cls.state])
        shutil.rmtree(cls.state, ignore_errors=True)

    def get(self, target, headers=None):
        """One GET with the request shape of the program's client."""
        conn = http.client.HTTPConnection("127.0.0.1", self.port, timeout=10)
        conn.putrequest("GET", target, skip_host=True, skip_accept_encoding=True)
        for name, value in [("Content-Type", "text/html"), ("Cache-control", "no-cache"),
                            ("Host", f"127.0.0.1:{self.port}"), ("Accept", "text/html, */*"),
                            ("User-Agent", "Quarlen Messenger 1.2.5.149 test")]:
            conn.putheader(name, value)
        conn.endheaders()
        response = conn.getresponse()
        body = response.read()
        conn.close()
        return response, body

    def assert_ok(self, target):
        response, body = self.get(target)
        self.assertEqual(response.status, 200, target)
        self.assertIsNone(response.getheader("Location"), target)
        return response, body

    def feed(self):
        response, body = self.assert_ok("/feeds/messenger4.xml.win-1251")
        return response, body, ET.fromstring(body)

    def test_https_serves_the_same_site_with_a_certificate_of_its_own_authority(self):
        import ssl
        trusted = ssl.create_default_context(cafile=os.path.join(self.state, "tls", "ca.pem"))
        for host in ("127.0.0.1", "localhost"):
            conn = http.client.HTTPSConnection(host, self.tls_port, timeout=10, context=trusted)
            conn.request("GET", "/feeds/messenger4.xml.win-1251")
            response = conn.getresponse()
            self.assertEqual(response.status, 200, host)
            self.assertEqual(response.read(), self.feed()[1], host)
            conn.close()
        # The authority is private: a client that was not told of it refuses.
        conn = http.client.HTTPSConnection("127.0.0.1", self.tls_port, timeout=10,
                                           context=ssl.create_default_context())
        with self.assertRaises(ssl.SSLCertVerificationError):
            conn.request("GET", "/ping.php")
        conn.close()
        self.assertEqual(os.stat(os.path.join(self.state, "tls", "ca.key")).st_mode & 0o077, 0)

    # -- the feed -----------------------------------------------------------

    def test_feed_is_rss_in_windows_1251_with_every_item_field(self):
        response, body, root = self.feed()
        self.assertEqual(response.getheader("Content-Type"), "text/xml; charset=windows-1251")
        self.assertTrue(body.startswith(b'<?xml version="1.0" encoding="windows-1251"?>'))
        # Real single-byte Cyrillic: the code page's letters, no UTF-8 sequences.
        self.assertIn("Сбербанк".encode("cp1251"), body)
        self.assertNotIn("Сбербанк".encode("utf-8"), body)
        self.assertEqual(root.tag, "rss")
        self.assertEqual(root.get("version"), "2.0")
        items = root.findall("./channel/item")
        self.assertGreaterEqual(len(items), 18)
        links = set()
        cyrillic = latin = 0
        for item in items:
            fields = {child.tag: (child.text or "") for child in item}
            for name in ("title", "link", "description", "author", "pubDate", "ticker"):
                self.assertTrue(fields.get(name, "").strip(), f"{name} missing in {fields.get('link')}")
            links.add(fields["link"])
            if any("\u0400" <= ch <= "\u04ff" for ch in fields["title"]):
                cyrillic += 1
            else:
                latin += 1
        self.assertEqual(len(links), len(items), "links identify articles")
        self.assertGreaterEqual(cyrillic, 5)
        self.assertGreaterEqual(latin, 5)

    def test_every_ticker_leads_to_an_86_by_60_chart_of_its_symbol(self):
        _, _, root = self.feed()
        for item in root.findall("./channel/item"):
            ticker = item.findtext("ticker")
            # The symbol stands between the last "%3D" and the "%26chartstyle" after it.
            head = ticker[:ticker.lower().index("%26chartstyle")]
            symbol = head[head.rindex("%3D") + 3:]
            self.assertRegex(symbol, r"^[A-Z0-9]+$")
            url = urllib.parse.unquote(ticker)
            self.assertTrue(url.startswith(self.base + "/"), url)
            response, body = self.assert_ok(url[len(self.base):])
            self.assertEqual(response.getheader("Content-Type"), "image/png")
            self.assertEqual(png_size(body), (86, 60), symbol)
        symbols = [s for s in (item.findtext("ticker") for item in root.findall("./channel/item"))]
        self.assertTrue(any("%3DUNREF%26chartstyle" in t for t in symbols), "an UNREF article")

    def test_unknown_or_unsafe_chart_symbols_find_nothing(self):
        for query in ("symbol=NOSUCH&chartstyle=line", "symbol=..%2Ffeeds%2Fmessenger4&chartstyle=line",
                      "symbol=../feeds/x&chartstyle=line", "chartstyle=line", "symbol=.hidden"):
            response, _ = self.get("/charts/chart.php?" + query)
            self.assertEqual(response.status, 404, query)

    def test_feeddump_reads_the_served_feed_with_cyrillic_intact(self):
        if not ARGS.feeddump:
            self.skipTest("feeddump is not built in this tree")
        _, body, root = self.feed()
        with tempfile.NamedTemporaryFile(dir=ARGS.work, suffix=".xml") as f:
            f.write(body)
            f.flush()
            run = subprocess.run([ARGS.feeddump, f.name], capture_output=True)
        self.assertEqual(run.returncode, 0, run.stdout.decode("utf-8", "replace")[-500:])
        dump = json.loads(run.stdout.decode("utf-8"))
        self.assertNotIn("error", dump)
        expected = [(i.findtext("title"), i.findtext("link"), i.findtext("ticker"))
                    for i in root.findall("./channel/item")]
        got = [(i["title"], i["link"], i["ticker"]) for i in dump["items"]]
        self.assertEqual(got, expected)
        self.assertIn("Сбербанк отчитался о рекордной чистой прибыли за квартал", [t for t, _, _ in got])

    # -- the other addresses -------------------------------------------------

    def test_channel_files_are_three_equal_lists_with_rates_60_0_300(self):
        lists = {}
        for name in ("names", "links", "refreshrates"):
            response, body = self.assert_ok(f"/channels/channel_{name}.txt")
            self.assertTrue(response.getheader("Content-Type").startswith("text/plain"))
            lists[name] = body.decode("ascii").splitlines()
        self.assertEqual(len(lists["names"]), 3)
        self.assertEqual(len(lists["links"]), 3)
        self.assertEqual(lists["refreshrates"], ["60", "0", "300"])
        for link in lists["links"]:
            self.assertTrue(link.startswith(self.base + "/"), link)
            response, body = self.assert_ok(link[len(self.base):])
            self.assertIn(b"<html", body)

    def test_ping_answers_an_empty_success_and_logs_what_was_sent(self):
        response, body = self.assert_ok("/ping.php?version=1.2.5.149&email=")
        self.assertEqual(body, b"")
        # nginx logs a request once it has sent the answer, so the line may come
        # a moment after the answer did.
        line = "GET /ping.php?version=1.2.5.149&email= HTTP/1.1"
        for _ in range(50):
            with open(os.path.join(self.state, "access.log"), encoding="utf-8", errors="replace") as log:
                if line in log.read():
                    break
            time.sleep(0.05)
        else:
            self.fail("the ping is not in access.log")

    def test_update_files(self):
        _, version = self.assert_ok("/download/version.txt")
        self.assertEqual(version.strip(), b"1.2.5.149")
        _, address = self.assert_ok("/download/dlurl.txt")
        address = address.decode("ascii").strip()
        self.assertTrue(address.startswith(self.base + "/"), address)
        self.assert_ok(address[len(self.base):])

    def test_redirect_page_sends_the_browser_to_the_decoded_link(self):
        response, page = self.assert_ok("/redirect/redirect.php?url=http://a/")
        self.assertTrue(response.getheader("Content-Type").startswith("text/html"))
        self.assertIsNone(response.getheader("Set-Cookie"))
        node = shutil.which("node") or shutil.which("nodejs")
        if not node:
            self.skipTest("no JavaScript engine to run the redirect page's script")
        cases = [
            (f"{self.base}/news/0020.html", f"{self.base}/news/0020.html"),
            # The article-link encoding: the query's "?", "=" and "&" arrive as %3F, %3D, %26.
            ("http://news.example.org/news/item%20one.html%3Fid%3D5%26x%3Da+b",
             "http://news.example.org/news/item%20one.html?id=5&x=a%20b"),
            ("http://news.example.org:8080/a/b.html", "http://news.example.org:8080/a/b.html"),
            # An "&" in the path stays as the program sent it; %XX are UTF-8 bytes.
            ("https://h/a&b/c.html%3Fq%3D%D0%B6", "https://h/a&b/c.html?q=%D0%B6"),
            ("", None), ("javascript%3Aalert%281%29", None), ("file:///etc/passwd", None),
            ("http://evil.example/%0D%0ASet-Cookie:%20x=1", None), ("http://a/%00", None),
        ]
        script = page.decode("utf-8").split("<script>")[1].split("</script>")[0]
        runner = """
const vm = require("vm");
const [script, searches] = [process.argv[1], JSON.parse(process.argv[2])];
console.log(JSON.stringify(searches.map((search) => {
  let target = null;
  const window = {location: {search, replace: (url) => { target = url; }}};
  vm.runInNewContext(script, {window, document: {addEventListener() {}}, TextEncoder, TextDecoder, URL});
  return target;
})));"""
        run = subprocess.run([node, "-e", runner, script, json.dumps(["?url=" + e for e, _ in cases])],
                             capture_output=True, check=True)
        for (encoded, target), got in zip(cases, json.loads(run.stdout)):
            self.assertEqual(got, target, encoded)

    def test_banner_chart_pages_and_site_links(self):
        response, body = self.assert_ok("/mt/mtfreetitles.php")
        self.assertTrue(response.getheader("Content-Type").startswith("text/html"))
        self.assertIn(b"<html", body)
        for target in ("/en/index.php?l1=8&symbol=QQQQ", "/en/index.php?l1=8&symbol=QQQQ&per=Weekly&months=6",
                       "/en/index.php?l1=8&l2=4&symbol=SBER", "/en/index.php?l1=7&symbol=AAPL&data=24"):
            response, body = self.assert_ok(target)
            self.assertEqual(response.getheader("Content-Type"), "image/png", target)
            self.assertEqual(png_size(body), (86, 60))
        for target in ("/en/index.php?l1=8&symbol=", "/en/index.php?l1=8&symbol=NO SUCH"):
            response, body = self.get(target.replace(" ", "%20"))
            self.assertEqual(response.status, 200)
            self.assertTrue(response.getheader("Content-Type").startswith("text/html"))
        response, body = self.assert_ok("/")
        self.assertIn(b"Quarlen Messenger", body)

    # -- the scripts ----------------------------------------------------------

    def test_start_again_is_a_quiet_refusal(self):
        run = subprocess.run([os.path.join(self.tools, "start"), self.state, str(self.port)],
                             capture_output=True)
        self.assertNotEqual(run.returncode, 0)
        self.assertEqual(run.stdout + run.stderr, b"")

    def test_publish_puts_a_new_article_at_the_top(self):
        before = [i.findtext("link") for i in self.feed()[2].findall("./channel/item")]
        title = "Тестовая статья: ВТБ & партнёры <проверка>"
        run = subprocess.run([os.path.join(self.tools, "publish"), "--state", self.state,
                              title, "VTBR", "Описание — с кавычками «ёлочками»."], capture_output=True)
        self.assertEqual(run.returncode, 0, run.stderr)
        _, body, root = self.feed()
        self.assertTrue(body.startswith(b'<?xml version="1.0" encoding="windows-1251"?>'))
        items = root.findall("./channel/item")
        self.assertEqual([i.findtext("link") for i in items[1:]], before)
        top = items[0]
        self.assertEqual(top.findtext("title"), title)
        self.assertEqual(top.findtext("description"), "Описание — с кавычками «ёлочками».")
        self.assertTrue(top.findtext("link").startswith(self.base + "/news/"))
        self.assertNotIn(top.findtext("link"), before)
        ticker = urllib.parse.unquote(top.findtext("ticker"))
        response, chart = self.assert_ok(ticker[len(self.base):])
        self.assertEqual(png_size(chart), (86, 60))
        self.assert_ok(top.findtext("link")[len(self.base):])

        run = subprocess.run([os.path.join(self.tools, "publish"), "--state", self.state,
                              "x", "../etc", "y"], capture_output=True)
        self.assertNotEqual(run.returncode, 0)

    def test_publish_version_changes_version_txt(self):
        subprocess.run([os.path.join(self.tools, "publish"), "--state", self.state, "--version", "1.2.6.0"],
                       check=True, capture_output=True)
        try:
            self.assertEqual(self.assert_ok("/download/version.txt")[1], b"1.2.6.0")
        finally:
            subprocess.run([os.path.join(self.tools, "publish"), "--state", self.state,
                            "--version", "1.2.5.149"], check=True, capture_output=True)


class StartStopTest(unittest.TestCase):
    def test_stop_ends_the_server_and_a_second_stop_is_quiet(self):
        tools = os.path.join(ARGS.source, "tools", "feedserver")
        state = tempfile.mkdtemp(prefix="state-", dir=ARGS.work)
        # The TLS port too: the one above the plain port may be taken.
        port, tls_port = free_ports()
        try:
            self.assertEqual(subprocess.run([os.path.join(tools, "start"), state, str(port), str(tls_port)]).returncode,
                             0)
            with open(os.path.join(state, "nginx.pid")) as f:
                pid = int(f.read())
            self.assertEqual(subprocess.run([os.path.join(tools, "stop"), state]).returncode, 0)
            with self.assertRaises(OSError):
                socket.create_connection(("127.0.0.1", port), timeout=2).close()
            self.assertFalse(os.path.exists(f"/proc/{pid}"), "nginx master still running")
            run = subprocess.run([os.path.join(tools, "stop"), state], capture_output=True)
            self.assertNotEqual(run.returncode, 0)
            self.assertEqual(run.stdout + run.stderr, b"")
        finally:
            subprocess.run([os.path.join(tools, "stop"), state], capture_output=True)
            shutil.rmtree(state, ignore_errors=True)


def main():
    global ARGS
    parser = argparse.ArgumentParser()
    parser.add_argument("--source", required=True)
    parser.add_argument("--work", required=True)
    parser.add_argument("--feeddump")
    ARGS, rest = parser.parse_known_args()
    if not (shutil.which("nginx") or os.path.exists("/usr/sbin/nginx")):
        print("nginx is not installed; skipping the feed server test")
        return 77
    result = unittest.main(argv=[sys.argv[0]] + rest, exit=False, verbosity=2).result
    return 0 if result.wasSuccessful() else 1


if __name__ == "__main__":
    sys.exit(main())
