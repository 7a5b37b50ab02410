"""Reads a PE image's headers from the file's bytes: its data directories and
the file offset of an address. Raises ValueError (or struct.error on a cut
file) when the bytes are no PE image."""

import struct

EXPORT_DIRECTORY = 0
RESOURCE_DIRECTORY = 2


class PeImage:
    def __init__(self, image):
        if image[:2] != b"MZ":
            raise ValueError("no MZ header")
        pe = struct.unpack_from("<I", image, 0x3C)[0]
        if image[pe:pe + 4] != b"PE\0\0":
            raise ValueError("no PE signature")
        self.image = image
        self._pe = pe

    def directory(self, index):
        """The (address, size) of data directory index; size 0 when absent."""
        optional = self._pe + 24
        magic = struct.unpack_from("<H", self.image, optional)[0]
        counts = optional + (92 if magic == 0x10B else 108)
        if index >= struct.unpack_from("<I", self.image, counts)[0]:
            return 0, 0
        return struct.unpack_from("<II", self.image, counts + 4 + 8 * index)

    def offset(self, rva):
        for address, size, raw in self._sections():
            if address <= rva < address + size:
                return raw + rva - address
        raise ValueError("address 0x%x lies in no section" % rva)

    def _sections(self):
        count = struct.unpack_from("<H", self.image, self._pe + 6)[0]
        optional_size = struct.unpack_from("<H", self.image, self._pe + 20)[0]
        table = self._pe + 24 + optional_size
        for index in range(count):
            entry = table + 40 * index
            virtual_size, virtual_address, raw_size, raw_offset = struct.unpack_from("<IIII", self.image, entry + 8)
            yield virtual_address, max(virtual_size, raw_size), raw_offset
