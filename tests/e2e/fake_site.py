#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""A fake auction site for driving Lotwarden from the outside.

It listens on 127.0.0.1 and is meant to be reached as the program's HTTP proxy
(http_proxy=http://127.0.0.1:PORT), so it receives absolute-URL requests such as
"GET http://page.auctions.yahoo.co.jp/jp/auction/x123 HTTP/1.1" and answers them
itself; plain origin-form requests ("GET /jp/auction/x123") are served the same way.

What it answers is read from a control file before every request, so a test can change
the page while the site runs (write the whole file to a temporary name and rename it).
The control file holds key=value lines in UTF-8; missing keys keep their defaults:

  mode=item      item (an item page), login (the site's login page), notfound, noaccess,
                 cut (an item page without its closing tag), empty (no body)
  price=1,000 円  the current price cell
  left=2時間      the time-left cell, as it appears in the HTML (e.g. 3&nbsp;分, 終了)
  title=...      the item title
  status=200     the HTTP status code
  delay=0        seconds to wait before answering
  pad=0          bytes of HTML comment added to the page (for larger bodies)

Pages are encoded in EUC-JP. Every request line is appended to the log file, prefixed
with the Unix time and the local time of day:  1712345678.123 21:05:33 GET http://...
Requests for any other path get a small 404 page.
"""

import argparse
import http.server
import os
import sys
import threading
import time

DEFAULTS = {
    "mode": "item",
    "price": "1,000 円",
    "left": "2時間",
    "title": "Old camera",
    "status": "200",
    "delay": "0",
    "pad": "0",
}

ITEM_PATH = "/jp/auction/"


def read_control(path):
    settings = dict(DEFAULTS)
    if not path:
        return settings
    try:
        with open(path, encoding="utf-8") as control:
            for line in control:
                line = line.rstrip("\r\n")
                if "=" in line and not line.startswith("#"):
                    key, value = line.split("=", 1)
                    settings[key.strip()] = value
    except FileNotFoundError:
        pass
    return settings


def item_page(settings, auction_id, closed=True):
    pad = int(settings["pad"] or 0)
    filler = "<!-- " + "x" * max(pad - 9, 0) + " -->\n" if pad > 0 else ""
    page = (
        "<HTML><HEAD>\n"
        f"<TITLE>Yahoo!オークション - {settings['title']}</TITLE>\n"
        '<META HTTP-EQUIV="Content-Type" CONTENT="text/html; charset=euc-jp">\n'
        "</HEAD><BODY>\n"
        f"{filler}"
        f'<TABLE><TR><TD>オークションID</TD><TD>{auction_id}</TD></TR>\n'
        f"<TR><TD>現在の価格</TD><TD><B>{settings['price']}</B></TD></TR>\n"
        f"<TR><TD>残り時間</TD><TD><FONT SIZE=2>{settings['left']}</FONT></TD></TR>\n"
        "</TABLE>\n</BODY>\n"
    )
    return page + ("</HTML>\n" if closed else "")


def site_page(sentence):
    return (
        "<HTML><HEAD><TITLE>Yahoo! JAPAN</TITLE></HEAD><BODY>\n"
        f"<P>{sentence}</P>\n</BODY></HTML>\n"
    )


def answer(settings, path):
    """Returns (status, body text) for one request path."""
    mode = settings["mode"]
    if not path.startswith(ITEM_PATH):
        return 404, site_page("Not Found")
    auction_id = path[len(ITEM_PATH):]
    if mode == "login":
        return 200, site_page("IDとパスワードを入力してログインしてください。")
    if mode == "notfound":
        return 200, site_page("指定されたドキュメントは存在しません。")
    if mode == "noaccess":
        return 200, site_page("アクセスできませんでした。")
    if mode == "cut":
        return 200, item_page(settings, auction_id, closed=False)
    if mode == "empty":
        return 200, ""
    return 200, item_page(settings, auction_id)


class Handler(http.server.BaseHTTPRequestHandler):
    # One answer per connection: the body ends where the connection closes.
    protocol_version = "HTTP/1.0"
    server_version = "FakeSite/1"

    def log_request(self, code="-", size="-"):
        pass

    def log_message(self, format, *args):  # noqa: A002 - the base class's name
        pass

    def record(self):
        now = time.time()
        line = f"{now:.3f} {time.strftime('%H:%M:%S', time.localtime(now))} {self.requestline}\n"
        with self.server.log_lock:
            with open(self.server.log_path, "a", encoding="utf-8") as log:
                log.write(line)

    def do_GET(self):  # noqa: N802 - the base class's name
        self.record()
        settings = read_control(self.server.control_path)
        path = self.path
        if "://" in path:  # absolute form, as a proxy receives it
            path = "/" + path.split("://", 1)[1].partition("/")[2]
        delay = float(settings["delay"] or 0)
        if delay > 0:
            time.sleep(delay)
        code, text = answer(settings, path)
        if settings["status"] and settings["status"] != "200":
            code = int(settings["status"])
        body = text.encode("euc_jp")
        self.send_response(code)
        self.send_header("Content-Type", "text/html; charset=EUC-JP")
        self.send_header("Content-Length", str(len(body)))
        self.send_header("Connection", "close")
        self.end_headers()
        self.wfile.write(body)

    do_HEAD = do_GET


class Server(http.server.ThreadingHTTPServer):
    allow_reuse_address = True
    daemon_threads = True


def main(argv):
    parser = argparse.ArgumentParser(
        description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter
    )
    parser.add_argument("--port", type=int, default=0, help="port on 127.0.0.1 (0: any free)")
    parser.add_argument("--port-file", help="write the port here once listening")
    parser.add_argument("--control", help="control file, re-read for every request")
    parser.add_argument("--log", default=os.devnull, help="request log (appended)")
    args = parser.parse_args(argv)

    server = Server(("127.0.0.1", args.port), Handler)
    server.control_path = args.control
    server.log_path = args.log
    server.log_lock = threading.Lock()
    port = server.server_address[1]
    if args.port_file:
        with open(args.port_file + ".tmp", "w", encoding="ascii") as out:
            out.write(f"{port}\n")
        os.replace(args.port_file + ".tmp", args.port_file)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
