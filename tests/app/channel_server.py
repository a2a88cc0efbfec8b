"""The feed server of the channel tabs' end-to-end test, on 127.0.0.1.

    channel_server.py PORT_FILE LOG_FILE SECONDS [RATES]

Answers the program's own requests, which arrive through it as the proxy
(absolute URLs), and the embedded browser's requests for the channel pages,
which arrive directly. Logs "<seconds since start> <path>" for each request,
serves the pages with Cache-Control: max-age=3600 and stops after SECONDS.
RATES (default "2,0") are the channels' refresh rates; the banner page is
served too. The port is the environment's CHANNEL_SERVER_PORT, else one the
system picks."""
import http.server
import os
import sys
import threading
import time
import urllib.parse

port_file, log_file, lifetime = sys.argv[1], sys.argv[2], float(sys.argv[3])
rates = (sys.argv[4] if len(sys.argv) > 4 else "2,0").replace(",", "\r\n") + "\r\n"
started = time.monotonic()
log = open(log_file, "a", buffering=1)
lock = threading.Lock()


class Handler(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        path = urllib.parse.urlsplit(self.path).path
        with lock:
            log.write(f"{time.monotonic() - started:.2f} {path}\n")
        port = self.server.server_address[1]
        pages = f"http://127.0.0.1:{port}/channel0.html\r\nhttp://127.0.0.1:{port}/channel1.html\r\n"
        answers = {
            "/ping.php": ("text/plain", ""),
            "/channels/channel_names.txt": ("text/plain", "Zero\r\nOne\r\n"),
            "/channels/channel_links.txt": ("text/plain", pages),
            "/channels/channel_refreshrates.txt": ("text/plain", rates),
            "/mt/mtfreetitles.php": ("text/html", "<html><body>banner</body></html>"),
            "/channel0.html": ("text/html", "<html><body>channel zero</body></html>"),
            "/channel1.html": ("text/html", "<html><body>channel one</body></html>"),
        }
        if path not in answers:
            self.send_error(404)
            return
        kind, body = answers[path]
        data = body.encode()
        self.send_response(200)
        self.send_header("Content-Type", kind)
        self.send_header("Content-Length", str(len(data)))
        self.send_header("Cache-Control", "max-age=3600")
        self.send_header("Connection", "close")
        self.end_headers()
        self.wfile.write(data)

    def log_message(self, *args):
        pass


server = http.server.ThreadingHTTPServer(("127.0.0.1", int(os.environ.get("CHANNEL_SERVER_PORT", "0"))), Handler)
threading.Timer(lifetime, server.shutdown).start()
with open(port_file + ".new", "w") as f:
    f.write(str(server.server_address[1]))
os.replace(port_file + ".new", port_file)
server.serve_forever()
