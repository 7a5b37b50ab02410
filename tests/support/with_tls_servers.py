#!/usr/bin/env python3
"""Runs a command while four HTTPS test servers listen on 127.0.0.1.

    with_tls_servers.py [--lifetime SECONDS] -- COMMAND [ARG...]

The certificates are made for this run only, with the openssl command, in a
temporary folder deleted at the end: a test certificate authority, and one
certificate per server:

    GOOD          issued by the authority for localhost and 127.0.0.1
    SELF_SIGNED   issued by itself, for the same names
    OTHER_HOST    issued by the authority for other-host.example
    EXPIRED       issued by the authority for the same names as GOOD, valid
                  only in January 2020

The command sees, in its environment, for each NAME above:

    WARESEEK_TLS_NAME_PORT     the server's port on 127.0.0.1
    WARESEEK_TLS_NAME_CERT     its certificate, DER in base64
    WARESEEK_TLS_AUTHORITY     the authority's certificate, DER in base64

Every server answers GET /catalogue.xml with the body CATALOGUE below and
GET /redirect?to=URL with a 302 to URL; anything else gets 404. The servers
stop when the command ends; a command still running after --lifetime seconds
(default 600) is ended, so a forgotten run cannot keep them listening. The
exit code is the command's, or 124 when it was ended for time.
"""

import argparse
import base64
import http.server
import os
import ssl
import subprocess
import sys
import tempfile
import threading
import urllib.parse

CATALOGUE = b'<Products><Product name="served over TLS"/></Products>'
ADDRESS = "127.0.0.1"
# Both names a test could use. Windows documents only that the SSL chain
# policy compares the server name it is given with the certificate's names
# (HTTPSPolicyCallbackData, CERT_E_CN_NO_MATCH), not whether an IP-address
# entry counts; Wine 8's policy compares DNS entries only, so the tests ask for
# https://localhost:PORT/, which reaches 127.0.0.1 there.
OWN_NAMES = "DNS:localhost,IP:127.0.0.1"
SERVER_EXTENSIONS = ("basicConstraints = critical,CA:false\n"
                     "keyUsage = critical,digitalSignature,keyEncipherment\n"
                     "extendedKeyUsage = serverAuth\n")


def openssl(folder, *args):
    result = subprocess.run(["openssl", *args], cwd=folder, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    if result.returncode != 0:
        sys.exit("with_tls_servers: openssl %s failed:\n%s" % (args[0], result.stderr.decode(errors="replace")))


def make_certificates(folder):
    """Writes NAME.pem and NAME.key for each server; returns the authority's
    certificate as DER."""
    # "openssl ca" is the one command of OpenSSL 3.0 that sets a past start date.
    with open(os.path.join(folder, "ca.cnf"), "w") as config:
        config.write("[ca]\ndefault_ca = test_ca\n"
                     "[test_ca]\ndatabase = index.txt\nnew_certs_dir = .\nserial = serial\n"
                     "default_md = sha256\npolicy = any\ncopy_extensions = copy\nunique_subject = no\n"
                     "[any]\ncommonName = supplied\n"
                     "[server]\n" + SERVER_EXTENSIONS)
    open(os.path.join(folder, "index.txt"), "w").close()
    with open(os.path.join(folder, "serial"), "w") as serial:
        serial.write("1000\n")

    openssl(folder, "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", "ca.key", "-out", "ca.pem",
            "-days", "2", "-subj", "/CN=Wareseek test authority",
            "-addext", "basicConstraints=critical,CA:true", "-addext", "keyUsage=critical,keyCertSign,cRLSign")
    openssl(folder, "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", "SELF_SIGNED.key",
            "-out", "SELF_SIGNED.pem", "-days", "2", "-subj", "/CN=localhost", "-addext", "subjectAltName=" + OWN_NAMES)
    issued = {"GOOD": ("localhost", OWN_NAMES, ["-days", "2"]),
              "OTHER_HOST": ("other-host.example", "DNS:other-host.example", ["-days", "2"]),
              "EXPIRED": ("localhost", OWN_NAMES, ["-startdate", "20200101000000Z", "-enddate", "20200201000000Z"])}
    for name, (common_name, alt_names, validity) in issued.items():
        openssl(folder, "req", "-new", "-newkey", "rsa:2048", "-nodes", "-keyout", name + ".key", "-out", name + ".csr",
                "-subj", "/CN=" + common_name, "-addext", "subjectAltName=" + alt_names)
        openssl(folder, "ca", "-batch", "-config", "ca.cnf", "-extensions", "server", "-cert", "ca.pem",
                "-keyfile", "ca.key", "-in", name + ".csr", "-out", name + ".pem", "-notext", *validity)
    return der_of(os.path.join(folder, "ca.pem"))


def der_of(pem_file):
    with open(pem_file) as pem:
        return ssl.PEM_cert_to_DER_cert(pem.read())


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
    parser = argparse.ArgumentParser(usage="%(prog)s [--lifetime SECONDS] -- COMMAND [ARG...]")
    parser.add_argument("--lifetime", type=float, default=600)
    parser.add_argument("command", nargs=argparse.REMAINDER)
    options = parser.parse_args()
    command = options.command[1:] if options.command[:1] == ["--"] else options.command
    if not command:
        parser.error("no command given")

    with tempfile.TemporaryDirectory(prefix="wareseek-tls-") as folder:
        environment = dict(os.environ, WARESEEK_TLS_AUTHORITY=base64.b64encode(make_certificates(folder)).decode())
        servers = []
        for name in ("GOOD", "SELF_SIGNED", "OTHER_HOST", "EXPIRED"):
            pem = os.path.join(folder, name + ".pem")
            server = TlsServer(pem, os.path.join(folder, name + ".key"))
            environment["WARESEEK_TLS_%s_PORT" % name] = str(server.server_address[1])
            environment["WARESEEK_TLS_%s_CERT" % name] = base64.b64encode(der_of(pem)).decode()
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
