#!/usr/bin/env python3
"""Finds where a colour lies in a screenshot (an 8-bit RGB or RGBA PNG, as
the screen grab writes it), so that an end-to-end test can point the mouse
at what the program drew.
  png_find.py <png> bbox <r> <g> <b> [x0 y0 x1 y1]   -> "x0 y0 x1 y1" or nothing
  png_find.py <png> run <r> <g> <b> <x> <y>          -> length of the vertical run
                                                        of the colour through x,y
  png_find.py <png> runnot <r> <g> <b> <x> <y>       -> the same for any other colour
  png_find.py <png> same <x0> <y0> <x1> <y1> <w> <h>  -> "same" when the two w x h areas
                                                        at x0,y0 and x1,y1 are alike, else "differ"
"""
import struct
import sys
import zlib


def read_png(path):
    data = open(path, "rb").read()
    pos, idat, width, height, channels = 8, b"", 0, 0, 3
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            width, height, depth, colour = struct.unpack(">IIBB", body[:10])
            if depth != 8 or colour not in (2, 6):
                raise SystemExit("unsupported PNG: depth %d colour %d" % (depth, colour))
            channels = 3 if colour == 2 else 4
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    raw = zlib.decompress(idat)
    stride = width * channels
    rows, prev = [], bytearray(stride)
    for y in range(height):
        f = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            a = line[i - channels] if i >= channels else 0
            b = prev[i]
            c = prev[i - channels] if i >= channels else 0
            if f == 1:
                line[i] = (line[i] + a) & 255
            elif f == 2:
                line[i] = (line[i] + b) & 255
            elif f == 3:
                line[i] = (line[i] + (a + b) // 2) & 255
            elif f == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        rows.append(line)
        prev = line
    return width, height, channels, rows


def main():
    path, mode = sys.argv[1], sys.argv[2]
    if mode == "same":
        x0, y0, x1, y1, w, h = (int(v) for v in sys.argv[3:9])
        _, _, ch, rows = read_png(path)
        area = lambda x, y: [bytes(rows[y + j][x * ch:(x + w) * ch]) for j in range(h)]
        print("same" if area(x0, y0) == area(x1, y1) else "differ")
        return
    r, g, b = (int(v) for v in sys.argv[3:6])
    width, height, ch, rows = read_png(path)
    at = lambda x, y: tuple(rows[y][x * ch:x * ch + 3])
    if mode == "bbox":
        x0, y0, x1, y1 = (int(v) for v in sys.argv[6:10]) if len(sys.argv) > 6 else (0, 0, width - 1, height - 1)
        found = [(x, y) for y in range(y0, y1 + 1) for x in range(x0, x1 + 1) if at(x, y) == (r, g, b)]
        if found:
            xs, ys = [p[0] for p in found], [p[1] for p in found]
            print(min(xs), min(ys), max(xs), max(ys))
    elif mode in ("run", "runnot"):
        x, y = int(sys.argv[6]), int(sys.argv[7])
        same = (lambda p: p == (r, g, b)) if mode == "run" else (lambda p: p != (r, g, b))
        top = y
        while top > 0 and same(at(x, top - 1)):
            top -= 1
        bottom = y
        while bottom < height - 1 and same(at(x, bottom + 1)):
            bottom += 1
        print(bottom - top + 1 if same(at(x, y)) else 0)


main()
