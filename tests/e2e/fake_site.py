#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""A fake auction site, reached as the program's HTTP proxy (http_proxy=http://127.0.0.1:PORT).

It answers every GET of http://page.auctions.yahoo.co.jp/jp/auction/ID with an item page in
EUC-JP. A control file, read before each answer, may hold UTF-8 lines price=..., left=...
(as in the HTML, e.g. 3&nbsp;分 or 終了), title=..., pad=N (N bytes of HTML comment, for
larger pages) and body=PATH (that file's bytes instead of the page); the defaults are 1,000 円, 2時間, Old camera and no padding. Each request line
is appended to the log as "UNIX-TIME HH:MM:SS GET URL HTTP/1.1".
"""
import argparse
import http.server
import os
import pathlib
import time


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.0"  # one answer per connection

    def log_message(self, *args):
        pass

    def do_GET(self):  # noqa: N802 - the base class's name
        now = time.time()
        with open(self.server.log, "a", encoding="utf-8") as log:
            log.write(f"{now:.3f} {time.strftime('%H:%M:%S', time.localtime(now))} "
                      f"{self.requestline}\n")
        page = {"price": "1,000 円", "left": "2時間", "title": "Old camera", "pad": "0"}
        if self.server.control and os.path.exists(self.server.control):
            with open(self.server.control, encoding="utf-8") as control:
                page.update(line.rstrip("\n").split("=", 1) for line in control if "=" in line)
        auction = self.path.rsplit("/", 1)[-1]
        body = (f"<HTML><HEAD><TITLE>Yahoo!オークション - {page['title']}</TITLE></HEAD><BODY>\n"
                f"<TABLE><TR><TD>オークションID</TD><TD>{auction}</TD></TR>\n"
                f"<TR><TD>現在の価格</TD><TD><B>{page['price']}</B></TD></TR>\n"
                f"<TR><TD>残り時間</TD><TD><FONT SIZE=2>{page['left']}</FONT></TD></TR>\n"
                f"</TABLE>\n<!-- {'x' * int(page['pad'])} -->\n</BODY>\n</HTML>\n").encode("euc_jp")
        if "body" in page:
            body = pathlib.Path(page["body"]).read_bytes()
        self.send_response(200 if "/jp/auction/" in self.path else 404)
        self.send_header("Content-Type", "text/html; charset=EUC-JP")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--port-file", required=True, help="where to write the port (on 127.0.0.1)")
    parser.add_argument("--control", help="the control file")
    parser.add_argument("--log", default=os.devnull, help="the request log (appended)")
    args = parser.parse_args()
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    server.control, server.log = args.control, args.log
    with open(args.port_file + ".tmp", "w", encoding="ascii") as out:  # written whole, then named
        out.write(f"{server.server_address[1]}\n")
    os.replace(args.port_file + ".tmp", args.port_file)
    server.serve_forever()


if __name__ == "__main__":
    main()
