#!/usr/bin/env python3
"""Runs a command while five HTTPS test servers listen on 127.0.0.1.

    with_tls_servers.py --certificates DIR [--lifetime SECONDS] -- COMMAND [ARG...]

DIR holds the certificates of make_tls_certificates.py; each server NAME
serves DIR/NAME.pem with the key DIR/NAME.key:

    GOOD            issued by the test authority for localhost and 127.0.0.1
    SELF_SIGNED     issued by itself, for the same names
    OTHER_HOST      issued by the authority for other-host.example
    EXPIRED         issued by the authority for the same names as GOOD, valid
                    only in January 2020
    NOT_FOR_SERVER  issued by the authority for the same names, for client
                    authentication only

The command sees, in its environment, for each NAME above:

    WARESEEK_TLS_NAME_PORT     the server's port on 127.0.0.1

Every server answers GET /catalogue.xml with the body CATALOGUE below and
GET /redirect?to=URL with a 302 to URL; anything else gets 404. The servers
stop when the command ends; a command still running after --lifetime seconds
(default 600) is ended, so a forgotten run cannot keep them listening. The
exit code is the command's, or 124 when it was ended for time.
"""

import argparse
import http.server
import os
import ssl
import subprocess
import sys
import threading
import urllib.parse

CATALOGUE = b'<Products><Product name="served over TLS"/></Products>'
ADDRESS = "127.0.0.1"
SERVERS = ("GOOD", "SELF_SIGNED", "OTHER_HOST", "EXPIRED", "NOT_FOR_SERVER")


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def do_GET(self):
        url = urllib.parse.urlsplit(self.path)
        query = urllib.parse.parse_qs(url.query)
        if url.path == "/catalogue.xml":
            self.answer(200, CATALOGUE)
        elif url.path == "/redirect" and "to" in query:
            self.answer(302, b"", ("Location", query["to"][0]))
        else:
            self.answer(404, b"not here")

    def answer(self, status, body, *headers):
        self.send_response(status)
        for name, value in headers:
            self.send_header(name, value)
        self.send_header("Content-Length", str(len(body)))
        self.send_header("Connection", "close")
        self.end_headers()
        self.wfile.write(body)

    def log_message(self, *args):
        pass


class TlsServer(http.server.ThreadingHTTPServer):
    daemon_threads = True

    def __init__(self, certificate, key):
        super().__init__((ADDRESS, 0), Handler)
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(certificate, key)
        # The handshake runs in the connection's own thread, at its first read.
        self.socket = context.wrap_socket(self.socket, server_side=True, do_handshake_on_connect=False)

    def handle_error(self, request, client_address):
        pass  # a client that refuses the certificate breaks off the handshake


def main():
    parser = argparse.ArgumentParser(
        usage="%(prog)s --certificates DIR [--lifetime SECONDS] -- COMMAND [ARG...]")
    parser.add_argument("--certificates", required=True)
    parser.add_argument("--lifetime", type=float, default=600)
    parser.add_argument("command", nargs=argparse.REMAINDER)
    options = parser.parse_args()
    command = options.command[1:] if options.command[:1] == ["--"] else options.command
    if not command:
        parser.error("no command given")

    environment = dict(os.environ)
    servers = []
    for name in SERVERS:
        certificate = os.path.join(options.certificates, name)
        server = TlsServer(certificate + ".pem", certificate + ".key")
        environment["WARESEEK_TLS_%s_PORT" % name] = str(server.server_address[1])
        threading.Thread(target=server.serve_forever, daemon=True).start()
        servers.append(server)
    try:
        return subprocess.run(command, env=environment, timeout=options.lifetime).returncode
    except subprocess.TimeoutExpired:
        print("with_tls_servers: ended the command after %g s" % options.lifetime, file=sys.stderr)
        return 124
    finally:
        for server in servers:
            server.shutdown()
            server.server_close()


if __name__ == "__main__":
    sys.exit(main())
