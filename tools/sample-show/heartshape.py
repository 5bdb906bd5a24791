"""The heart outline shared by the button pictures and the background: a closed polygon, its scanline fill
on a supersampled grid, and distance fields (in grid cells) to the outline from either side."""

import math

SQRT2 = math.sqrt(2.0)


def heart_polygon(points=480):
    """The classic parametric heart, normalised so that its bounding box is centred on (0, 0) with a width
    of 2; y grows downwards as on screen. Returns (polygon, height / width)."""
    raw = []
    for i in range(points):
        t = 2.0 * math.pi * i / points
        x = 16.0 * math.sin(t) ** 3
        y = 13.0 * math.cos(t) - 5.0 * math.cos(2 * t) - 2.0 * math.cos(3 * t) - math.cos(4 * t)
        raw.append((x, -y))
    xs = [p[0] for p in raw]
    ys = [p[1] for p in raw]
    cx = (max(xs) + min(xs)) / 2.0
    cy = (max(ys) + min(ys)) / 2.0
    half = (max(xs) - min(xs)) / 2.0
    poly = [((x - cx) / half, (y - cy) / half) for x, y in raw]
    return poly, (max(ys) - min(ys)) / (max(xs) - min(xs))


def fill_mask(poly, grid_w, grid_h, centre_x, centre_y, half_width):
    """A row-major list of 0/1 for a grid of grid_w x grid_h cells: 1 where the cell's centre lies inside
    the polygon placed with its centre at (centre_x, centre_y) and half its width equal to half_width (all
    in grid cells)."""
    pts = [(centre_x + x * half_width, centre_y + y * half_width) for x, y in poly]
    edges = list(zip(pts, pts[1:] + pts[:1]))
    mask = [0] * (grid_w * grid_h)
    for row in range(grid_h):
        y = row + 0.5
        xs = []
        for (x0, y0), (x1, y1) in edges:
            if (y0 <= y < y1) or (y1 <= y < y0):
                xs.append(x0 + (y - y0) * (x1 - x0) / (y1 - y0))
        xs.sort()
        base = row * grid_w
        for a, b in zip(xs[0::2], xs[1::2]):
            first = max(0, int(math.ceil(a - 0.5)))
            last = min(grid_w - 1, int(math.floor(b - 0.5)))
            for col in range(first, last + 1):
                mask[base + col] = 1
    return mask


def distance_to(mask, grid_w, grid_h, target):
    """Two-pass chamfer distance (steps 1 and sqrt 2) from every cell to the nearest cell whose mask value
    equals target; cells equal to target get 0."""
    big = float(grid_w + grid_h) * 2.0
    dist = [0.0 if v == target else big for v in mask]
    for y in range(grid_h):
        for x in range(grid_w):
            i = y * grid_w + x
            d = dist[i]
            if d == 0.0:
                continue
            if x > 0:
                d = min(d, dist[i - 1] + 1.0)
            if y > 0:
                d = min(d, dist[i - grid_w] + 1.0)
                if x > 0:
                    d = min(d, dist[i - grid_w - 1] + SQRT2)
                if x < grid_w - 1:
                    d = min(d, dist[i - grid_w + 1] + SQRT2)
            dist[i] = d
    for y in range(grid_h - 1, -1, -1):
        for x in range(grid_w - 1, -1, -1):
            i = y * grid_w + x
            d = dist[i]
            if d == 0.0:
                continue
            if x < grid_w - 1:
                d = min(d, dist[i + 1] + 1.0)
            if y < grid_h - 1:
                d = min(d, dist[i + grid_w] + 1.0)
                if x < grid_w - 1:
                    d = min(d, dist[i + grid_w + 1] + SQRT2)
                if x > 0:
                    d = min(d, dist[i + grid_w - 1] + SQRT2)
            dist[i] = d
    return dist


def coverage(size_px, supersample=4):
    """Antialiased coverage (0..1) of a heart filling a size_px x size_px square, as a row-major list; the
    heart is as wide as the square less one pixel and centred."""
    poly, _ = heart_polygon(240)
    n = size_px * supersample
    mask = fill_mask(poly, n, n, n / 2.0, n / 2.0, (size_px - 1) * supersample / 2.0)
    out = []
    area = float(supersample * supersample)
    for py in range(size_px):
        for px in range(size_px):
            total = 0
            for sy in range(supersample):
                row = (py * supersample + sy) * n + px * supersample
                total += sum(mask[row:row + supersample])
            out.append(total / area)
    return out
