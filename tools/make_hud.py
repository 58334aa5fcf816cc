#!/usr/bin/env python3
# Writes the first level's HUD file (Content/HUD/level1.hud) and its picture, the size gauge's track
# (Content/Images/hudGaugeTrack.png).
#
#   python3 tools/make_hud.py        (run from anywhere)
#
# Placement: an entity's body position is its centre in -1..1 window coordinates and its shape's
# bounding radius r its viewport's height as a share of the window's; the HUD camera (72 degrees, at the
# origin) sees the entity at depth 1, where the viewport spans +-tan(36 degrees) vertically. A plate of
# half extents (a * s, s) therefore shows s * r / tan(36) of the window's height, whatever the window's
# aspect: sizes follow the height only, so what does not overlap at 4:3 does not at 16:9 either.

import math
import os

from pngwriter import write_png

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.join(HERE, "..")
TAN36 = math.tan(math.radians(36.0))


def fmt(v):
    return ("%.4f" % v).rstrip("0").rstrip(".") if v != int(v) else str(int(v))


def vec(*values):
    return " ".join(fmt(v) for v in values)


def plate(share, aspect):
    """Half extents (a * s, s) of a plate `share` of the window's height tall, `aspect` wide to high."""
    s = math.sqrt(share * TAN36 / math.sqrt(1.0 + aspect * aspect))
    return aspect * s, s


def body(x, y, shape):
    return ["Body 1", "\t0 Component", "\t\tend", "\tposition " + vec(x, y, -1, 1), "\tresolve 0", "\tcollides 0",
            "\tshape " + shape, "\tend"]


def graphics(color, texture="whitePixel", model="defaultModel", program="particleShader", specular=(0, 0, 0, 0)):
    return ["Graphics 5", "\t0 Component", "\t\tend", "\tdiffuseColor " + vec(*color),
            "\tspecularColor " + vec(*specular), "\ttextureName " + texture, "\tmodelName " + model,
            "\tprogramName " + program, "\tpatterns", "\t\tend", "\tshininess 20", "\tdrawGroup 0", "\tend"]


def label(kind, text, line_height=48):
    return [kind + " 0", "\t0 TextureTextComponent", "\t\t0 Component", "\t\t\tend", '\t\tfontName "Verdana Bold"',
            '\t\ttext "' + text + '"', "\t\tlineHeight " + str(line_height), "\t\tend", "\tend"]


def entity(components):
    lines = ["Entity 1", "\tcomponents"]
    for component in components:
        lines += ["\t\t" + line for line in component]
    return lines + ["\t\tend", "\tend"]


def text_entity(kind, text, x, y, share, aspect, color=(1, 1, 1, 1)):
    sx, sy = plate(share, aspect)
    return entity([body(x, y, "Rect 0 size " + vec(sx, sy, 0, 0) + " end"), graphics(color), label(kind, text)])


def hud():
    entities = []
    # The clock: glyph quads in font units from its centre to the right and down.
    entities.append(entity([
        body(-0.96, 0.86, "Rect 0 size 0.2 0.2 0 0 end"),
        ["FontSheetGraphics 0", "\t5 Graphics"] + ["\t" + line for line in graphics((1, 1, 1, 1), model='""')[1:]] +
        ['\tfontName "Verdana Bold"', '\ttext " Time:\\n00:00"', "\tend"],
        ["TimerLabel 0", "\tend"],
    ]))
    entities.append(text_entity("SpeedLabel", "Speed:\\n0cm/s", 0.78, 0.74, 0.085, 2.4))
    # Information lines start invisible and fade in line by line.
    entities.append(text_entity("InfoText", "", 0.0, 0.55, 0.13, 4.5, color=(1, 0.95, 0.6, 0)))
    entities.append(text_entity("SpheresRemaining", "0/0", -0.84, -0.86, 0.06, 2.2, color=(1, 0.85, 0.3, 1)))
    # The size gauge on the right: the largest size above, the smallest below, the track between.
    entities.append(text_entity("MaxSizeLabel", "Max:\\n100cm", 0.86, 0.52, 0.08, 1.7))
    entities.append(text_entity("MinSizeLabel", "Min:\\n100cm", 0.86, -0.4, 0.08, 1.7))
    tx, ty = plate(0.32, 0.06)
    entities.append(entity([body(0.86, 0.1, "Rect 0 size " + vec(tx, ty, 0, 0) + " end"),
                            graphics((1, 1, 1, 0.8), texture="hudGaugeTrack")]))
    entities.append(entity([body(0.86, 0.1, "Sphere 0 radius 0.15 end"),
                            graphics((1, 0.8, 0.25, 1), model="sphere", program="particleShader"),
                            ["SizeIndicatorLogic 3", "\t1 Logic", "\t\t0 Component", "\t\t\tend", "\t\ttypeName SIZE_INDICATOR",
                             "\t\tend", "\tlowDisplayHeight -0.2", "\thighDisplayHeight 0.4", "\tadjustmentTime 0.2",
                             "\tlowRelativeRadius 0.75", "\thighRelativeRadius 1.5", "\toverrideBodyRadius 0.15", "\tend"]]))
    # The guidance arrow, low in the middle; Shift shows it.
    entities.append(entity([body(0.0, -0.72, "Rect 0 size 0.22 0.05 0.22 0 end"),
                            graphics((0.4, 1, 0.8, 1), model="arrow", program="particleShader"),
                            ["ArrowLogic 0", "\t1 Logic", "\t\t0 Component", "\t\t\tend", "\t\ttypeName ARROW", "\t\tend",
                             "\talwaysShow 0", "\talpha 0", "\tfadeTime 0.2", "\tend"]]))

    lines = ["// The heads-up display of the first level, written by tools/make_hud.py.", "HUD 2", "\t0 GameStateComponent",
             "\t\tdisabled 0", "\t\tend", "\tfileName Content/HUD/level1.hud", "\tcamera", "\t\tPerspectiveCamera 0",
             "\t\t\tpos 0 0 0 1", "\t\t\tdistance 0", "\t\t\trotateX 0", "\t\t\trotateY 0", "\t\t\trotateZ 0",
             "\t\t\tfovy 1.2566371", "\t\t\tzNear 0.1", "\t\t\tzFar 10", "\t\t\tend", "\tentities",
             "\t\tsize " + str(len(entities))]
    for e in entities:
        lines += ["\t\t" + line for line in e]
    lines += ["\t\tend", "\tend"]
    return "\n".join(lines) + "\n"


def gauge_track():
    # A rounded bar, brighter towards the top, that the gauge's sphere rides on.
    w, h = 16, 256
    rows = []
    for y in range(h):
        t = 1.0 - y / (h - 1)
        row = bytearray()
        for x in range(w):
            edge = abs(x - (w - 1) / 2) / ((w - 1) / 2)
            alpha = max(0.0, 1.0 - edge ** 4) * (0.35 + 0.45 * t)
            row += bytes((int(190 + 50 * t), int(190 + 50 * t), int(200 + 50 * t), int(255 * alpha)))
        rows.append(bytes(row))
    write_png(os.path.join(ROOT, "Content", "Images", "hudGaugeTrack.png"), w, h, rows)


if __name__ == "__main__":
    os.makedirs(os.path.join(ROOT, "Content", "HUD"), exist_ok=True)
    with open(os.path.join(ROOT, "Content", "HUD", "level1.hud"), "w") as f:
        f.write(hud())
    gauge_track()
