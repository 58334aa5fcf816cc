#!/usr/bin/env python3
# Start-up to the first level frame in a real window: the game is started on the shipped first level
# and on a generated level of 10,000 spheres and boxes (tools/make_big_level.py), several times each,
# and the time from starting the process to the end of its first level frame (the first line of its
# frame-time log) is reported as a median, with the part of it that the first frame itself took.
# Run inside xvfb-run:
#
#   xvfb-run -a -s "-screen 0 1024x768x24" python3 load_time.py --game build/tovik --repo . [--runs N]
#
# The first load shows the splash logos, which need no time of their own: a load that ends sooner
# simply shows fewer of them.

import argparse
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from gamerun import start_game, stop_game, unpaced_settings  # noqa: E402

GOAL_EXTRA_S = 1.0


def first_frame_seconds(game_binary, repo, tmp, level):
    work, home = tempfile.mkdtemp(dir=tmp), tempfile.mkdtemp(dir=tmp)
    unpaced_settings(repo, work, "load_time", starting_state=level)
    started = time.monotonic()
    game = start_game(game_binary, work, home)
    seconds = None
    frame = 0.0
    try:
        for line in game.stderr:
            if line.startswith("frame "):
                seconds = time.monotonic() - started
                fields = line.split()
                frame = (float(fields[3]) + float(fields[5])) / 1000.0 if len(fields) == 6 else 0.0
                break
            if time.monotonic() - started > 600:
                break
    finally:
        stop_game(game, timeout=60)
    if seconds is None:
        raise SystemExit("load_time: no frame from the game on %s (exit code %s)" % (level, game.returncode))
    return seconds, frame


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--game", required=True)
    parser.add_argument("--repo", required=True)
    parser.add_argument("--runs", type=int, default=3)
    parser.add_argument("--count", type=int, default=10000)
    args = parser.parse_args()
    if not os.environ.get("DISPLAY"):
        raise SystemExit("load_time: no DISPLAY: run inside xvfb-run")
    repo, game = os.path.abspath(args.repo), os.path.abspath(args.game)

    tmp = tempfile.mkdtemp(prefix="tovik-load-")
    try:
        big = os.path.join(tmp, "big.lvl")
        subprocess.run([sys.executable, os.path.join(repo, "tools", "make_big_level.py"), "--count",
                        str(args.count), big], check=True)
        shipped, generated = [], []
        # Alternated, so that a busy spell of the machine falls on both.
        for _ in range(args.runs):
            shipped.append(first_frame_seconds(game, repo, tmp, "Content/Levels/level1.lvl"))
            generated.append(first_frame_seconds(game, repo, tmp, big))
    finally:
        shutil.rmtree(tmp, ignore_errors=True)

    base, large = statistics.median(s for s, _ in shipped), statistics.median(s for s, _ in generated)
    print("start-up to the first level frame, median of %d runs, %d cores" % (args.runs, os.cpu_count() or 0))
    for name, runs in (("first level", shipped), ("%d spheres and boxes" % args.count, generated)):
        print("%-24s %.2f s, of which the first frame %.2f s  (runs: %s)"
              % (name, statistics.median(s for s, _ in runs), statistics.median(f for _, f in runs),
                 " ".join("%.2f" % s for s, _ in runs)))
    print("extra for the large level %.2f s  goal <= %.1f s: %s"
          % (large - base, GOAL_EXTRA_S, "met" if large - base <= GOAL_EXTRA_S else "NOT met"))


if __name__ == "__main__":
    main()
