#!/usr/bin/env python3
# Plays a short route of the first level in the real game inside a virtual X server: W held rolls the
# hero into the first sphere, the wheel grows it, Space jumps; F1 and 'P' then save the level, and the
# saved hero and spheres are checked beside the screenshots. Run inside xvfb-run (1024x768x24):
#
#   xvfb-run -a -s "-screen 0 1024x768x24" python3 gameplay_e2e.py --game build/tovik --repo .

import os
import re
import shutil
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import game_e2e as e2e  # noqa: E402
from game_e2e import check, keep, screenshot, xdotool  # noqa: E402


def hero_block(level_text):
    """The text of the level's first entity (the hero)."""
    start = level_text.index("\nentities")
    first = level_text.index("Entity 1", start)
    second = level_text.index("\n\tEntity 1", first)
    return level_text[first:second]


def numbers_after(block, key):
    found = re.search(r"\b%s\s+((?:-?[\d.e+-]+\s+)+)" % key, block)
    check(found is not None, "no %s in the saved hero" % key)
    return [float(v) for v in found.group(1).split()]


def wait_until_still(game, tmp, least, timeout=90):
    """Waits at least `least` seconds, then until the picture has differed only by the drifting smoke
    over three seconds in a row; returns the last screenshot. A busy software-rendered server may draw
    less than a frame a second, so one unchanged pair of screenshots proves nothing."""
    time.sleep(least)
    deadline = time.time() + timeout
    previous = screenshot(tmp)
    calm = 0
    while time.time() < deadline:
        check(game.alive(), "the game ended:\n" + game.output())
        time.sleep(1.0)
        shot = screenshot(tmp)
        calm = calm + 1 if shot.difference(previous) < 0.05 else 0
        previous = shot
        if calm >= 3:
            return shot
    raise e2e.Failure("the view never came to rest: " + keep(previous, tmp, "restless"))


def route(game_binary, repo, tmp):
    work, home = os.path.join(tmp, "work"), os.path.join(tmp, "home")
    starting_state = e2e.setting(repo, "startingState")
    os.makedirs(os.path.join(work, os.path.dirname(starting_state)))
    os.makedirs(home)
    # The level is played (and saved) from the working folder, never from the repository.
    level = os.path.join(work, starting_state)
    shutil.copyfile(os.path.join(repo, starting_state), level)
    with open(level) as f:
        shipped = f.read()
    spheres_before = shipped.count("ScoreSphereLogic 2")
    check(shipped.count("FirstScoreSphere 2") == 1, "the first level has no first sphere")

    game = e2e.Game(game_binary, work, home)
    try:
        window = e2e.wait_for_window(game)

        def focus():
            # Keys go to the focused window; a busy server without a window manager may leave none.
            xdotool("windowfocus", "--sync", window)

        # The title menu stands over the level; Enter on its first item starts play.
        e2e.wait_for(game, tmp, e2e.title_menu_is_up, "the title menu")
        focus()
        xdotool("key", "Return")
        e2e.wait_for(game, tmp, e2e.level_is_up, "the hero in the middle of the window")
        start = wait_until_still(game, tmp, 1.0)

        # W held: the hero rolls ahead through the first sphere until the block behind it stops it.
        focus()
        xdotool("keydown", "w")
        moved = wait_until_still(game, tmp, 3.0)
        xdotool("keyup", "w")
        check(e2e.level_is_up(moved), "the hero left the middle: " + keep(moved, tmp, "moved"))
        check(moved.difference(start) > 0.10, "the view hardly changed while W was held: " + keep(moved, tmp, "moved"))

        # The wheel grows the hero up to its new largest size (the camera backs away with it).
        for _ in range(6):
            xdotool("click", "4")
            time.sleep(0.15)
        # Whether it grew is read from the saved level below: a whole-picture difference depends on how far
        # the hero rolled on after W was released.
        rest = wait_until_still(game, tmp, 2.0)

        # Space held: the camera rises with the hero; released, everything comes back to rest.
        focus()
        xdotool("keydown", "space")
        deadline = time.time() + 30
        rise, up = 0.0, rest
        while time.time() < deadline and rise <= 0.08:
            up = screenshot(tmp)
            rise = up.difference(rest)
        xdotool("keyup", "space")
        check(rise > 0.08, "no jump seen (%.3f): %s" % (rise, keep(up, tmp, "jump")))
        # The view comes to rest again; that the hero stands on the floor (not above it) is read from the
        # saved level, since a landing may leave it rolled a little away from where it took off.
        wait_until_still(game, tmp, 1.0)

        # F1 edits the level, 'P' saves it (asked again while a busy server has not seen the key).
        stamp = os.path.getmtime(level)
        focus()
        xdotool("key", "F1")
        time.sleep(2.0)
        for _ in range(3):
            focus()
            xdotool("key", "p")
            deadline = time.time() + 15
            while time.time() < deadline and os.path.getmtime(level) == stamp:
                time.sleep(0.2)
            if os.path.getmtime(level) != stamp:
                break
        check(os.path.getmtime(level) != stamp, "the level was not saved after F1 and P:\n" + game.output()[-2000:])
        time.sleep(1.0)  # the file is replaced whole; let the game finish before it is read
        code = game.stop()
        check(code == 0, "exit code %d after SIGTERM:\n%s" % (code, game.output()))
    finally:
        game.kill()

    with open(level) as f:
        saved = f.read()
    hero = hero_block(saved)
    position = numbers_after(hero, "position")
    radius = numbers_after(hero, "radius")[0]
    check(position[2] < -3.0, "the saved hero did not move ahead: position %s" % position)
    check(radius > 1.9, "the saved hero did not grow: radius %g" % radius)
    # The first stretch of floor is flat: a hero at rest stands its radius above it, wherever it rolled.
    shipped_hero = hero_block(shipped)
    floor = numbers_after(shipped_hero, "position")[1] - numbers_after(shipped_hero, "radius")[0]
    check(abs(position[1] - (floor + radius)) < 0.1 * radius,
          "the saved hero is not back on the floor after the jump: height %g, radius %g, floor %g"
          % (position[1], radius, floor))
    check("FirstScoreSphere" not in saved, "the first sphere was not collected")
    check(saved.count("ScoreSphereLogic 2") == spheres_before, "other spheres went missing")


def main():
    e2e.run_scenario("gameplay route", "tovik-e2e-route-", lambda game, repo, tmp, args: route(game, repo, tmp))


if __name__ == "__main__":
    main()
