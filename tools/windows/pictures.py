#!/usr/bin/env python3
"""Picture helpers for the Windows check, with the standard library only.
  pictures.py diff A.png B.png       differing pixels of two PNG files and where they are
  pictures.py shot IN.bmp OUT.png    the window screenshot as PNG
  pictures.py views OUT.png          fails unless the window's four views show pictures
"""
import struct
import sys
import zlib


def read_png(path):
    data = open(path, "rb").read()
    assert data[:8] == b"\x89PNG\r\n\x1a\n", path
    pos, idat, width = 8, b"", 0
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            width, height, depth, colour, _, _, interlace = struct.unpack(">IIBBBBB", body)
            assert depth == 8 and colour in (2, 6) and interlace == 0, (path, depth, colour)
            channels = 3 if colour == 2 else 4
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    raw = zlib.decompress(idat)
    stride = width * channels
    rows, previous = [], bytearray(stride)
    for y in range(height):
        kind = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            a = line[i - channels] if i >= channels else 0
            b = previous[i]
            c = previous[i - channels] if i >= channels else 0
            if kind == 1:
                line[i] = (line[i] + a) & 255
            elif kind == 2:
                line[i] = (line[i] + b) & 255
            elif kind == 3:
                line[i] = (line[i] + (a + b) // 2) & 255
            elif kind == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        rows.append([tuple(line[x * channels:x * channels + 3]) for x in range(width)])
        previous = line
    return width, height, rows


def write_png(path, width, height, rows):
    raw = b"".join(b"\x00" + bytes(v for px in row for v in px) for row in rows)
    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
                + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def diff(a, b):
    wa, ha, ra = read_png(a)
    wb, hb, rb = read_png(b)
    if (wa, ha) != (wb, hb):
        print(f"size {wa}x{ha} != {wb}x{hb}")
        return 1
    points = [(x, y) for y in range(ha) for x in range(wa) if ra[y][x] != rb[y][x]]
    if points:
        xs, ys = [p[0] for p in points], [p[1] for p in points]
        print(f"{len(points)} pixels differ, within x {min(xs)}..{max(xs)}, y {min(ys)}..{max(ys)}")
    else:
        print("0 pixels differ")
    return 0


def shot(bmp, png):
    data = open(bmp, "rb").read()
    offset = struct.unpack("<I", data[10:14])[0]
    width, height, _, bits = struct.unpack("<iiHH", data[18:30])
    assert bits == 24
    stride = (width * 3 + 3) & ~3
    rows = []
    for y in range(height - 1, -1, -1):
        line = data[offset + y * stride:offset + y * stride + width * 3]
        rows.append([(line[x * 3 + 2], line[x * 3 + 1], line[x * 3]) for x in range(width)])
    write_png(png, width, height, rows)
    return 0


# The views in client coordinates, with the fewest colours each shows with data in it: the
# line graph's empty frame has three (background, grid, axes), its two curves add two more.
VIEWS = {"colour map": (10, 8, 301, 301, 8), "contour": (416, 8, 301, 301, 8),
         "line graph": (8, 376, 393, 233, 5), "3D view": (416, 376, 377, 205, 8)}


def views(png):
    width, height, rows = read_png(png)
    failed = 0
    for name, (x0, y0, w, h, least) in VIEWS.items():
        colours = {rows[y][x] for y in range(y0, min(y0 + h, height))
                   for x in range(x0, min(x0 + w, width))}
        ok = len(colours) >= least
        print(f"{name}: {len(colours)} colours {'ok' if ok else 'EMPTY'}")
        failed += not ok
    return 1 if failed else 0


if __name__ == "__main__":
    command, args = sys.argv[1], sys.argv[2:]
    sys.exit({"diff": diff, "shot": shot, "views": views}[command](*args))
