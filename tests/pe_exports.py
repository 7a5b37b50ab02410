#!/usr/bin/env python3
"""Prints the names a PE file exports, one a line, in the export table's order.

    pe_exports.py FILE

Reads the export directory from the file itself, so the answer does not
depend on how a particular binutils release lays out its dump. Exits 1 when
the file is no PE image."""

import struct
import sys


def sections(image, pe):
    count = struct.unpack_from("<H", image, pe + 6)[0]
    optional_size = struct.unpack_from("<H", image, pe + 20)[0]
    table = pe + 24 + optional_size
    for index in range(count):
        entry = table + 40 * index
        virtual_size, virtual_address, raw_size, raw_offset = struct.unpack_from("<IIII", image, entry + 8)
        yield virtual_address, max(virtual_size, raw_size), raw_offset


def file_offset(image, pe, rva):
    for address, size, raw in sections(image, pe):
        if address <= rva < address + size:
            return raw + rva - address
    raise ValueError("address 0x%x lies in no section" % rva)


def c_string(image, offset):
    return image[offset:image.index(b"\0", offset)].decode("ascii")


def export_names(image):
    if image[:2] != b"MZ":
        raise ValueError("no MZ header")
    pe = struct.unpack_from("<I", image, 0x3C)[0]
    if image[pe:pe + 4] != b"PE\0\0":
        raise ValueError("no PE signature")
    optional = pe + 24
    magic = struct.unpack_from("<H", image, optional)[0]
    directories = optional + (96 if magic == 0x10B else 112)
    export_rva, export_size = struct.unpack_from("<II", image, directories)
    if export_size == 0:
        return []
    directory = file_offset(image, pe, export_rva)
    name_count, _, names_rva = struct.unpack_from("<III", image, directory + 24)
    names = file_offset(image, pe, names_rva)
    return [c_string(image, file_offset(image, pe, struct.unpack_from("<I", image, names + 4 * i)[0]))
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
