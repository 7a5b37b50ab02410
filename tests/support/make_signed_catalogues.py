#!/usr/bin/env python3
"""Makes, with the openssl command, what the signed-catalogue tests read.

    make_signed_catalogues.py OUT CATALOGUE

OUT gets RSA key pairs (<name>.pem public, <name>-private.pem private):
"signer" and "other" of 2,048 bits, "large" of 4,096 and "small" of 1,024,
and signer-crlf.pem, the signer's public key with Windows line ends;
catalogue.xml, a copy of CATALOGUE, signed as a vendor signs one:
"openssl dgst -sha256 -sign signer-private.pem -out catalogue.xml.sig";
and the faulty forms: catalogue.xml signed by each other key
(catalogue.xml.sig.<name>), the signature cut short (catalogue.xml.sig.cut)
and the catalogue with one byte changed after signing (tampered.xml); and
signed forms with claims on the root element (each with its .sig):
serial4.xml, serial5.xml and serial6.xml (serial="N"), and file-x86.xml and
file-x64.xml (file="SMBPlugins_x86.xml" or "SMBPlugins_x64.xml").
"""
import os
import shutil
import subprocess
import sys

KEYS = {"signer": 2048, "other": 2048, "large": 4096, "small": 1024}


def openssl(folder, *args):
    result = subprocess.run(["openssl", *args], cwd=folder, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    if result.returncode != 0:
        sys.exit("make_signed_catalogues: openssl %s failed:\n%s" % (args[0], result.stderr.decode(errors="replace")))


def sign(folder, key, out, signed="catalogue.xml"):
    openssl(folder, "dgst", "-sha256", "-sign", key + "-private.pem", "-out", out, signed)


def sign_with_claims(folder, name, claims):
    """The catalogue with claims added to its root start tag, signed by signer."""
    with open(os.path.join(folder, "catalogue.xml"), "rb") as source:
        data = source.read()
    data = data.replace(b"<Products", b"<Products " + claims, 1)
    with open(os.path.join(folder, name), "wb") as claimed:
        claimed.write(data)
    sign(folder, "signer", name + ".sig", name)


def main():
    out, catalogue = sys.argv[1], sys.argv[2]
    shutil.rmtree(out, ignore_errors=True)
    os.makedirs(out)
    for name, bits in KEYS.items():
        openssl(out, "genpkey", "-algorithm", "RSA", "-pkeyopt", "rsa_keygen_bits:%d" % bits, "-out",
                name + "-private.pem")
        openssl(out, "pkey", "-in", name + "-private.pem", "-pubout", "-out", name + ".pem")
    with open(os.path.join(out, "signer.pem"), "rb") as key, open(os.path.join(out, "signer-crlf.pem"), "wb") as crlf:
        crlf.write(key.read().replace(b"\n", b"\r\n"))
    shutil.copyfile(catalogue, os.path.join(out, "catalogue.xml"))
    sign(out, "signer", "catalogue.xml.sig")
    for name in KEYS:
        if name != "signer":
            sign(out, name, "catalogue.xml.sig." + name)
    with open(os.path.join(out, "catalogue.xml.sig"), "rb") as signature:
        whole = signature.read()
    with open(os.path.join(out, "catalogue.xml.sig.cut"), "wb") as cut:
        cut.write(whole[:-1])
    with open(os.path.join(out, "catalogue.xml"), "rb") as signed:
        data = bytearray(signed.read())
    data[len(data) // 2] ^= 0x20
    with open(os.path.join(out, "tampered.xml"), "wb") as tampered:
        tampered.write(data)
    for serial in (4, 5, 6):
        sign_with_claims(out, "serial%d.xml" % serial, b'serial="%d"' % serial)
    for platform in ("x86", "x64"):
        sign_with_claims(out, "file-%s.xml" % platform, b'file="SMBPlugins_%s.xml"' % platform.encode())


if __name__ == "__main__":
    main()
