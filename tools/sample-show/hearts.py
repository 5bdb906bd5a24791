"""Draws the two heart button pictures of the sample show as 100x100 24-bit BMPs on exact magenta.

MGH_Default.bmp is a rose-red heart with a dark outline and a glossy highlight; MGH_Focus.bmp is the lit
heart: the same silhouette, a brighter pink body and a golden glow filling the outer band. The edge is
antialiased against the transparent background on a 4x4 grid and then cut at half coverage: a pixel at
least half covered takes the mean of the heart colours under it (all opaque), any other pixel is exact
0xFF00FF, so no pixel is ever a blend of the heart with the magenta key.

usage: hearts.py OUTPUT_DIR
"""

import math
import os
import struct
import sys

import heartshape

SIZE = 100
SS = 4                      # supersampling per axis
HEART_WIDTH = 92.0          # pixels; the height follows from the shape (about 84)
KEY = (255, 0, 255)


def clamp01(t):
    return 0.0 if t < 0.0 else 1.0 if t > 1.0 else t


def smoothstep(e0, e1, x):
    t = clamp01((x - e0) / (e1 - e0))
    return t * t * (3.0 - 2.0 * t)


def mix(a, b, t):
    return (a[0] + (b[0] - a[0]) * t, a[1] + (b[1] - a[1]) * t, a[2] + (b[2] - a[2]) * t)


def ellipse(u, v, cx, cy, rx, ry, angle_deg):
    """0 at the centre of a rotated ellipse, 1 on its rim."""
    a = math.radians(angle_deg)
    du, dv = u - cx, v - cy
    x = du * math.cos(a) + dv * math.sin(a)
    y = -du * math.sin(a) + dv * math.cos(a)
    return (x / rx) ** 2 + (y / ry) ** 2


def lobe_glow(u, v, radius):
    r = min(math.hypot(u + 0.48, v + 0.42), math.hypot(u - 0.48, v + 0.42))
    return clamp01(1.0 - r / radius)


def shade_default(u, v, d):
    """u, v: position in the heart (about -1..1, y down); d: distance to the silhouette in pixels."""
    col = mix((238, 60, 100), (146, 8, 46), clamp01((v + 0.85) / 1.7))
    col = mix(col, (252, 104, 136), 0.40 * lobe_glow(u, v, 0.62))
    col = mix(col, (120, 6, 40), 0.50 * smoothstep(6.0, 1.5, d))
    col = mix(col, (255, 232, 240), 0.88 * smoothstep(1.0, 0.25, ellipse(u, v, -0.50, -0.46, 0.27, 0.12, -38)))
    col = mix(col, (255, 200, 215), 0.45 * smoothstep(1.0, 0.2, ellipse(u, v, 0.56, -0.50, 0.09, 0.06, 35)))
    col = mix(col, (100, 0, 32), smoothstep(2.4, 1.4, d))
    return col


GLOW = 5.0                  # width of the glowing band inside the silhouette, pixels


def sparkle(u, v, cx, cy, size):
    du, dv = abs(u - cx), abs(v - cy)
    cross = max(clamp01(1.0 - du / size) * clamp01(1.0 - dv / (size * 0.16)),
                clamp01(1.0 - dv / size) * clamp01(1.0 - du / (size * 0.16)))
    core = clamp01(1.0 - math.hypot(du, dv) / (size * 0.35))
    return clamp01(cross * 1.2 + core)


def shade_focus(u, v, d):
    dd = d - GLOW
    s = clamp01(d / GLOW)
    glow = mix((214, 70, 132), (255, 138, 176), smoothstep(0.0, 0.45, s))
    glow = mix(glow, (255, 228, 150), smoothstep(0.35, 1.0, s))
    body = mix((255, 112, 160), (230, 38, 104), clamp01((v + 0.75) / 1.5))
    body = mix(body, (255, 160, 190), 0.45 * lobe_glow(u, v, 0.58))
    body = mix(body, (255, 210, 150), 0.55 * smoothstep(4.0, 0.5, dd))
    body = mix(body, (255, 246, 250), 0.92 * smoothstep(1.0, 0.2, ellipse(u, v, -0.46, -0.40, 0.25, 0.12, -38)))
    body = mix(body, (255, 255, 240), 0.95 * sparkle(u, v, 0.50, -0.44, 0.20))
    rim = mix(body, (255, 250, 225), smoothstep(1.6, 0.4, dd))
    return mix(glow, rim, smoothstep(-0.6, 0.6, dd))


def render(shade):
    n = SIZE * SS
    poly, _ = heartshape.heart_polygon()
    half = HEART_WIDTH * SS / 2.0
    mask = heartshape.fill_mask(poly, n, n, n / 2.0, n / 2.0, half)
    dist = heartshape.distance_to(mask, n, n, 0)
    pixels = []
    for py in range(SIZE):
        for px in range(SIZE):
            count = 0
            acc = [0.0, 0.0, 0.0]
            for sy in range(SS):
                gy = py * SS + sy
                for sx in range(SS):
                    gx = px * SS + sx
                    i = gy * n + gx
                    if not mask[i]:
                        continue
                    u = (gx + 0.5 - n / 2.0) / half
                    v = (gy + 0.5 - n / 2.0) / half
                    c = shade(u, v, (dist[i] - 0.5) / SS)
                    acc[0] += c[0]
                    acc[1] += c[1]
                    acc[2] += c[2]
                    count += 1
            if count * 2 >= SS * SS:
                pixels.append(tuple(int(round(a / count)) for a in acc))
            else:
                pixels.append(KEY)
    return pixels


def write_bmp(path, pixels, width, height):
    row_bytes = (width * 3 + 3) & ~3
    image_size = row_bytes * height
    header = struct.pack('<2sIHHI', b'BM', 14 + 40 + image_size, 0, 0, 14 + 40)
    info = struct.pack('<IiiHHIIiiII', 40, width, height, 1, 24, 0, image_size, 2835, 2835, 0, 0)
    body = bytearray()
    for y in range(height - 1, -1, -1):
        start = len(body)
        for x in range(width):
            r, g, b = pixels[y * width + x]
            body += bytes((b, g, r))
        body += b'\0' * (row_bytes - (len(body) - start))
    with open(path, 'wb') as f:
        f.write(header + info + bytes(body))


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    out = sys.argv[1]
    write_bmp(os.path.join(out, 'MGH_Default.bmp'), render(shade_default), SIZE, SIZE)
    write_bmp(os.path.join(out, 'MGH_Focus.bmp'), render(shade_focus), SIZE, SIZE)


if __name__ == '__main__':
    main()
