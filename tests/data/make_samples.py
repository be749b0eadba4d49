#!/usr/bin/env python3
"""Writes the small map pictures the picture tests load: a Windows bitmap, a GIF and two
metafiles (one with a placeable header, one without). sample.jpg is sample.bmp saved
as JPEG at quality 90 by the program's own picture menu."""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
W, H = 40, 30


def pixel(x, y):
    """A little map: white ground, a blue river on the diagonal, a red square at the top left."""
    if 2 <= x < 10 and 2 <= y < 10:
        return (220, 30, 30)
    if abs(x - y * W // H) <= 1:
        return (30, 60, 200)
    return (255, 255, 255)


def write_bmp(path):
    stride = (W * 3 + 3) & ~3
    rows = []
    for y in range(H - 1, -1, -1):  # bottom row first
        row = bytearray()
        for x in range(W):
            r, g, b = pixel(x, y)
            row += bytes((b, g, r))
        row += bytes(stride - len(row))
        rows.append(bytes(row))
    bits = b"".join(rows)
    header = struct.pack("<IiiHHIIiiII", 40, W, H, 1, 24, 0, len(bits), 3780, 3780, 0, 0)
    file_header = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(bits), 0, 0, 14 + 40)
    with open(path, "wb") as f:
        f.write(file_header + header + bits)


def lzw_encode(indices, min_code_size):
    """GIF LZW with a clear code before every code-size growth (simple and valid)."""
    clear = 1 << min_code_size
    end = clear + 1
    out = []
    bitbuf, bitlen = 0, 0

    def emit(code, size):
        nonlocal bitbuf, bitlen
        bitbuf |= code << bitlen
        bitlen += size
        while bitlen >= 8:
            out.append(bitbuf & 0xFF)
            bitbuf >>= 8
            bitlen -= 8

    size = min_code_size + 1
    table = {(i,): i for i in range(clear)}
    next_code = end + 1
    emit(clear, size)
    prefix = ()
    for index in indices:
        candidate = prefix + (index,)
        if candidate in table:
            prefix = candidate
            continue
        emit(table[prefix], size)
        table[candidate] = next_code
        next_code += 1
        if next_code > (1 << size):
            if size < 12:
                size += 1
            else:
                emit(clear, size)
                table = {(i,): i for i in range(clear)}
                next_code = end + 1
                size = min_code_size + 1
        prefix = (index,)
    if prefix:
        emit(table[prefix], size)
    emit(end, size)
    if bitlen:
        out.append(bitbuf & 0xFF)
    return bytes(out)


def write_gif(path):
    palette = [(255, 255, 255), (30, 60, 200), (220, 30, 30), (0, 0, 0)]
    indices = [palette.index(pixel(x, y)) for y in range(H) for x in range(W)]
    data = lzw_encode(indices, 2)
    blocks = b"".join(bytes((len(data[i:i + 255]),)) + data[i:i + 255] for i in range(0, len(data), 255))
    with open(path, "wb") as f:
        f.write(b"GIF89a" + struct.pack("<HHBBB", W, H, 0x81, 0, 0))
        f.write(b"".join(bytes(c) for c in palette))
        f.write(b"," + struct.pack("<HHHHB", 0, 0, W, H, 0) + bytes((2,)) + blocks + b"\x00;")


def record(function, *words, raw=b""):
    params = b"".join(struct.pack("<h" if w < 0 else "<H", w) for w in words) + raw
    if len(params) % 2:
        params += b"\x00"
    return struct.pack("<IH", 3 + len(params) // 2, function) + params


def colorref(r, g, b):
    return struct.pack("<BBBB", r, g, b, 0)


def metafile_records():
    font = struct.pack("<hhhhhBBBBBBBB", -120, 0, 0, 0, 700, 0, 0, 0, 0, 0, 0, 0, 0) + b"Arial\x00"
    text = b"Basin"
    river = [(100, 100), (300, 250), (500, 320), (700, 600), (900, 700)]
    boundary = [(50, 50), (950, 80), (900, 720), (80, 700)]
    return [
        record(0x0103, 8),                       # SetMapMode MM_ANISOTROPIC
        record(0x020B, 0, 0),                    # SetWindowOrg y, x
        record(0x020C, 750, 1000),               # SetWindowExt y, x
        record(0x02FC, 0, raw=colorref(255, 255, 255) + struct.pack("<H", 0)),  # white brush (object 0)
        record(0x012D, 0),
        record(0x02FA, 0, 6, 0, raw=colorref(200, 30, 30)),  # red pen 6 wide (object 1)
        record(0x012D, 1),
        record(0x0324, len(boundary), *[c for p in boundary for c in p]),      # Polygon
        record(0x02FA, 0, 8, 0, raw=colorref(30, 60, 200)),  # blue pen (object 2)
        record(0x012D, 2),
        record(0x0325, len(river), *[c for p in river for c in p]),            # Polyline
        record(0x02FB, raw=font),                # CreateFontIndirect (object 3)
        record(0x012D, 3),
        record(0x0209, raw=colorref(0, 0, 0)),   # SetTextColor
        record(0x0102, 1),                       # SetBkMode transparent
        record(0x0521, len(text), raw=text + b"\x00" * (len(text) % 2) + struct.pack("<hh", 420, 400)),  # TextOut: count, text, y, x
        record(0x0000),                          # EOF
    ]


def write_wmf(path, placeable):
    body = b"".join(metafile_records())
    records = metafile_records()
    max_record = max(len(r) // 2 for r in records)
    header = struct.pack("<HHHIHIH", 1, 9, 0x0300, (18 + len(body)) // 2, 4, max_record, 0)
    data = header + body
    if placeable:
        # 1000 x 750 units at 1000 units per inch: one inch by three quarters.
        words = struct.unpack("<10H", struct.pack("<IHhhhhHI", 0x9AC6CDD7, 0, 0, 0, 1000, 750, 1000, 0))
        checksum = 0
        for w in words:
            checksum ^= w
        data = struct.pack("<IHhhhhHIH", 0x9AC6CDD7, 0, 0, 0, 1000, 750, 1000, 0, checksum) + data
    with open(path, "wb") as f:
        f.write(data)


if __name__ == "__main__":
    write_bmp(os.path.join(HERE, "sample.bmp"))
    write_gif(os.path.join(HERE, "sample.gif"))
    write_wmf(os.path.join(HERE, "sample.wmf"), placeable=True)
    write_wmf(os.path.join(HERE, "sample_nonplaceable.wmf"), placeable=False)
