#!/usr/bin/env python3
"""Draws Kivo's icon: one 32 x 32 image, 32 bits per pixel, written as an .ico file.

A blue globe (disc with a meridian and two parallels) on a transparent ground,
with a green arrow pointing up: the address going out to the provider.
"""
import math
import struct
import sys

SIZE = 32


def pixel(x, y):
    """Returns (b, g, r, a) for the pixel whose centre is at (x + 0.5, y + 0.5), y downward."""
    cx, cy, radius = 14.0, 17.0, 12.5
    px, py = x + 0.5, y + 0.5
    # Up arrow in the top-right corner.
    if 23 <= px <= 27 and 5 <= py <= 15:
        return (40, 170, 40, 255)
    if 1 <= py <= 8 and abs(px - 25) <= (py - 1) * 0.75:
        return (40, 170, 40, 255)
    d = math.hypot(px - cx, py - cy)
    if d > radius:
        return (0, 0, 0, 0)
    if d > radius - 1.2:
        return (120, 60, 20, 255)  # dark blue rim
    on_line = abs(px - cx) < 0.7 or abs(py - cy) < 0.7 or abs(py - (cy - 6)) < 0.6 \
        or abs(py - (cy + 6)) < 0.6 or abs(math.hypot((px - cx) * 2.2, py - cy) - radius) < 1.0
    if on_line:
        return (250, 240, 220, 255)
    shade = int(80 * (py - (cy - radius)) / (2 * radius))
    return (230 - shade, 140 - shade // 2, 40, 255)


def icon_bytes():
    rows = []
    for y in reversed(range(SIZE)):  # DIB rows are stored bottom-up
        rows.append(b"".join(struct.pack("<BBBB", *pixel(x, y)) for x in range(SIZE)))
    xor = b"".join(rows)
    and_mask = b"\x00" * (SIZE * SIZE // 8)  # alpha decides; mask rows are 4 bytes each
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 32, 0, len(xor) + len(and_mask), 0, 0, 0, 0)
    image = header + xor + and_mask
    directory = struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, 1, 32, len(image), 22)
    return directory + image


if __name__ == "__main__":
    with open(sys.argv[1], "wb") as out:
        out.write(icon_bytes())
