#!/usr/bin/env python3
"""Writes basin.bmp, the map picture the compute scenario traces: 480 by 360 pixels,
one bit a pixel, a square basin outline from (100, 100) to (300, 300) and a stream
along y = 200 from x = 100 to x = 300 (pixels, top-left origin)."""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
W, H = 480, 360


def ink(x, y):
    on_square = (100 <= x <= 300 and y in (100, 300)) or (100 <= y <= 300 and x in (100, 300))
    on_stream = y == 200 and 100 <= x <= 300
    return on_square or on_stream


def main():
    stride = ((W + 31) // 32) * 4
    rows = []
    for y in range(H - 1, -1, -1):  # bottom row first
        row = bytearray(stride)
        for x in range(W):
            if not ink(x, y):  # palette entry 1 is white
                row[x // 8] |= 0x80 >> (x % 8)
        rows.append(bytes(row))
    pixels = b"".join(rows)
    palette = bytes((0, 0, 0, 0, 255, 255, 255, 0))
    offset = 14 + 40 + len(palette)
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, W, H, 1, 1, 0, len(pixels), 2835, 2835, 2, 2)
    with open(os.path.join(HERE, "basin.bmp"), "wb") as f:
        f.write(header + info + palette + pixels)


if __name__ == "__main__":
    main()
