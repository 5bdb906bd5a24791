"""Paints the frames of the sample show's background: a dusk sky from deep indigo to a rosy horizon, a soft
moon, two hills in silhouette, twinkling stars and little pink hearts drifting up and fading. Every motion
runs a whole number of cycles over the frames, so the animation loops without a seam.

usage: background.py OUTPUT_DIR   (writes frame-00.ppm ... as binary PPM)
"""

import math
import os
import random
import sys

import heartshape

WIDTH, HEIGHT = 480, 270
FRAMES = 20

SKY = [(0.00, (9, 8, 33)), (0.30, (28, 15, 62)), (0.58, (58, 24, 86)),
       (0.78, (102, 40, 104)), (1.00, (150, 64, 112))]
MOON = (384.0, 56.0, 15.0)          # centre x, centre y, radius
FAR_HILL = (34, 14, 52)
DITHER = 3.0                        # levels of a fixed 4x4 ordered pattern that hides banding in the GIF
NEAR_HILL = (18, 8, 30)


BAYER = [0, 8, 2, 10, 12, 4, 14, 6, 3, 11, 1, 9, 15, 7, 13, 5]


def clamp01(t):
    return 0.0 if t < 0.0 else 1.0 if t > 1.0 else t


def mix(a, b, t):
    return [a[0] + (b[0] - a[0]) * t, a[1] + (b[1] - a[1]) * t, a[2] + (b[2] - a[2]) * t]


def sky_colour(y):
    f = y / (HEIGHT - 1)
    for (f0, c0), (f1, c1) in zip(SKY, SKY[1:]):
        if f <= f1:
            t = (f - f0) / (f1 - f0)
            t = t * t * (3 - 2 * t)
            return mix(c0, c1, t)
    return list(SKY[-1][1])


def far_hill(x):
    return HEIGHT * 0.80 + 9.0 * math.sin(x / 53.0 + 0.7) + 5.0 * math.sin(x / 23.0 + 2.1)


def near_hill(x):
    return HEIGHT * 0.88 + 8.0 * math.sin(x / 71.0 + 2.4) + 4.0 * math.sin(x / 29.0)


def paint_still():
    """The parts that never move, as a list of [r, g, b] floats."""
    mx, my, mr = MOON
    img = []
    for y in range(HEIGHT):
        base = sky_colour(y)
        for x in range(WIDTH):
            c = list(base)
            # a thin veil of cloud above the hills
            band = HEIGHT * 0.66 + 7.0 * math.sin(x / 47.0 + 1.3)
            veil = 0.16 * math.exp(-((y - band) / 9.0) ** 2) * (0.6 + 0.4 * math.sin(x / 83.0))
            c = mix(c, (170, 96, 150), veil)
            # the moon's halo and disc
            r = math.hypot(x - mx, y - my)
            halo = math.exp(-r / 38.0) * 0.55
            c = [c[0] + 70 * halo, c[1] + 58 * halo, c[2] + 80 * halo]
            c = mix(c, (252, 242, 222), clamp01(mr + 0.5 - r))
            # hills, antialiased over one pixel
            c = mix(c, FAR_HILL, clamp01(y - far_hill(x) + 0.5))
            c = mix(c, NEAR_HILL, clamp01(y - near_hill(x) + 0.5))
            # the same pattern in every frame, so it never flickers and the GIF keeps only what changes
            d = DITHER * ((BAYER[(y % 4) * 4 + x % 4] + 0.5) / 16.0 - 0.5)
            img.append([c[0] + d, c[1] + d, c[2] + d])
    return img


def make_stars(rng):
    stars = []
    mx, my, mr = MOON
    while len(stars) < 95:
        x = rng.uniform(2, WIDTH - 3)
        y = rng.uniform(2, HEIGHT * 0.70)
        if math.hypot(x - mx, y - my) < mr + 14:
            continue
        if y > far_hill(x) - 6:
            continue
        bright = rng.random() < 0.14
        stars.append({
            'x': int(x), 'y': int(y),
            'level': rng.uniform(0.6, 1.0) if bright else rng.uniform(0.25, 0.75),
            'bright': bright,
            'cycles': rng.choice((1, 1, 2)),
            'phase': rng.random(),
            'depth': rng.uniform(0.35, 0.8),
            'tint': rng.choice(((255, 250, 235), (235, 240, 255), (255, 235, 245))),
        })
    return stars


def make_hearts(rng):
    hearts = []
    for i in range(10):
        hearts.append({
            'x': WIDTH * (i + 0.5) / 10 + rng.uniform(-14, 14),
            'y': rng.uniform(HEIGHT * 0.52, HEIGHT * 0.86),
            'size': rng.choice((8, 9, 10, 11, 12, 13, 14)),
            'rise': rng.uniform(16, 28),
            'sway': rng.uniform(2.0, 5.0),
            'phase': rng.random(),
            'alpha': rng.uniform(0.35, 0.6),
            'colour': rng.choice(((255, 128, 176), (255, 158, 196), (250, 110, 150))),
        })
    return hearts


def add_light(img, x, y, colour, amount):
    if 0 <= x < WIDTH and 0 <= y < HEIGHT and amount > 0:
        c = img[y * WIDTH + x]
        c[0] += colour[0] * amount
        c[1] += colour[1] * amount
        c[2] += colour[2] * amount


def draw_star(img, star, t):
    wave = 0.5 + 0.5 * math.cos(2 * math.pi * (star['cycles'] * t / FRAMES + star['phase']))
    b = star['level'] * (1.0 - star['depth'] * wave)
    x, y, tint = star['x'], star['y'], star['tint']
    add_light(img, x, y, tint, b)
    for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)):
        add_light(img, x + dx, y + dy, tint, 0.30 * b)
    for dx, dy in ((1, 1), (-1, 1), (1, -1), (-1, -1)):
        add_light(img, x + dx, y + dy, tint, 0.10 * b)
    if star['bright']:
        for k in (2, 3, 4):
            ray = b * b * 0.42 / (k - 1)
            for dx, dy in ((k, 0), (-k, 0), (0, k), (0, -k)):
                add_light(img, x + dx, y + dy, tint, ray)


def draw_heart(img, heart, t, poly):
    p = (t / FRAMES + heart['phase']) % 1.0
    alpha = heart['alpha'] * math.sin(math.pi * p) ** 2
    if alpha < 0.01:
        return
    cx = heart['x'] + heart['sway'] * math.sin(2 * math.pi * p + heart['phase'] * 6.0)
    cy = heart['y'] - heart['rise'] * p
    size = heart['size']
    ss = 4
    box = size + 4
    left, top = int(cx - box / 2), int(cy - box / 2)
    grid = box * ss
    mask = heartshape.fill_mask(poly, grid, grid, (cx - left) * ss, (cy - top) * ss, size * ss / 2.0)
    col = heart['colour']
    for py in range(box):
        for px in range(box):
            cover = 0
            for sy in range(ss):
                row = (py * ss + sy) * grid + px * ss
                cover += sum(mask[row:row + ss])
            if cover == 0:
                continue
            x, y = left + px, top + py
            if 0 <= x < WIDTH and 0 <= y < HEIGHT:
                a = alpha * cover / (ss * ss)
                c = img[y * WIDTH + x]
                img[y * WIDTH + x] = mix(c, col, a)


def write_ppm(path, img):
    data = bytearray()
    for c in img:
        for v in c:
            v = int(round(v))
            data.append(0 if v < 0 else 255 if v > 255 else v)
    with open(path, 'wb') as f:
        f.write(b'P6\n%d %d\n255\n' % (WIDTH, HEIGHT))
        f.write(bytes(data))


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    out = sys.argv[1]
    rng = random.Random(20240214)
    still = paint_still()
    stars = make_stars(rng)
    hearts = make_hearts(rng)
    poly, _ = heartshape.heart_polygon(120)
    for t in range(FRAMES):
        img = [list(c) for c in still]
        for star in stars:
            draw_star(img, star, t)
        for heart in hearts:
            draw_heart(img, heart, t, poly)
        write_ppm(os.path.join(out, 'frame-%02d.ppm' % t), img)


if __name__ == '__main__':
    main()
