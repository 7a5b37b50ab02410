#!/usr/bin/env python3
"""Runs wareseek-host --verify on the signed catalogues of
make_signed_catalogues.py and checks each exit code.

    verify_cases.py EMULATOR HOST SIGNED CASES

Each case gets a folder of its own under CASES holding FILE, FILE.sig and
the key, copied from SIGNED; the host reads them through Wine's Z: drive.
"""
import os
import shutil
import subprocess
import sys

# name, catalogue (None: none), signature (None: none), key, expected exit code and,
# optionally, a text the output must hold. The key is given with --key, or is
# a folder of that name when None; "beside:" puts it where the module named
# with --module reads it.
CASES = [
    ("signed", "catalogue.xml", "catalogue.xml.sig", "signer.pem", 0, "serial: none"),
    ("signed with a serial", "serial5.xml", "serial5.xml.sig", "signer.pem", 0, "serial: 5\r\nfile: none"),
    ("signed for a file", "file-x64.xml", "file-x64.xml.sig", "signer.pem", 0, "file: SMBPlugins_x64.xml"),
    ("signed, the key beside the module", "catalogue.xml", "catalogue.xml.sig", "beside:signer.pem", 0),
    ("signed with a 4,096-bit key", "catalogue.xml", "catalogue.xml.sig.large", "large.pem", 0),
    ("the key with Windows line ends", "catalogue.xml", "catalogue.xml.sig", "signer-crlf.pem", 0),
    ("one byte changed after signing", "tampered.xml", "catalogue.xml.sig", "signer.pem", 1),
    ("signed by another key", "catalogue.xml", "catalogue.xml.sig.other", "signer.pem", 1,
     "the signature does not match the file under this key"),
    ("signature cut short", "catalogue.xml", "catalogue.xml.sig.cut", "signer.pem", 1,
     "the signature is not as long as the key"),
    ("a 1,024-bit key", "catalogue.xml", "catalogue.xml.sig.small", "small.pem", 1),
    ("a key file that is no key", "catalogue.xml", "catalogue.xml.sig", "catalogue.xml", 1),
    ("no signature", "catalogue.xml", None, "signer.pem", 2),
    ("no catalogue", None, "catalogue.xml.sig", "signer.pem", 2),
    ("a key that cannot be read", "catalogue.xml", "catalogue.xml.sig", None, 2),
]


def windows_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def run_case(emulator, host, signed, folder, case):
    name, catalogue, signature, key, expected = case[:5]
    says = case[5] if len(case) > 5 else ""
    os.makedirs(folder)
    if catalogue:
        shutil.copyfile(os.path.join(signed, catalogue), os.path.join(folder, "SMBPlugins_x86.xml"))
    if signature:
        shutil.copyfile(os.path.join(signed, signature), os.path.join(folder, "SMBPlugins_x86.xml.sig"))
    key_option = ["--key", windows_path(os.path.join(folder, "key.pem"))]
    if key and key.startswith("beside:"):
        os.makedirs(os.path.join(folder, "ProductCfg"))
        shutil.copyfile(os.path.join(signed, key[7:]), os.path.join(folder, "ProductCfg", "catalogue-key.pem"))
        key_option = ["--module", windows_path(os.path.join(folder, "wareseek.dll"))]
    elif key:
        shutil.copyfile(os.path.join(signed, key), os.path.join(folder, "key.pem"))
    else:
        os.makedirs(os.path.join(folder, "key.pem"))
    args = [emulator, host, "--verify", windows_path(os.path.join(folder, "SMBPlugins_x86.xml"))] + key_option
    result = subprocess.run(args, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    said = (result.stdout + result.stderr).decode(errors="replace").strip()
    if result.returncode != expected or says not in said:
        print("FAIL %s: exit %d, expected %d and %r: %s" % (name, result.returncode, expected, says, said))
        return False
    print("ok   %s: exit %d: %s" % (name, result.returncode, said))
    return True


def main():
    emulator, host, signed, cases = sys.argv[1:5]
    shutil.rmtree(cases, ignore_errors=True)
    failed = 0
    for index, case in enumerate(CASES):
        if not run_case(emulator, host, signed, os.path.join(cases, str(index)), case):
            failed += 1
    sys.exit(1 if failed else 0)


if __name__ == "__main__":
    main()
