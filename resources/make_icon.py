#!/usr/bin/env python3
"""Draws Kivo's icon, written as an .ico file: images of 16, 20, 24, 32, 40 and 48 pixels,
32 bits per pixel.

A blue globe (disc with a meridian and two parallels) on a transparent ground,
with a green arrow pointing up: the address going out to the provider.

The drawing is made for 32 pixels; every other size is drawn from it at its own size, with
its lines and rim at least one pixel wide. The 16-pixel image is the exception: it keeps,
pixel for pixel, the look that the caption band and the tray have always shown at 96 DPI,
every second pixel of the 32-pixel image (odd columns, even rows).
"""
import math
import struct
import sys

SIZES = (16, 20, 24, 32, 40, 48)
DRAWN = 32


def pixel(x, y, size=DRAWN):
    """Returns (b, g, r, a) for the pixel whose centre is at (x + 0.5, y + 0.5), y downward,
    of the image `size` pixels wide."""
    scale = DRAWN / size
    px, py = (x + 0.5) * scale, (y + 0.5) * scale
    line = max(1.0, scale)  # a width of 1 at 32 pixels, never under one pixel of this image
    cx, cy, radius = 14.0, 17.0, 12.5
    # Up arrow in the top-right corner.
    if 23 <= px <= 27 and 5 <= py <= 15:
        return (40, 170, 40, 255)
    if 1 <= py <= 8 and abs(px - 25) <= (py - 1) * 0.75:
        return (40, 170, 40, 255)
    d = math.hypot(px - cx, py - cy)
    if d > radius:
        return (0, 0, 0, 0)
    if d > radius - 1.2 * line:
        return (120, 60, 20, 255)  # dark blue rim
    on_line = abs(px - cx) < 0.7 * line or abs(py - cy) < 0.7 * line \
        or abs(py - (cy - 6)) < 0.6 * line or abs(py - (cy + 6)) < 0.6 * line \
        or abs(math.hypot((px - cx) * 2.2, py - cy) - radius) < 1.0 * line
    if on_line:
        return (250, 240, 220, 255)
    shade = int(80 * (py - (cy - radius)) / (2 * radius))
    return (230 - shade, 140 - shade // 2, 40, 255)


def image_pixel(x, y, size):
    if size == 16:
        return pixel(2 * x + 1, 2 * y)
    return pixel(x, y, size)


def image_bytes(size):
    rows = []
    for y in reversed(range(size)):  # DIB rows are stored bottom-up
        rows.append(b"".join(struct.pack("<BBBB", *image_pixel(x, y, size)) for x in range(size)))
    xor = b"".join(rows)
    mask_row = (size + 31) // 32 * 4  # alpha decides; mask rows are padded to 4 bytes
    and_mask = b"\x00" * (mask_row * size)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(xor) + len(and_mask), 0, 0, 0, 0)
    return header + xor + and_mask


def icon_bytes():
    images = [image_bytes(size) for size in SIZES]
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = len(directory) + 16 * len(images)
    entries, data = b"", b""
    for size, image in zip(SIZES, images):
        entries += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(image), offset + len(data))
        data += image
    return directory + entries + data


if __name__ == "__main__":
    with open(sys.argv[1], "wb") as out:
        out.write(icon_bytes())
