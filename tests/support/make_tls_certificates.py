#!/usr/bin/env python3
"""Makes, with the openssl command, the certificates the TLS tests use.

    make_tls_certificates.py OUT

OUT gets authority.der, the certificate of a test certificate authority
(subject CN "Wareseek test authority"), and for each server NAME below
NAME.der and NAME.pem (its certificate, as DER and as PEM) and NAME.key (its
private key):

    GOOD            issued by the authority for localhost and 127.0.0.1
    SELF_SIGNED     issued by itself, for the same names
    OTHER_HOST      issued by the authority for other-host.example
    EXPIRED         issued by the authority for the same names as GOOD, valid
                    only in January 2020
    NOT_FOR_SERVER  issued by the authority for the same names as GOOD, for
                    client authentication only
    ISSUED_BY_GOOD  issued for the same names by GOOD, which is no authority

The authority and the others are valid from 2020 to the end of 2049: the test
bundle runs on Windows PCs long after the build. The authority's private key is
deleted once the certificates are issued: the elevated tests trust the
authority among the machine's roots, where an authority whose key still
existed could vouch for any server to that PC.
"""
import os
import shutil
import ssl
import subprocess
import sys
import tempfile

AUTHORITY_NAME = "Wareseek test authority"
LONG = ("20200101000000Z", "20491231235959Z")
JANUARY_2020 = ("20200101000000Z", "20200201000000Z")
# Both names a test could use. Windows documents only that the SSL chain
# policy compares the server name it is given with the certificate's names
# (HTTPSPolicyCallbackData, CERT_E_CN_NO_MATCH), not whether an IP-address
# entry counts; Wine 8's policy compares DNS entries only, so the tests ask for
# https://localhost:PORT/, which reaches 127.0.0.1 there.
OWN_NAMES = "DNS:localhost,IP:127.0.0.1"

# openssl ca: the one command of OpenSSL 3.0 that sets a past start date.
CA_CONFIG = """[ca]
default_ca = test_ca
[test_ca]
database = index.txt
new_certs_dir = .
rand_serial = yes
default_md = sha256
policy = any
copy_extensions = copy
unique_subject = no
[any]
commonName = supplied
[authority]
basicConstraints = critical,CA:true
keyUsage = critical,keyCertSign,cRLSign
subjectKeyIdentifier = hash
[server]
basicConstraints = critical,CA:false
keyUsage = critical,digitalSignature,keyEncipherment
extendedKeyUsage = serverAuth
subjectKeyIdentifier = hash
authorityKeyIdentifier = keyid
[client]
basicConstraints = critical,CA:false
keyUsage = critical,digitalSignature,keyEncipherment
extendedKeyUsage = clientAuth
subjectKeyIdentifier = hash
authorityKeyIdentifier = keyid
"""

# name: (common name, subject alternative names, extensions, validity, issuer: None for itself)
SERVERS = {
    "GOOD": ("localhost", OWN_NAMES, "server", LONG, "authority"),
    "SELF_SIGNED": ("localhost", OWN_NAMES, "server", LONG, None),
    "OTHER_HOST": ("other-host.example", "DNS:other-host.example", "server", LONG, "authority"),
    "EXPIRED": ("localhost", OWN_NAMES, "server", JANUARY_2020, "authority"),
    "NOT_FOR_SERVER": ("localhost", OWN_NAMES, "client", LONG, "authority"),
    "ISSUED_BY_GOOD": ("localhost", OWN_NAMES, "server", LONG, "GOOD"),
}


def openssl(folder, *args):
    result = subprocess.run(["openssl", *args], cwd=folder, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    if result.returncode != 0:
        sys.exit("make_tls_certificates: openssl %s failed:\n%s" % (args[0], result.stderr.decode(errors="replace")))


def issue(folder, name, common_name, extensions, validity, issuer, alt_names=None):
    """Writes name.key and name.pem, signed by issuer's certificate and key
    (by its own key when issuer is None)."""
    request = ["req", "-new", "-newkey", "rsa:2048", "-nodes", "-keyout", name + ".key", "-out", name + ".csr",
               "-subj", "/CN=" + common_name]
    if alt_names:
        request += ["-addext", "subjectAltName=" + alt_names]
    openssl(folder, *request)
    signer = ["-selfsign", "-keyfile", name + ".key"] if issuer is None else [
        "-cert", issuer + ".pem", "-keyfile", issuer + ".key"]
    openssl(folder, "ca", "-batch", "-config", "ca.cnf", "-extensions", extensions, *signer, "-in", name + ".csr",
            "-out", name + ".pem", "-notext", "-startdate", validity[0], "-enddate", validity[1])


def write_der(pem_file, der_file):
    with open(pem_file) as pem, open(der_file, "wb") as der:
        der.write(ssl.PEM_cert_to_DER_cert(pem.read()))


def make_certificates(work):
    with open(os.path.join(work, "ca.cnf"), "w") as config:
        config.write(CA_CONFIG)
    open(os.path.join(work, "index.txt"), "w").close()
    issue(work, "authority", AUTHORITY_NAME, "authority", LONG, None)
    for name, (common_name, alt_names, extensions, validity, issuer) in SERVERS.items():
        issue(work, name, common_name, extensions, validity, issuer, alt_names)
    os.remove(os.path.join(work, "authority.key"))


def main():
    out = sys.argv[1]
    shutil.rmtree(out, ignore_errors=True)
    os.makedirs(out)
    with tempfile.TemporaryDirectory(prefix="wareseek-tls-certificates-") as work:
        make_certificates(work)
        for name in SERVERS:
            shutil.copyfile(os.path.join(work, name + ".pem"), os.path.join(out, name + ".pem"))
            shutil.copyfile(os.path.join(work, name + ".key"), os.path.join(out, name + ".key"))
            write_der(os.path.join(work, name + ".pem"), os.path.join(out, name + ".der"))
        # Last: the build takes the folder as made once this file exists.
        write_der(os.path.join(work, "authority.pem"), os.path.join(out, "authority.der"))


if __name__ == "__main__":
    main()
