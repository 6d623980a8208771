#!/usr/bin/env python3
"""Writes the bitmaps the organizer shows for the extension in its list:
QuilletExt32.bmp (32x32) and QuilletExt16.bmp (16x16), the memo of the memo
list's images on a white ground, as 24-bit Windows bitmaps beside this
script.

Run it again after changing the memo drawing in make_ext_images.py; the
bitmaps are committed."""

import os
import struct
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
from make_ext_images import PALETTE, note  # noqa: E402


def colour(c):
    value = PALETTE[c]
    if value in ('None', 'FF00FF'):
        value = 'FFFFFF'  # the ground
    return int(value[0:2], 16), int(value[2:4], 16), int(value[4:6], 16)


def bmp(img):
    height, width = len(img), len(img[0])
    stride = (width * 3 + 3) & ~3
    pixels = bytearray()
    for row in reversed(img):  # bottom-up
        line = bytearray()
        for c in row:
            r, g, b = colour(c)
            line += bytes((b, g, r))
        line += bytes(stride - len(line))
        pixels += line
    header = struct.pack('<IiiHHIIiiII', 40, width, height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    size = 14 + len(header) + len(pixels)
    return b'BM' + struct.pack('<IHHI', size, 0, 0, 14 + len(header)) + header + pixels


def main():
    for size, name in ((32, 'QuilletExt32.bmp'), (16, 'QuilletExt16.bmp')):
        with open(os.path.join(HERE, name), 'wb') as f:
            f.write(bmp(note(size)))


if __name__ == '__main__':
    main()
