#!/usr/bin/env python3
"""Draws the application icon: a two-armed spiral of star-forming cells.

Writes a PAM image (RGBA) per size; ImageMagick packs them into an .ico:
    tools/make-icon.py resources && convert resources/icon-*.pam resources/spiralis.ico
The web page's build draws the same artwork as PNG files at the sizes it needs:
    tools/make-icon.py --png build-web/site 192 512      (icon-192.png, icon-512.png)
Up to 48 pixels the arms are one pixel wide; larger sizes keep their width in
proportion to the 48-pixel icon's.
"""
import math
import os
import struct
import sys
import zlib

PALETTE = [(0, 255, 255), (0, 128, 128), (255, 255, 255), (0, 64, 96)]
# The size at which an arm is one pixel wide and drawn with 400 cells.
BASE_SIZE = 48


def render(size):
    px = [[(0, 0, 0, 0)] * size for _ in range(size)]
    c = (size - 1) / 2.0
    r_max = size / 2.0 - 0.5
    # dark disc
    for y in range(size):
        for x in range(size):
            d = math.hypot(x - c, y - c)
            if d <= r_max:
                a = 255 if d <= r_max - 1 else int(255 * (r_max - d + 1))
                px[y][x] = (4, 8, 24, max(0, min(255, a)))
    # spiral arms of cells, brighter toward the centre; above BASE_SIZE more
    # cells, each a dot as wide as a pixel of the BASE_SIZE icon
    scale = max(1, size // BASE_SIZE)
    radius = size / BASE_SIZE / 2.0
    for arm in range(2):
        for i in range(400 * scale):
            t = i / (400.0 * scale)
            ang = arm * math.pi + t * 3.4 * math.pi
            rad = 1.0 + t * (r_max - 2)
            x = c + rad * math.cos(ang)
            y = c + rad * math.sin(ang)
            col = PALETTE[0] if (i // scale // 23) % 3 else PALETTE[2]
            if t > 0.7:
                col = PALETTE[1]
            if size <= BASE_SIZE:
                dot = [(int(round(x)), int(round(y)))]
            else:
                dot = [(u, v) for v in range(int(y - radius), int(y + radius) + 2)
                       for u in range(int(x - radius), int(x + radius) + 2) if math.hypot(u - x, v - y) <= radius]
            for u, v in dot:
                if 0 <= u < size and 0 <= v < size and px[v][u][3] > 0:
                    px[v][u] = col + (255,)
    # a bright core
    for y in range(size):
        for x in range(size):
            if math.hypot(x - c, y - c) < size / 12.0:
                px[y][x] = (255, 255, 255, 255)
    return px


def write_pam(path, px):
    size = len(px)
    with open(path, "wb") as f:
        f.write(b"P7\nWIDTH %d\nHEIGHT %d\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n" % (size, size))
        for row in px:
            for p in row:
                f.write(bytes(p))


def write_png(path, px):
    size = len(px)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    rows = b"".join(b"\0" + b"".join(bytes(p) for p in row) for row in px)
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n")
        f.write(chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)))
        f.write(chunk(b"IDAT", zlib.compress(rows, 9)))
        f.write(chunk(b"IEND", b""))


if __name__ == "__main__":
    if len(sys.argv) > 1 and sys.argv[1] == "--png":
        out = sys.argv[2]
        for s in map(int, sys.argv[3:]):
            write_png(os.path.join(out, "icon-%d.png" % s), render(s))
    else:
        out = sys.argv[1] if len(sys.argv) > 1 else "."
        for s in (16, 32, 48):
            write_pam(os.path.join(out, "icon-%02d.pam" % s), render(s))
