#!/usr/bin/env python3
"""Writes a zip that is the same bytes wherever and whenever it is made: the files in the
order given, each stamped with one fixed time, deflated at level 9. Names are stored in
code page 936 without the UTF-8 flag, as Explorer on a Chinese Windows reads them (from XP
on), with their Unicode form in an Info-ZIP Unicode Path field for other unzippers.

Usage: make_zip.py ZIP SECONDS_SINCE_1970 FILE ...
"""
import os
import struct
import sys
import time
import zipfile
import zlib


class ChineseNameInfo(zipfile.ZipInfo):
    def _encodeFilenameFlags(self):  # zipfile's hook for the stored name and its flags
        return self.filename.encode("cp936"), self.flag_bits


def main():
    target, seconds, *paths = sys.argv[1:]
    stamp = time.gmtime(max(int(seconds), 315532800))[:6]  # a zip's dates begin in 1980
    with zipfile.ZipFile(target, "w") as archive:
        for path in paths:
            info = ChineseNameInfo(os.path.basename(path), date_time=stamp)
            info.compress_type = zipfile.ZIP_DEFLATED
            info.create_system = 0  # MS-DOS: the archive attribute, nothing of this machine
            info.external_attr = 0x20
            name = info.filename.encode("cp936")
            if not info.filename.isascii():
                field = b"\x01" + struct.pack("<I", zlib.crc32(name)) + info.filename.encode("utf-8")
                info.extra = struct.pack("<HH", 0x7075, len(field)) + field
            with open(path, "rb") as data:
                archive.writestr(info, data.read(), compresslevel=9)


if __name__ == "__main__":
    main()
