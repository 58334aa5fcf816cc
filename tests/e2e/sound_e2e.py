#!/usr/bin/env python3
# The real game's sound, heard through OpenAL Soft's wave-file output: while the first level plays, its
# music is written to the file; with the "muted" setting on, the same start writes silence. Run inside
# xvfb-run (1024x768x24):
#
#   xvfb-run -a -s "-screen 0 1024x768x24" python3 sound_e2e.py --game build/tovik --repo .

import os
import struct
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import game_e2e as e2e  # noqa: E402
from game_e2e import Game, check, start_play, wait_for_window  # noqa: E402


def wave_peaks(path, seconds_per_block=0.5):
    """Peak of every block of the wave file's 16-bit samples, and the sample rate."""
    with open(path, "rb") as f:
        data = f.read()
    check(data[:4] == b"RIFF" and data[8:12] == b"WAVE", "%s is not a wave file" % path)
    pos, rate, channels, samples = 12, 0, 0, b""
    while pos + 8 <= len(data):
        kind, size = data[pos:pos + 4], struct.unpack("<I", data[pos + 4:pos + 8])[0]
        if kind == b"fmt ":
            channels, rate = struct.unpack("<HI", data[pos + 10:pos + 16])
        if kind == b"data":
            samples = data[pos + 8:pos + 8 + size]
            break
        pos += 8 + size + (size & 1)
    check(rate > 0 and samples, "no sound data in %s" % path)
    values = struct.unpack("<%dh" % (len(samples) // 2), samples[:len(samples) // 2 * 2])
    block = int(rate * channels * seconds_per_block)
    return [max(abs(v) for v in values[i:i + block]) for i in range(0, len(values), block)]


def run_level(game_binary, repo, tmp, name, muted):
    """Plays the first level for a few seconds with the wave output; returns the block peaks."""
    work, home = os.path.join(tmp, name, "work"), os.path.join(tmp, name, "home")
    os.makedirs(work)
    os.makedirs(home)
    wave = os.path.join(tmp, name, "out.wav")
    conf = os.path.join(tmp, name, "alsoft.conf")
    with open(conf, "w") as f:
        f.write("[general]\ndrivers = wave\nsample-type = int16\n[wave]\nfile = %s\n" % wave)
    with open(os.path.join(repo, "Content", "config.cfg")) as f:
        settings = f.read()
    if muted:
        settings = settings.replace("muted \n\t0 ", "muted \n\t1 ")
        check("muted \n\t1 " in settings, "the shipped config.cfg has no \"muted\" setting to turn on")
    with open(os.path.join(work, "config.cfg"), "w") as f:
        f.write(settings)

    os.environ["ALSOFT_CONF"] = conf
    game = Game(game_binary, work, home)
    try:
        window = wait_for_window(game)
        # The level waits under the title menu (its music lowered) until Enter starts play.
        start_play(game, os.path.join(tmp, name), window)
        time.sleep(4)
        code = game.stop()
        check(code == 0, "exit code %d after SIGTERM:\n%s" % (code, game.output()))
    finally:
        game.kill()
    # The wave output finishes its file when the game closes its sound system.
    check(os.path.exists(wave), "the game wrote no wave file:\n" + game.output())
    return wave_peaks(wave)


def play(game, repo, tmp, args):
    playing = run_level(game, repo, tmp, "playing", muted=False)
    check(len(playing) >= 6, "the wave file holds less than 3 s: %s" % playing)
    loud = [p for p in playing if p > 300]
    check(len(loud) >= 4, "the level's music was not heard; peaks per half second: %s" % playing)
    quiet = run_level(game, repo, tmp, "muted", muted=True)
    check(len(quiet) >= 6, "the wave file holds less than 3 s: %s" % quiet)
    check(max(quiet) < 100, "music was heard with \"muted\" on; peaks per half second: %s" % quiet)


def main():
    e2e.run_scenario("sound", "tovik-sound-e2e-", play)


if __name__ == "__main__":
    main()
