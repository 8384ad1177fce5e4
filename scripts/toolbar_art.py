#!/usr/bin/env python3
"""Turns the pixel drawings of a toolbar strip (src/resources/toolbar_<id>.txt)
into its PNG strip and prints the TOOLBAR line that lists the commands in
image order. Run it after changing a drawing:

    scripts/toolbar_art.py src/resources/toolbar_120.txt src/resources/toolbar_120.png

Drawing file: `SIZE <w> <h>`, then blocks
    ICON <command id> <name> [BASE <command id or helper>]   (h rows of w characters)
    COPY <command id> <command id>                           (the same picture again)
Names starting with '_' are helpers: drawn, usable as a BASE, not put in the
strip. Over a BASE, '.' keeps the base's pixel. Colours are the sixteen
colours of the classic palette, so the system-colour mapping applies:
"""
import struct
import sys
import zlib

PALETTE = {
    '.': (0xC0, 0xC0, 0xC0),  # button face: transparent in the XP look
    'K': (0x00, 0x00, 0x00), 'g': (0x80, 0x80, 0x80), 'W': (0xFF, 0xFF, 0xFF),
    'r': (0x80, 0x00, 0x00), 'R': (0xFF, 0x00, 0x00),
    'n': (0x00, 0x80, 0x00), 'G': (0x00, 0xFF, 0x00),
    'y': (0x80, 0x80, 0x00), 'Y': (0xFF, 0xFF, 0x00),
    'b': (0x00, 0x00, 0x80), 'B': (0x00, 0x00, 0xFF),
    'm': (0x80, 0x00, 0x80), 'M': (0xFF, 0x00, 0xFF),
    'c': (0x00, 0x80, 0x80), 'C': (0x00, 0xFF, 0xFF),
}


def fail(msg):
    sys.exit(f"toolbar_art: {msg}")


def read(path):
    w = h = None
    pictures = {}   # name -> rows
    strip = []      # (command id, name) in image order
    lines = open(path, encoding='ascii').read().splitlines()
    i = 0
    while i < len(lines):
        line = lines[i].strip()
        i += 1
        if not line or line.startswith('#'):
            continue
        words = line.split()
        if words[0] == 'SIZE':
            w, h = int(words[1]), int(words[2])
        elif words[0] == 'COPY':
            strip.append((int(words[1]), words[2]))
        elif words[0] == 'ICON':
            name = words[1]
            base = words[words.index('BASE') + 1] if 'BASE' in words else None
            rows = [r.strip() for r in lines[i:i + h]]
            i += h
            for n, r in enumerate(rows):
                if len(r) != w or any(c not in PALETTE for c in r):
                    fail(f"{path}: picture {name} row {n}: '{r}' is not {w} palette characters")
            if base is not None:
                if base not in pictures:
                    fail(f"{path}: picture {name}: unknown base {base}")
                rows = [''.join(b if c == '.' else c for c, b in zip(r, br))
                        for r, br in zip(rows, pictures[base])]
            pictures[name] = rows
            if not name.startswith('_'):
                strip.append((int(name), name))
        else:
            fail(f"{path}: unknown line '{line}'")
    for cmd, name in strip:
        if name not in pictures:
            fail(f"{path}: COPY of unknown picture {name}")
    return w, h, pictures, strip


def write_png(path, w, h, pictures, strip):
    raw = bytearray()
    for y in range(h):
        raw.append(0)
        for _, name in strip:
            for c in pictures[name][y]:
                raw.extend(PALETTE[c])

    def chunk(kind, data):
        return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data))

    png = b'\x89PNG\r\n\x1a\n'
    png += chunk(b'IHDR', struct.pack('>IIBBBBB', w * len(strip), h, 8, 2, 0, 0, 0))
    png += chunk(b'IDAT', zlib.compress(bytes(raw), 9))
    png += chunk(b'IEND', b'')
    open(path, 'wb').write(png)


def main():
    if len(sys.argv) != 3:
        fail("usage: toolbar_art.py <drawings.txt> <strip.png>")
    w, h, pictures, strip = read(sys.argv[1])
    write_png(sys.argv[2], w, h, pictures, strip)
    print(' '.join(str(cmd) for cmd, _ in strip))


if __name__ == '__main__':
    main()
