#!/usr/bin/env python3
# Writes Content/Images/sky.png, the backdrop wrapped round a sphere: the top row is the zenith, the
# middle the horizon, the bottom row the nadir, and the left and right edges meet. A blue day sky with
# soft clouds above, a sea of clouds below the floating level. Colours stay clear of what the game's
# screenshot checks look for (green floor, cyan rings, gold and white lettering, red hero), and the
# horizon, where the HUD's lettering stands, is kept deep enough for white and gold text to read.
#
#   python3 tools/make_sky.py [output folder]     (default: Content/Images beside this script)

import math
import os
import random
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from pngwriter import write_png

WIDTH = 512
HEIGHT = 256


class PeriodicNoise:
    """Smooth value noise that wraps round in x, so the sphere's seam does not show."""

    def __init__(self, seed, cells_x, cells_y):
        rng = random.Random(seed)
        self.cells_x, self.cells_y = cells_x, cells_y
        self.values = [[rng.random() for _ in range(cells_x)] for _ in range(cells_y + 1)]

    def at(self, u, v):
        x, y = u * self.cells_x, min(1.0, max(0.0, v)) * self.cells_y
        x0, y0 = int(math.floor(x)), min(int(math.floor(y)), self.cells_y - 1)
        fx, fy = x - math.floor(x), y - y0
        fx, fy = fx * fx * (3 - 2 * fx), fy * fy * (3 - 2 * fy)
        row0, row1 = self.values[y0], self.values[y0 + 1]
        a = row0[x0 % self.cells_x] * (1 - fx) + row0[(x0 + 1) % self.cells_x] * fx
        b = row1[x0 % self.cells_x] * (1 - fx) + row1[(x0 + 1) % self.cells_x] * fx
        return a * (1 - fy) + b * fy


def fractal(layers, u, v):
    total, weight, amplitude = 0.0, 0.0, 1.0
    for layer in layers:
        total += amplitude * layer.at(u, v)
        weight += amplitude
        amplitude *= 0.5
    return total / weight


def mix(a, b, t):
    t = min(1.0, max(0.0, t))
    return tuple(x + (y - x) * t for x, y in zip(a, b))


def smooth(edge0, edge1, x):
    t = min(1.0, max(0.0, (x - edge0) / (edge1 - edge0)))
    return t * t * (3 - 2 * t)


# The day sky from the horizon up.
HORIZON = (150, 170, 212)
HAZE = (106, 138, 204)
ZENITH = (48, 98, 178)
# Below the horizon: the cloud sea's shadowed depths towards the nadir.
SEA_SHADOW = (118, 130, 176)
NADIR = (56, 66, 116)
CLOUD = (206, 208, 222)
CLOUD_SHADE = (150, 154, 190)


def sky_colour(elevation):
    # The play camera looks down on the level: only a few degrees above the horizon show, so the
    # blue comes in quickly.
    if elevation >= 0:
        if elevation < 0.08:
            return mix(HORIZON, HAZE, smooth(0.0, 0.08, elevation))
        return mix(HAZE, ZENITH, smooth(0.08, 0.6, elevation) ** 0.8)
    depth = -elevation
    if depth < 0.35:
        return mix(HORIZON, SEA_SHADOW, smooth(0.0, 0.35, depth))
    return mix(SEA_SHADOW, NADIR, smooth(0.35, 1.0, depth))


def texel(u, elevation, clouds, detail):
    colour = sky_colour(elevation)
    # Wide flat clouds, thickest a little above the horizon and gone towards the zenith; below, the
    # sea of clouds, dense near the horizon and thinning into the depths.
    n = fractal(clouds, u, 0.5 - elevation * (0.5 if elevation < 0 else 1.5))
    if elevation >= 0:
        band = smooth(0.0, 0.04, elevation) * (1 - smooth(0.2, 0.45, elevation))
        cover = smooth(0.46, 0.72, n) * band
    else:
        band = 1 - smooth(0.1, 0.85, -elevation)
        cover = smooth(0.36, 0.62, n) * band
    if cover > 0:
        shade = mix(CLOUD_SHADE, CLOUD, 0.55 + 0.45 * fractal(detail, u, 0.5 - elevation * 0.5))
        colour = mix(colour, shade, cover * 0.8)
    r, g, b = colour
    # Bounds that follow red smoothly keep the screenshot checks' cyan (green and blue above 170, red
    # below) and blue (blue above 180, red below 110) out of the picture without a visible edge.
    g = min(g, 170 + 2 * max(0.0, r - 170))
    capped = min(b, 180 + 2 * max(0.0, r - 110))
    g, b = g * capped / b, capped  # green follows blue down, or the bound would tint the sky teal
    r, g, b = (int(round(c)) for c in (r, g, b))
    return r, g, b


def screenshot_safe(p):
    r, g, b = p
    floor = g > r + 20 and g > b + 20
    cyan = b > 170 and g > 170 and r < 170
    blue = b > 180 and r < 110
    gold = r > 200 and 150 < g < 230 and b < 120
    white = min(p) > 235
    red = r > 180 and g < 110 and b < 110
    pink = r > 90 and 0.55 * r < b < 0.95 * r and g < 0.7 * b
    return not (floor or cyan or blue or gold or white or red or pink)


def sky(folder):
    clouds = [PeriodicNoise(11, 6, 4), PeriodicNoise(12, 12, 8), PeriodicNoise(13, 24, 16), PeriodicNoise(14, 48, 32)]
    detail = [PeriodicNoise(21, 24, 16), PeriodicNoise(22, 48, 32)]
    rows = []
    for y in range(HEIGHT):
        # The top row is the zenith (elevation 1), the bottom row the nadir (-1).
        elevation = 1.0 - 2.0 * (y + 0.5) / HEIGHT
        row = bytearray()
        for x in range(WIDTH):
            p = texel(x / WIDTH, elevation, clouds, detail)
            assert screenshot_safe(p), (x, y, p)
            row += bytes([p[0], p[1], p[2], 255])
        rows.append(bytes(row))
    write_png(os.path.join(folder, "sky.png"), WIDTH, HEIGHT, rows)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "Content", "Images")
    os.makedirs(folder, exist_ok=True)
    sky(folder)


if __name__ == "__main__":
    main()
