#!/usr/bin/env python3
"""An RFC 3161 time-stamp server on 127.0.0.1 for the release tests.

    tsa-server.py CONFIG

Prints the port it listens on, then answers each POSTed time-stamp request
with `openssl ts -reply -config CONFIG`. Other paths answer as broken servers
do: /http-500 with HTTP 500, /garbage with a reply that is no time stamp,
/silent never (it holds the request for a minute).
"""
import http.server
import subprocess
import sys
import time


class TimeStampHandler(http.server.BaseHTTPRequestHandler):
    config = ""

    def do_POST(self):
        query = self.rfile.read(int(self.headers.get("Content-Length", 0)))
        if self.path == "/silent":
            time.sleep(60)
            return
        status, body = 200, b"no time stamp here\n"
        if self.path == "/http-500":
            status, body = 500, b""
        elif self.path != "/garbage":
            reply = subprocess.run(
                ["openssl", "ts", "-reply", "-config", self.config, "-queryfile", "/dev/stdin"],
                input=query, capture_output=True, check=False)
            sys.stderr.write(reply.stderr.decode(errors="replace"))
            status, body = (200, reply.stdout) if reply.returncode == 0 else (500, b"")
        self.send_response(status)
        self.send_header("Content-Type", "application/timestamp-reply")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)


def main():
    TimeStampHandler.config = sys.argv[1]
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), TimeStampHandler)
    server.daemon_threads = True
    print(server.server_address[1], flush=True)
    server.serve_forever()


if __name__ == "__main__":
    main()
