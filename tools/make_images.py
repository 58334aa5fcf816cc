#!/usr/bin/env python3
# Writes the generated pictures of Content/Images: the 1x1 white pixel every untextured object is
# drawn with, and the smoky-ring sprite sheet of the particles. The sheet's colours are premultiplied
# by alpha: emitters add their particles' light (source factor one), so a transparent texel must also
# be black. Standard library only (zlib, struct).
#
#   python3 tools/make_images.py [output folder]     (default: Content/Images beside this script)

import math
import os
import random
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from pngwriter import write_png




def white_pixel(folder):
    write_png(os.path.join(folder, "whitePixel.png"), 1, 1, [bytes([255, 255, 255, 255])])


# Smoke ring: 8 frames of 64x64 in 4 columns and 2 rows. Frame k sits at column k % 4 and row k // 4,
# rows counted from the bottom of the picture (the game's texture rows start at the bottom edge).
FRAME = 64
COLUMNS = 4
ROWS = 2


def ring_alpha(frame, x, y, noise):
    t = frame / (COLUMNS * ROWS - 1)
    cx = cy = (FRAME - 1) / 2.0
    dx, dy = x - cx, y - cy
    r = math.hypot(dx, dy) / (FRAME / 2.0)
    angle = math.atan2(dy, dx)
    radius = 0.22 + 0.42 * t
    thickness = 0.08 + 0.12 * t
    wobble = 0.025 * math.sin(5 * angle + 3 * t) + 0.02 * math.sin(9 * angle - 2 * t)
    d = (r - radius - wobble) / thickness
    a = math.exp(-d * d) * (1.0 - 0.75 * t)
    a *= 0.8 + 0.2 * noise
    # Fade out towards the frame's edge so no frame shows a hard circle.
    edge = min(1.0, max(0.0, (1.0 - r) / 0.25))
    a *= edge * edge * (3 - 2 * edge)
    return max(0, min(255, int(round(a * 255))))


def smoky_ring(folder):
    rng = random.Random(1337)
    width, height = FRAME * COLUMNS, FRAME * ROWS
    noise = [[rng.random() for _ in range(width)] for _ in range(height)]
    bottom_up = []
    for sheet_row in range(height):
        row = bytearray()
        r = sheet_row // FRAME
        for sheet_col in range(width):
            c = sheet_col // FRAME
            frame = r * COLUMNS + c
            a = ring_alpha(frame, sheet_col % FRAME, sheet_row % FRAME, noise[sheet_row][sheet_col])
            grey = (200 + (a * 55) // 255) * a // 255
            row += bytes([grey, grey, grey, a])
        bottom_up.append(bytes(row))
    write_png(os.path.join(folder, "smokyRing.png"), width, height, list(reversed(bottom_up)))


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "Content", "Images")
    os.makedirs(folder, exist_ok=True)
    white_pixel(folder)
    smoky_ring(folder)


if __name__ == "__main__":
    main()
