#!/usr/bin/env python3
"""Prints the names a PE file exports, one a line, in the export table's order.

    pe_exports.py FILE

Reads the export directory from the file itself, so the answer does not
depend on how a particular binutils release lays out its dump. Exits 1 when
the file is no PE image."""

import struct
import sys

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
from pe_image import EXPORT_DIRECTORY, PeImage  # noqa: E402


def c_string(image, offset):
    return image[offset:image.index(b"\0", offset)].decode("ascii")


def export_names(image):
    pe = PeImage(image)
    export_rva, export_size = pe.directory(EXPORT_DIRECTORY)
    if export_size == 0:
        return []
    directory = pe.offset(export_rva)
    name_count, _, names_rva = struct.unpack_from("<III", image, directory + 24)
    names = pe.offset(names_rva)
    return [c_string(image, pe.offset(struct.unpack_from("<I", image, names + 4 * i)[0]))
            for i in range(name_count)]


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: pe_exports.py FILE")
    with open(sys.argv[1], "rb") as binary:
        image = binary.read()
    try:
        names = export_names(image)
    except (ValueError, struct.error) as error:
        print("%s: %s" % (sys.argv[1], error), file=sys.stderr)
        return 1
    for name in names:
        print(name)
    return 0


if __name__ == "__main__":
    sys.exit(main())
