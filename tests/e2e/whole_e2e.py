#!/usr/bin/env python3
# The whole game in one short session in a virtual X server, with the sound going to OpenAL Soft's
# wave-file output: the intro's logos over the title menu, play started from it, a few seconds of
# rolling with the music written, Escape and the pause menu, F1 editing with one placed block saved
# with 'P', and quitting through the pause menu's question with exit code 0. Run inside xvfb-run:
#
#   xvfb-run -a -s "-screen 0 1024x768x24" python3 whole_e2e.py --game build/tovik --repo .
#
# With --screenshots DIR it also writes the title menu and a moment of play there as small PNG files
# (the README's pictures).

import os
import shutil
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import game_e2e as e2e  # noqa: E402
from game_e2e import (INTRO_CORNER, Failure, Game, check, hold_for_game_time, keep, level_is_up,  # noqa: E402
                      pause_menu_is_up, quit_question_is_up, screenshot, setting, title_menu_is_up, wait_for,
                      wait_for_window, xdotool)
from sound_e2e import wave_peaks  # noqa: E402


def is_lit(p):
    return max(p) > 60


def small_png(shot, target):
    subprocess.run(["convert", shot.path, "-resize", "50%", "-colors", "128", "-strip", target], check=True,
                   timeout=60)


def session(game_binary, repo, tmp, screenshots):
    work, home = os.path.join(tmp, "work"), os.path.join(tmp, "home")
    os.makedirs(work)
    os.makedirs(home)
    # The first level is played and saved as a copy in the working folder.
    level = os.path.join(work, "level1.lvl")
    shutil.copyfile(os.path.join(repo, setting(repo, "startingState")), level)
    with open(os.path.join(repo, "Content", "config.cfg")) as f:
        config = f.read().replace(setting(repo, "startingState"), level)
    with open(os.path.join(work, "config.cfg"), "w") as f:
        f.write(config)
    wave = os.path.join(tmp, "sound.wav")
    conf = os.path.join(tmp, "alsoft.conf")
    with open(conf, "w") as f:
        f.write("[general]\ndrivers = wave\nsample-type = int16\n[wave]\nfile = %s\n" % wave)
    os.environ["ALSOFT_CONF"] = conf

    def press(*keys):
        for key in keys:
            xdotool("key", key)
            time.sleep(0.6)

    game = Game(game_binary, work, home, frame_log=True)
    try:
        wait_for_window(game)
        # The title menu over the level, and the intro's logos fading in and out in the corner below it.
        title = wait_for(game, tmp, lambda s: title_menu_is_up(s) and level_is_up(s), "the title menu over the level")
        corner = [title.share(*INTRO_CORNER, is_lit, 4)]
        shots = [title]
        for _ in range(6):
            time.sleep(1.0)
            shots.append(screenshot(tmp))
            corner.append(shots[-1].share(*INTRO_CORNER, is_lit, 4))
        check(max(corner) > 0.02, "no intro logo in the corner under the title menu (%s): %s"
              % (corner, keep(shots[-1], tmp, "intro")))
        check(max(corner) - min(corner) > 0.01 or shots[0].difference(shots[-1]) > 0.002,
              "the intro's corner never changed: %s" % corner)
        if screenshots:
            small_png(shots[-1], os.path.join(screenshots, "title-menu.png"))

        # Enter starts play; W rolls the hero ahead for a few seconds of game time.
        xdotool("key", "Return")
        start = wait_for(game, tmp, lambda s: level_is_up(s) and not title_menu_is_up(s), "play after the title menu")
        hold_for_game_time(game, ["w"], 4.0)
        rolled = screenshot(tmp)
        check(level_is_up(rolled), "the hero left the middle while rolling: " + keep(rolled, tmp, "rolled"))
        check(rolled.difference(start) > 0.01, "the view did not change while the hero rolled: "
              + keep(rolled, tmp, "rolled"))
        if screenshots:
            small_png(rolled, os.path.join(screenshots, "play.png"))

        # Escape pauses under the pause menu; Escape again resumes.
        press("Escape")
        wait_for(game, tmp, pause_menu_is_up, "the pause menu")
        press("Escape")
        wait_for(game, tmp, lambda s: level_is_up(s) and not pause_menu_is_up(s), "play after the pause menu")

        # F1 edits: the wheel takes the next archetype, E lifts the preview out of the hero, space places
        # it (and space again ends its edit); P saves the level with one block more.
        with open(level) as f:
            blocks_before = len(e2e.pink_entities(f.read()))
        stamp = os.path.getmtime(level)
        press("F1")
        xdotool("click", "4")
        e2e.settle()
        hold_for_game_time(game, ["e"], 1.5)
        press("space", "space")
        xdotool("key", "p")
        deadline = time.time() + 60
        while os.path.getmtime(level) == stamp:
            check(time.time() < deadline and game.alive(), "P did not save the level:\n" + game.output()[-3000:])
            time.sleep(0.1)
        time.sleep(0.5)
        with open(level) as f:
            blocks_after = len(e2e.pink_entities(f.read()))
        check(blocks_after == blocks_before + 1, "the saved level has %d placed blocks, not %d + 1"
              % (blocks_after, blocks_before))

        # F1 plays again; Escape, up to the quit item, Enter asks, left and Enter confirm: the game ends well.
        press("F1")
        wait_for(game, tmp, level_is_up, "play after editing")
        press("Escape")
        wait_for(game, tmp, pause_menu_is_up, "the pause menu before quitting")
        press("w", "Return")
        wait_for(game, tmp, quit_question_is_up, "the quit question")
        press("a", "Return")
        try:
            code = game.process.wait(timeout=60)
        except subprocess.TimeoutExpired:
            raise Failure("the game did not end after quitting was confirmed: " + keep(screenshot(tmp), tmp, "quit"))
        check(code == 0, "exit code %d after quitting:\n%s" % (code, game.output()[-3000:]))
    finally:
        game.kill()

    # The music was written while the session ran.
    check(os.path.exists(wave), "the game wrote no wave file:\n" + game.output()[-3000:])
    peaks = wave_peaks(wave)
    check(sum(1 for p in peaks if p > 300) >= 4, "the game's sound was not heard; peaks per half second: %s" % peaks)


def main():
    def play(game, repo, tmp, args):
        session(game, repo, tmp, os.path.abspath(args.screenshots) if args.screenshots else None)

    e2e.run_scenario("whole game", "tovik-whole-e2e-", play, lambda parser: parser.add_argument(
        "--screenshots", help="write the title menu and a moment of play here as PNG files"))


if __name__ == "__main__":
    main()
