#!/usr/bin/env python3
"""Writes metafiles that are damaged the way a one-byte error damages them, each of which
crashes or stalls libwmf: the picture tests check that loading one returns in time with a
message while the program goes on. Each is the plain sample metafile with one record added
before its end record:
  damaged_brush.wmf   a pattern brush whose bitmap is 0 pixels wide (a division by zero)
  damaged_bitmap.wmf  a stretched bitmap whose header gives its own size as 0 (an endless loop)
  damaged_pen.wmf     a pen 32000 units wide drawing a long polyline (about 15 s of work)
"""
import os
import struct

from make_samples import HERE, metafile_records, record


def dib(width, height, header_size=40):
    """A 24-bit bitmap: its info header and 2 x 2 bytes of red pixel rows (or none)."""
    header = struct.pack("<IiiHHIIiiII", header_size, width, height, 1, 24, 0, 0, 0, 0, 0, 0)
    return header + bytes((0, 0, 255, 0)) * max(height, 1)


def damaged(extra):
    records = metafile_records()
    return records[:-1] + extra + records[-1:]


def write(path, records):
    body = b"".join(records)
    max_record = max(len(r) // 2 for r in records)
    header = struct.pack("<HHHIHIH", 1, 9, 0x0300, (18 + len(body)) // 2, 8, max_record, 0)
    with open(path, "wb") as f:
        f.write(header + body)


BOX = [(100, 100), (900, 100), (900, 600), (100, 600)]
POINTS = [c for p in BOX for c in p]

CASES = {
    "damaged_brush.wmf": [
        record(0x0142, 5, 0, raw=dib(0, 2)),       # DibCreatePatternBrush, 0 pixels wide (object 4)
        record(0x012D, 4),                         # SelectObject
        record(0x0324, len(BOX), *POINTS),         # Polygon filled with the pattern
    ],
    "damaged_bitmap.wmf": [
        # StretchDIB: raster op, usage, source h, w, y, x, destination h, w, y, x, then the bitmap.
        record(0x0F43, 0x0020, 0x00CC, 0, 2, 2, 0, 0, 300, 400, 100, 100, raw=dib(2, 2, header_size=0)),
    ],
    "damaged_pen.wmf": [
        record(0x02FA, 0, 32000, 0, raw=bytes((10, 20, 30, 0))),   # CreatePenIndirect, 32000 wide (object 4)
        record(0x012D, 4),
        record(0x0325, 1400, *[c for k in range(1400) for c in (k * 5 % 1000, k * 37 % 750)]),  # Polyline
    ],
}

if __name__ == "__main__":
    for name, extra in CASES.items():
        write(os.path.join(HERE, name), damaged(extra))
