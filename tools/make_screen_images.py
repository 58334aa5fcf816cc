#!/usr/bin/env python3
# Writes the pictures of the loading screen and the first level into Content/Images: the loading
# picture, the progress target, the maker's and the team's logos and the floor's tiles. Standard
# library only (zlib, struct); the lettering comes from a small block font defined below.
#
#   python3 tools/make_screen_images.py [output folder]     (default: Content/Images beside this script)

import math
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from pngwriter import write_png


def write_pixels(path, width, height, pixels):
    """pixels: width * height RGBA tuples, top row first."""
    rows = []
    for y in range(height):
        row = bytearray()
        for x in range(width):
            row.extend(pixels[y * width + x])
        rows.append(bytes(row))
    write_png(path, width, height, rows)


# 5 x 7 block letters, one string per row, '#' for ink.
GLYPHS = {
    "A": [" ### ", "#   #", "#   #", "#####", "#   #", "#   #", "#   #"],
    "B": ["#### ", "#   #", "#   #", "#### ", "#   #", "#   #", "#### "],
    "C": [" ####", "#    ", "#    ", "#    ", "#    ", "#    ", " ####"],
    "D": ["#### ", "#   #", "#   #", "#   #", "#   #", "#   #", "#### "],
    "E": ["#####", "#    ", "#    ", "#### ", "#    ", "#    ", "#####"],
    "G": [" ####", "#    ", "#    ", "#  ##", "#   #", "#   #", " ####"],
    "I": ["#####", "  #  ", "  #  ", "  #  ", "  #  ", "  #  ", "#####"],
    "K": ["#   #", "#  # ", "# #  ", "##   ", "# #  ", "#  # ", "#   #"],
    "L": ["#    ", "#    ", "#    ", "#    ", "#    ", "#    ", "#####"],
    "M": ["#   #", "## ##", "# # #", "# # #", "#   #", "#   #", "#   #"],
    "N": ["#   #", "##  #", "# # #", "#  ##", "#   #", "#   #", "#   #"],
    "O": [" ### ", "#   #", "#   #", "#   #", "#   #", "#   #", " ### "],
    "R": ["#### ", "#   #", "#   #", "#### ", "# #  ", "#  # ", "#   #"],
    "S": [" ####", "#    ", "#    ", " ### ", "    #", "    #", "#### "],
    "T": ["#####", "  #  ", "  #  ", "  #  ", "  #  ", "  #  ", "  #  "],
    "U": ["#   #", "#   #", "#   #", "#   #", "#   #", "#   #", " ### "],
    ".": ["     ", "     ", "     ", "     ", "     ", "     ", "  #  "],
    " ": ["     "] * 7,
}


class Canvas:
    def __init__(self, width, height, color):
        self.width = width
        self.height = height
        self.pixels = [color] * (width * height)

    def put(self, x, y, color):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.pixels[y * self.width + x] = color

    def fill(self, shade):
        """shade(x, y) -> RGBA for every pixel."""
        for y in range(self.height):
            for x in range(self.width):
                self.pixels[y * self.width + x] = shade(x, y)

    def text(self, message, centre_x, top, scale, color):
        advance = 6 * scale
        left = centre_x - (len(message) * advance - scale) // 2
        for i, letter in enumerate(message):
            glyph = GLYPHS[letter]
            for row, line in enumerate(glyph):
                for column, ink in enumerate(line):
                    if ink != "#":
                        continue
                    for dy in range(scale):
                        for dx in range(scale):
                            self.put(left + i * advance + column * scale + dx, top + row * scale + dy, color)

    def save(self, path):
        write_pixels(path, self.width, self.height, self.pixels)


def mix(a, b, t):
    return tuple(int(round(a[i] + (b[i] - a[i]) * t)) for i in range(4))


def loading_picture(folder):
    # Shown on a square quad that reaches past the top and bottom of the window: the lettering sits in
    # the visible middle, and the sphere's track lies at about a fifth of the height from the bottom.
    size = 512
    canvas = Canvas(size, size, (0, 0, 0, 255))
    top_color, bottom_color = (22, 34, 66, 255), (6, 8, 18, 255)
    canvas.fill(lambda x, y: mix(top_color, bottom_color, y / (size - 1)))
    canvas.text("LOADING", size // 2, 150, 8, (236, 240, 250, 255))
    track_y = int(size * (1 - 0.22))
    for x in range(40, size - 40):
        for dy in (-1, 0, 1):
            canvas.put(x, track_y + dy, (90, 120, 190, 255))
    canvas.save(os.path.join(folder, "loading.png"))


def progress_target(folder):
    # The hole the sphere rolls towards: a glowing ring on a transparent background.
    size = 128
    canvas = Canvas(size, size, (0, 0, 0, 0))
    centre = (size - 1) / 2.0

    def shade(x, y):
        r = math.hypot(x - centre, y - centre) / (size / 2.0)
        ring = math.exp(-((r - 0.78) / 0.09) ** 2)
        core = max(0.0, 1.0 - r / 0.55) * 0.6
        alpha = min(1.0, ring + core)
        return (int(120 + 135 * ring), int(200 + 55 * ring), 255, int(255 * alpha))

    canvas.fill(shade)
    canvas.save(os.path.join(folder, "sphere.png"))


def maker_logo(folder):
    # Drawn on a white screen in a 0.7 : 0.1688 frame.
    width, height = 512, 124
    canvas = Canvas(width, height, (255, 255, 255, 255))
    for x in range(16, width - 16):
        for dy in range(4):
            canvas.put(x, 104 + dy, (200, 40, 40, 255))
    canvas.text("KESTRUM", width // 2, 20, 11, (24, 24, 32, 255))
    canvas.save(os.path.join(folder, "Kestrum.png"))


def team_logo(folder):
    # Drawn on a white screen in a square frame: an orbiting ball over the team's name.
    size = 256
    canvas = Canvas(size, size, (255, 255, 255, 255))
    cx, cy = 128, 100

    def shade(x, y):
        r = math.hypot(x - cx, y - cy)
        if r < 44:
            light = max(0.0, 1.0 - math.hypot(x - cx + 16, y - cy + 16) / 70.0)
            return mix((30, 90, 200, 255), (190, 225, 255, 255), light)
        orbit = abs(math.hypot((x - cx) / 1.6, y - cy) - 54)
        if orbit < 3:
            return (40, 40, 48, 255)
        return (255, 255, 255, 255)

    canvas.fill(shade)
    canvas.text("BRANNOC", size // 2, 190, 5, (24, 24, 32, 255))
    canvas.save(os.path.join(folder, "brannoc.png"))


def floor_tiles(folder):
    # Large checks with a thin seam, so that the floor shows how the camera moves over it.
    size = 256
    checks = 8
    canvas = Canvas(size, size, (0, 0, 0, 255))
    step = size // checks

    def shade(x, y):
        light = ((x // step) + (y // step)) % 2 == 0
        seam = x % step in (0, step - 1) or y % step in (0, step - 1)
        if seam:
            return (40, 48, 60, 255)
        return (92, 150, 92, 255) if light else (60, 112, 66, 255)

    canvas.fill(shade)
    canvas.save(os.path.join(folder, "floorTiles.png"))


def main():
    default = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "Content", "Images")
    folder = sys.argv[1] if len(sys.argv) > 1 else default
    os.makedirs(folder, exist_ok=True)
    loading_picture(folder)
    progress_target(folder)
    maker_logo(folder)
    team_logo(folder)
    floor_tiles(folder)


if __name__ == "__main__":
    main()
