#!/usr/bin/env python3
"""Writes a seed corpus of settings files: saved-looking files and the awkward shapes."""
import os
import sys

HEADER = "[Kivo域名更新器]".encode("cp936")


def encoded(plain: bytes) -> bytes:
    return "".join("%02X" % (b ^ 0xC5) for b in plain).encode("ascii")


def saved(*plain_lines: bytes) -> bytes:
    lines = [HEADER] + [encoded(p) for p in plain_lines] + [b"", b"", b"made by someone"]
    return b"".join(line + b"\r\n" for line in lines)


SEEDS = {
    "full": saved(b"12Host=kivo.example.com|34", b"5myIP=1.2.3.4|6", b"7Name=user|8",
                  b"9Pwd=pa|ss|0", b"11Auto=True22"),
    "empty": saved(),
    "quirks": saved(b"1Pwd=xHost=y|2", b"3Name=amyIP=b|4", b"5Pwd=\xc5\x00|6"),
    "plain": HEADER + b"\r\nHost=abcd.efghi|\r\nmyIP=\r\nAuto=True\r\n",
    "line_ends": b"Host=a|\nName=b|\r\r\nPwd=c|\rmore\x1aHost=after|\r\n",
    "lower_odd": encoded(b"1myIP=l|2").lower() + b"7\r\n",
    "long": encoded(b"1Host=" + b"h" * 3000 + b"|2") + b"\r\n",
    "double_byte": "域名Host=名|\r\n".encode("cp936"),
}


def main() -> None:
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    for name, content in SEEDS.items():
        with open(os.path.join(folder, name), "wb") as seed:
            seed.write(content)


if __name__ == "__main__":
    main()
