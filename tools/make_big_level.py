#!/usr/bin/env python3
# Writes a large level for the load-time benchmark: the first level's hero, camera and resources on a
# wide floor, followed by a grid of small spheres and boxes, each with a Body and a Graphics, as a
# level designer would build one. The same count always gives the same file.
#
#   python3 tools/make_big_level.py [--count 10000] OUTPUT.lvl

import argparse
import math

HEADER = """// A generated level of {count} spheres and boxes round the hero (tools/make_big_level.py).
Editor 2
resourceFileName Content/Resources/level1.res
end
components
\tPhysics 0
\t\t0 GameStateComponent
\t\t\tdisabled 0
\t\t\tend
\t\tend
\tCameraComponent 0
\t\t0 GameStateComponent
\t\t\tdisabled 0
\t\t\tend
\t\tcamera
\t\t\tPerspectiveCamera 0
\t\t\t\tpos 0 1 0 1
\t\t\t\tdistance 15
\t\t\t\trotateX -0.45
\t\t\t\trotateY 0
\t\t\t\trotateZ 0
\t\t\t\tfovy 1.2566371
\t\t\t\tzNear 0.3
\t\t\t\tzFar 750
\t\t\t\tend
\t\ttargetDistance 15
\t\tadjustmentTime 0.5
\t\ttargetEntity 1
\t\tend
\tend
archetypes
\tend
entities
\tsize {size}
"""

ENTITY = """\tEntity 1
\t\tid {id}
\t\tcomponents
\t\t\tBody 1
\t\t\t\t0 Component
\t\t\t\t\tend
\t\t\t\tposition {x:g} {y:g} {z:g} 1
\t\t\t\tmass {mass}
\t\t\t\tshape {shape}
\t\t\t\tend
\t\t\tGraphics 5
\t\t\t\t0 Component
\t\t\t\t\tend
\t\t\t\tdiffuseColor {r:.3g} {g:.3g} {b:.3g} 1
\t\t\t\tspecularColor 1 1 1 0.4
\t\t\t\ttextureName {texture}
\t\t\t\tmodelName {model}
\t\t\t\tprogramName {program}
\t\t\t\tpatterns
\t\t\t\t\tend
\t\t\t\tshininess 20
\t\t\t\tdrawGroup 0
\t\t\t\tend
\t\t\tend
\t\tend
"""

SPACING = 3.0


def level_text(count):
    side = max(1, math.ceil(math.sqrt(count)))
    half = side * SPACING / 2.0 + SPACING
    parts = [HEADER.format(count=count, size=count + 2)]
    parts.append(ENTITY.format(id=1, x=0, y=1, z=0, mass=1, shape="Sphere 0 radius 1 end", r=1, g=0.25, b=0.2,
                               texture="whitePixel", model="sphere", program="surface"))
    parts.append(ENTITY.format(id=2, x=0, y=-0.5, z=0, mass=0, shape="Rect 0 size %g 0.5 %g 0 end" % (half, half),
                               r=1, g=1, b=1, texture="floorTiles", model="box", program="patternShader"))
    for i in range(count):
        row, column = divmod(i, side)
        x = (column - (side - 1) / 2.0) * SPACING
        z = (row - (side - 1) / 2.0) * SPACING
        if abs(x) < SPACING and abs(z) < SPACING:
            x += SPACING / 2.0  # keep the hero's own place free
        # Colours that turn slowly across the grid, so that neighbours differ a little.
        r = 0.5 + 0.5 * math.sin(i * 0.013)
        g = 0.5 + 0.5 * math.sin(i * 0.021 + 2.0)
        b = 0.5 + 0.5 * math.sin(i * 0.034 + 4.0)
        if i % 2 == 0:
            shape, model, y = "Sphere 0 radius 0.5 end", "sphere", 0.5
        else:
            shape, model, y = "Rect 0 size 0.5 0.5 0.5 0 end", "box", 0.5
        parts.append(ENTITY.format(id=3 + i, x=x, y=y, z=z, mass=0, shape=shape, r=r, g=g, b=b,
                                   texture="whitePixel", model=model, program="patternShader"))
    parts.append("\tend\nend\n")
    return "".join(parts)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--count", type=int, default=10000)
    parser.add_argument("output")
    args = parser.parse_args()
    with open(args.output, "w") as f:
        f.write(level_text(args.count))


if __name__ == "__main__":
    main()
