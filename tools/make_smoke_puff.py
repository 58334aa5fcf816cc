#!/usr/bin/env python3
# Writes Content/Images/smokePuff.png, the particles' smoke-puff sprite sheet: 8 frames of 64x64 in
# 4 columns and 2 rows of a soft, lumpy puff that swells and thins out. Frame k sits at column k % 4
# and row k // 4, rows counted from the bottom of the picture (texture rows start at the bottom
# edge). Colours are premultiplied by alpha: emitters add their particles' light (source factor one),
# so a transparent texel must also be black. Standard library only; the same seed always gives the
# same picture.
#
#   python3 tools/make_smoke_puff.py [output folder]     (default: Content/Images beside this script)

import math
import os
import random
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from pngwriter import write_png

FRAME = 64
COLUMNS = 4
ROWS = 2
FRAMES = COLUMNS * ROWS




class ValueNoise:
    """Smooth 2D noise from a lattice of random values, wrapped every `period` cells."""

    def __init__(self, seed, period):
        rng = random.Random(seed)
        self.period = period
        self.values = [[rng.random() for _ in range(period)] for _ in range(period)]

    def at(self, x, y):
        x0, y0 = math.floor(x), math.floor(y)
        fx, fy = x - x0, y - y0
        sx, sy = fx * fx * (3 - 2 * fx), fy * fy * (3 - 2 * fy)
        p = self.period
        v = self.values
        a = v[y0 % p][x0 % p]
        b = v[y0 % p][(x0 + 1) % p]
        c = v[(y0 + 1) % p][x0 % p]
        d = v[(y0 + 1) % p][(x0 + 1) % p]
        return (a + (b - a) * sx) * (1 - sy) + (c + (d - c) * sx) * sy

    def fractal(self, x, y, octaves=4):
        total, amplitude, norm = 0.0, 1.0, 0.0
        for _ in range(octaves):
            total += self.at(x, y) * amplitude
            norm += amplitude
            x, y, amplitude = x * 2.0, y * 2.0, amplitude * 0.5
        return total / norm


def puff_pixel(noise, frame, x, y):
    """Grey level and alpha of one pixel of one frame."""
    t = frame / (FRAMES - 1)
    cx = cy = (FRAME - 1) / 2.0
    dx, dy = (x - cx) / (FRAME / 2.0), (y - cy) / (FRAME / 2.0)
    r = math.hypot(dx, dy)
    # The puff swells from a third of the frame to nearly all of it, its lumps drifting outward.
    radius = 0.35 + 0.55 * t
    lumps = noise.fractal(dx * 2.5 + 7.0 - dx * t, dy * 2.5 + 3.0 - dy * t)
    edge = radius * (0.75 + 0.5 * lumps)
    body = max(0.0, min(1.0, (edge - r) / 0.25))
    body = body * body * (3 - 2 * body)
    density = body * (0.55 + 0.45 * lumps) * (1.0 - 0.8 * t)
    alpha = max(0, min(255, int(round(density * 235))))
    grey = max(0, min(255, int(round(170 + 70 * lumps))))
    return grey, alpha


def smoke_puff(folder):
    noise = ValueNoise(2024, 16)
    width, height = FRAME * COLUMNS, FRAME * ROWS
    bottom_up = []
    for sheet_row in range(height):
        row = bytearray()
        r = sheet_row // FRAME
        for sheet_col in range(width):
            frame = r * COLUMNS + sheet_col // FRAME
            grey, alpha = puff_pixel(noise, frame, sheet_col % FRAME, sheet_row % FRAME)
            grey = grey * alpha // 255
            row += bytes([grey, grey, grey, alpha])
        bottom_up.append(bytes(row))
    write_png(os.path.join(folder, "smokePuff.png"), width, height, list(reversed(bottom_up)))


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "Content", "Images")
    os.makedirs(folder, exist_ok=True)
    smoke_puff(folder)


if __name__ == "__main__":
    main()
