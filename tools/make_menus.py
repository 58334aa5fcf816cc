#!/usr/bin/env python3
# Writes the menu files into Content/Menus: for every screen its backdrop picture(s), its items (text
# entities the game renders with its own font) and its extra entities. Item sizes follow the rendered
# text, so the measuring mode of the menu_art tool (built with the game) is asked for each text.
#
#   python3 tools/make_menus.py build/tools/menu_art     (run from the top of the tree)
#
# Screen placement: an entity's body position is its centre in -1..1 window coordinates; its shape is a
# Plane of size (s, s), drawn into a viewport of s * sqrt(2) of the window height, so that a text
# texture w pixels wide shows at `scale` times its pixel size in a 768-pixel-high window when
# s = sqrt(scale * w * tan(36 degrees) / (sqrt(2) * 768)).

import math
import os
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "..", "Content", "Menus")
TAN36 = math.tan(math.radians(36.0))
# The backdrop quad (model "menuBackdrop", 4 x 4 units, drawn 4 x 2 by its Plane for a picture twice
# as wide as high) fills the window's height at this depth, behind the items, which are drawn at depth 1.
BACKDROP_Z = -1.0 / TAN36

measure_tool = None
measured = {}


def measure(text, pixels):
    key = (text, pixels)
    if key not in measured:
        out = subprocess.run([measure_tool, "measure", str(pixels), text], capture_output=True, text=True, check=True,
                             cwd=os.path.dirname(os.path.dirname(os.path.abspath(measure_tool))))
        w, h = out.stdout.split()
        measured[key] = (int(w), int(h))
    return measured[key]


def plane_for_width(width, scale):
    return math.sqrt(scale * width * TAN36 / (math.sqrt(2.0) * 768.0))


def fmt(v):
    return ("%.4f" % v).rstrip("0").rstrip(".") if v != int(v) else str(int(v))


def vec(*values):
    return " ".join(fmt(v) for v in values)


def body(x, y, z, size):
    return [
        "Body 1",
        "\t0 Component",
        "\t\tend",
        "\tposition " + vec(x, y, z, 1),
        "\tresolve 0",
        "\tcollides 0",
        "\tshape Plane 0 size " + vec(size, size, 1, 0) + " end",
        "\tend",
    ]


def graphics(texture="whitePixel", color=(1, 1, 1, 1), model="defaultModel"):
    return [
        "Graphics 5",
        "\t0 Component",
        "\t\tend",
        "\tdiffuseColor " + vec(*color),
        "\tspecularColor 0 0 0 0",
        "\ttextureName " + texture,
        "\tmodelName " + model,
        "\tprogramName particleShader",
        "\tpatterns",
        "\t\tend",
        "\tshininess 5",
        "\tdrawGroup 0",
        "\tend",
    ]


def quoted(text):
    return '"' + text.replace('"', '\\"') + '"'


def text_component(text, line_height):
    return [
        "TextureTextComponent 0",
        "\t0 Component",
        "\t\tend",
        '\tfontName "Verdana Bold"',
        "\ttext " + quoted(text),
        "\tlineHeight " + str(line_height),
        "\tend",
    ]


def entity(components):
    lines = ["Entity 1", "\tcomponents"]
    for component in components:
        lines += ["\t\t" + line for line in component]
    lines += ["\t\tend", "\tend"]
    return lines


def text_entity(text, x, y, scale=0.8, line_height=48, color=(1, 1, 1, 0.3), sized_like=None):
    width, _ = measure(sized_like or text, line_height)
    s = plane_for_width(width, scale)
    return entity([body(x, y, -1, s), graphics(color=color), text_component(text, line_height)])


def picture_entity(texture, x, y, pixels):
    # A square picture `pixels` high in a 768-pixel-high window.
    s = math.sqrt(pixels * TAN36 / (math.sqrt(2.0) * 768.0))
    return entity([body(x, y, -1, s), graphics(texture=texture)])


def backdrop():
    return entity([body(0, 0, BACKDROP_Z, 1), graphics(model="menuBackdrop")])


def entity_list(key, entities):
    lines = [key]
    for e in entities:
        lines += ["\t" + line for line in e]
    lines += ["\tend"]
    return lines


def menu_file(name, comment, class_name, textures, items, extras=None):
    lines = ["// " + line for line in comment] + [class_name + " 0", "\t0 Menu"]
    part = ["menuTexs"] + ["\t" + t for t in textures] + ["\tend"]
    part += ["background"] + ["\t" + line for line in backdrop()]
    part += entity_list("options", items)
    lines += ["\t\t" + line for line in part] + ["\t\tend"]
    if extras is not None:
        lines += ["\t" + line for line in entity_list("extraTexs", extras)]
    lines += ["\tend"]
    with open(os.path.join(OUT, name), "w") as f:
        f.write("\n".join(lines) + "\n")


def column(texts, x, top, step, **kwargs):
    return [text_entity(t, x, top - i * step, **kwargs) for i, t in enumerate(texts)]


def main():
    global measure_tool
    if len(sys.argv) != 2:
        sys.exit("usage: make_menus.py <path of the menu_art tool>")
    measure_tool = os.path.abspath(sys.argv[1])
    os.makedirs(OUT, exist_ok=True)

    menu_file("main.menu", ["The title menu: start, the two time-attack modes (their items are found by these",
                            "words), how to play, best times, options, credits and quit, down the left."],
              "MainMenu", ["menuTitle"],
              column(["Start", "Time Attack Mode", "Super Time Attack", "How to Play", "Best Times", "Options",
                      "Credits", "Quit"], -0.6, 0.32, 0.15, scale=0.62))

    menu_file("pause.menu", ["The pause menu: resume, restart, best times, how to play, options, back to the",
                             "title menu, quit."],
              "PauseMenu", ["menuPause"],
              column(["Resume", "Restart Level", "Best Times", "How to Play", "Options", "Main Menu", "Quit"],
                     0, 0.5, 0.16, scale=0.66))

    options = column(["Full Screen", "Sound", "Resolution", "Back"], -0.16, 0.4, 0.26, scale=0.7)
    extras = [picture_entity("unselected", 0.22, 0.4, 40), picture_entity("selected", 0.22, 0.14, 40),
              text_entity("1024 x 768", 0.4, -0.12, scale=0.6, color=(0.9, 0.95, 1, 1))]
    menu_file("options.menu", ["The options: full screen, sound, resolution (left and right choose, the item",
                               "applies) and back; beside them the two indicators and the chosen resolution."],
              "OptionsMenu", ["menuOptions"], options, extras)

    menu_file("quit.menu", ["The confirmation before restarting, quitting or going back to the title menu:",
                            "yes and no side by side."],
              "QuitConfirm", ["menuQuit"],
              [text_entity("Yes", -0.2, -0.1, scale=1.0), text_entity("No", 0.2, -0.1, scale=1.0)])

    paged = [text_entity("Back", 0, -0.78, scale=0.6), text_entity("Next", 0.38, -0.78, scale=0.6),
             text_entity("Previous", -0.38, -0.78, scale=0.6)]
    menu_file("howToPlay.menu", ["How to play: three pages; back, next page, previous page."],
              "HowToPlayMenu", ["howToPlay1", "howToPlay2", "howToPlay3"], paged)
    menu_file("credits.menu", ["The credits: two pages; back, next page, previous page."],
              "Credits", ["credits1", "credits2"], paged)

    typical = "Player Name          00:00"
    # Both lists stand below the gold rule under the screen's heading (at 0.62) and above "Back".
    lines = [text_entity("Time Attack Mode", 0, 0.5, scale=0.55, color=(1, 0.8, 0.35, 1))]
    lines += [text_entity("-  -  -  -  -  -  -  -       --:--", 0, 0.38 - i * 0.09, scale=0.5,
                          color=(0.9, 0.95, 1, 1), sized_like=typical) for i in range(5)]
    lines += [text_entity("Super Time Attack", 0, -0.1, scale=0.55, color=(1, 0.8, 0.35, 1))]
    lines += [text_entity("-  -  -  -  -  -  -  -       --:--", 0, -0.22 - i * 0.09, scale=0.5,
                          color=(0.9, 0.95, 1, 1), sized_like=typical) for i in range(5)]
    menu_file("bestTimes.menu", ["The best times: a heading and five lines for each time-attack mode, then back."],
              "BestTimesScreen", ["menuBestTimes"], [text_entity("Back", 0, -0.82, scale=0.6)], lines)


if __name__ == "__main__":
    main()
