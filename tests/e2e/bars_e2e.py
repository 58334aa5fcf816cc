#!/usr/bin/env python3
# The property bars in the real game: F1 starts editing, space picks the hero under the cursor, a right
# click opens its bar, the mouse opens the hero's body in it and the keyboard types a new mass, 'P'
# saves, and the saved level holds the new mass. Run inside xvfb-run (1024x768x24) like game_e2e.py.

import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import game_e2e as e2e  # noqa: E402
from game_e2e import (Failure, Game, check, keep, level_is_up, png_level,  # noqa: E402
                      screenshot, setting, settle, wait_for, wait_for_window, xdotool)

# Rows of a freshly opened bar in window pixels (the first bar opens at the top left): the bar's
# variable, then one row per member, tree rows 17 px apart and value rows 23 px apart.
BAR_LEFT, BAR_TOP = 10, 10
ROW_X = BAR_LEFT + 40
VALUE_X = BAR_LEFT + 175


def level_text():
    hero = ("Entity 1 id 1 components "
            "Body 1 0 Component end position 0 1 0 1 mass 1 shape Sphere 0 radius 1 end end "
            "Graphics 5 0 Component end diffuseColor 1 0 0 1 textureName whitePixel modelName sphere "
            "programName surface end "
            "EditorController 2 1 StateMachine currentState NULL nextState NULL end end end end\n")
    floor = ("Entity 1 id 2 components "
             "Body 1 0 Component end position 0 -0.5 0 1 shape Rect 0 size 20 0.5 20 0 end end "
             "Graphics 5 0 Component end textureName floorTiles modelName box programName surface end end end\n")
    ball = ("ball Archetype 1 text \"Entity 1 components Body 1 0 Component end shape Sphere 0 radius 0.5 end end "
            "Graphics 5 0 Component end diffuseColor 0 0 1 1 textureName whitePixel modelName sphere "
            "programName surface end end end \" end\n")
    return ("Editor 2\nresourceFileName Content/Resources/level1.res\nend\n"
            "components\n"
            "Physics 0 0 GameStateComponent end end\n"
            "CameraComponent 0 0 GameStateComponent end camera PerspectiveCamera 0 pos 0 1 0 1 distance 15 "
            "rotateX -0.45 end targetDistance 15 adjustmentTime 0.5 targetEntity 1 end\n"
            "end\narchetypes\n" + ball + "end\nentities\nsize 2\n" + hero + floor + "end\nend\n")


def has_text(shot, x0, y0, x1, y1):
    """Light text on the bar's dark background."""
    return shot.share(x0, y0, x1, y1, lambda p: min(p) > 150, 1) > 0.02


def field_active(shot, row):
    """A number field taking the keyboard has its whole text selected, on a lighter blue."""
    return shot.share(VALUE_X - 25, row - 5, VALUE_X + 15, row + 5,
                      lambda p: p[2] >= 110 and p[2] - p[0] > 60 and p[0] < 90, 1) > 0.2


def click_until(game, tmp, x, y, done, what):
    """Clicks until the bar shows what the click is for; a slow frame may take a click for a hover."""
    for _ in range(3):
        xdotool("mousemove", x, y)
        time.sleep(0.3)
        xdotool("click", 1)
        deadline = time.time() + 10
        while time.time() < deadline:
            check(game.alive(), "the game ended while waiting for " + what + ":\n" + game.output())
            shot = screenshot(tmp)
            if done(shot):
                return shot
            time.sleep(0.3)
    raise Failure("%s not seen after three clicks: %s" % (what, keep(shot, tmp, "click")))


def saved_text(path):
    try:
        with open(path) as f:
            return f.read()
    except OSError:
        return ""


def property_bar(game_binary, repo, tmp):
    work, home = os.path.join(tmp, "work"), os.path.join(tmp, "home")
    starting_state = setting(repo, "startingState")
    os.makedirs(os.path.join(work, os.path.dirname(starting_state)))
    os.makedirs(home)
    picture = os.path.join(tmp, "hero.png")
    png_level(picture, level_text())
    saved = os.path.join(work, starting_state)

    game = Game(game_binary, work, home, [picture])
    try:
        wait_for_window(game)
        wait_for(game, tmp, level_is_up, "the hero in the middle of the window")
        settle()
        xdotool("key", "F1")
        settle()
        # Place mode's preview sits in the hero: space picks the hero for Modify mode.
        xdotool("key", "space")
        settle()
        before = screenshot(tmp)
        xdotool("click", 3)
        wait_for(game, tmp, lambda shot: shot.difference(before) > 0.01, "the bar opened by the right click")
        settle()

        # Rows: the variable "Entity 1", "components", then "0: Body" once that is open, then the body's
        # "disabled", "position", "rotation", "velocity", "acceleration" and "mass".
        top = BAR_TOP + 19 + 8
        body_row = top + 2 * 17 + 6
        click_until(game, tmp, ROW_X, top + 17 + 6, lambda s: has_text(s, ROW_X + 30, body_row - 5, ROW_X + 70, body_row + 5),
                    "the entity's components listed")
        body = top + 3 * 17
        mass_row = body + 23 + 17 + 23 + 17 + 17 + 9    # disabled, position, rotation, velocity, acceleration
        click_until(game, tmp, ROW_X + 20, body_row, lambda s: has_text(s, ROW_X + 30, mass_row - 5, ROW_X + 60, mass_row + 5),
                    "the body's fields listed")
        click_until(game, tmp, VALUE_X, mass_row, lambda s: field_active(s, mass_row), "the mass field taking the keyboard")
        xdotool("type", "--delay", "120", "7.25")
        xdotool("key", "Return")
        time.sleep(0.5)
        edited = screenshot(tmp)
        keep(edited, tmp, "edited")

        # Capture the mouse again and save with 'P'; a loaded machine may take a while to write.
        xdotool("click", 3)
        settle()
        xdotool("key", "p")
        deadline = time.time() + 30
        while "mass 7.25 " not in saved_text(saved) and time.time() < deadline:
            time.sleep(0.5)
        text = saved_text(saved)
        check("mass 7.25 " in text, "the saved level does not hold the typed mass (%s): %s"
              % (keep(edited, tmp, "edited"), text[:2000]))
        code = game.stop()
        check(code == 0, "exit code %d after SIGTERM:\n%s" % (code, game.output()))
    finally:
        game.kill()


def main():
    e2e.run_scenario("property-bar", "tovik-bars-e2e-", lambda game, repo, tmp, args: property_bar(game, repo, tmp))


if __name__ == "__main__":
    main()
