#!/usr/bin/env python3
"""Draws the application icon: a two-armed spiral of star-forming cells.

Writes a PAM image (RGBA) per size; ImageMagick packs them into an .ico:
    tools/make-icon.py resources && convert resources/icon-*.pam resources/spiralis.ico
"""
import math
import os
import sys

PALETTE = [(0, 255, 255), (0, 128, 128), (255, 255, 255), (0, 64, 96)]


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
    # spiral arms of cells, brighter toward the centre
    for arm in range(2):
        for i in range(400):
            t = i / 400.0
            ang = arm * math.pi + t * 3.4 * math.pi
            rad = 1.0 + t * (r_max - 2)
            x = c + rad * math.cos(ang)
            y = c + rad * math.sin(ang)
            xi, yi = int(round(x)), int(round(y))
            if 0 <= xi < size and 0 <= yi < size and px[yi][xi][3] > 0:
                col = PALETTE[0] if (i // 23) % 3 else PALETTE[2]
                if t > 0.7:
                    col = PALETTE[1]
                px[yi][xi] = col + (255,)
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


if __name__ == "__main__":
    out = sys.argv[1] if len(sys.argv) > 1 else "."
    for s in (16, 32, 48):
        write_pam(os.path.join(out, "icon-%02d.pam" % s), render(s))
