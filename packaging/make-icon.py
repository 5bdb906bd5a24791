"""Draws heartstage's icon, a glossy heart on a transparent ground, as heartstage.png (256 x 256, RGBA), from
the heart outline the sample show's pictures use.

usage: python3 -B packaging/make-icon.py    (writes heartstage.png beside this script; standard library only)
"""

import math
import os
import struct
import sys
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "tools", "sample-show"))
import heartshape  # noqa: E402

SIZE = 256
SUPERSAMPLE = 4
HEART_WIDTH = 0.90          # of the icon's width
TOP = (255, 122, 162)       # rose at the top of the heart
BOTTOM = (196, 16, 64)      # deep red at its tip
HIGHLIGHT = (0.34, 0.30, 0.13, 0.075)  # centre x, centre y, radii x and y, as parts of the icon's size


def lerp(a, b, t):
    return a + (b - a) * t


def colour_at(x, y):
    """The heart's colour at (x, y), both 0..1 across the icon: a vertical gradient with a soft highlight on
    the left lobe."""
    t = min(1.0, max(0.0, (y - 0.12) / 0.78))
    r, g, b = (lerp(TOP[i], BOTTOM[i], t) for i in range(3))
    cx, cy, rx, ry = HIGHLIGHT
    d = math.hypot((x - cx) / rx, (y - cy) / ry)
    glow = max(0.0, 1.0 - d) ** 1.5 * 0.85
    return (lerp(r, 255, glow), lerp(g, 255, glow), lerp(b, 255, glow))


def write_png(path, pixels):
    raw = b"".join(b"\x00" + bytes(row) for row in pixels)
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)
    header = struct.pack(">IIBBBBB", SIZE, SIZE, 8, 6, 0, 0, 0)
    with open(path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9)) +
                  chunk(b"IEND", b""))


def make_png(path, poly):
    n = SIZE * SUPERSAMPLE
    mask = heartshape.fill_mask(poly, n, n, n / 2.0, n / 2.0, HEART_WIDTH * n / 2.0)
    rows = []
    for py in range(SIZE):
        row = []
        for px in range(SIZE):
            covered = 0
            for sy in range(SUPERSAMPLE):
                start = (py * SUPERSAMPLE + sy) * n + px * SUPERSAMPLE
                covered += sum(mask[start:start + SUPERSAMPLE])
            alpha = covered / float(SUPERSAMPLE * SUPERSAMPLE)
            r, g, b = colour_at((px + 0.5) / SIZE, (py + 0.5) / SIZE)
            row += [round(r), round(g), round(b), round(alpha * 255)]
        rows.append(row)
    write_png(path, rows)


def main():
    poly, _ = heartshape.heart_polygon(480)
    make_png(os.path.join(HERE, "heartstage.png"), poly)


if __name__ == "__main__":
    main()
