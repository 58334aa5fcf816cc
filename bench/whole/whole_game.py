#!/usr/bin/env python3
# The whole game in a real window, as a player starts it: the time from starting the process to the
# first frame of the title menu, the frame time while the first level is played (unpaced, 1024x768, the
# shipped 4x multisampling, the HUD up and the sound system running on OpenAL's null output), the share
# of each frame spent in the game's own update and draw calls, and the peak resident memory of the
# process after minutes of play (W held, the mouse turning the camera now and then). Run inside xvfb-run:
#
#   xvfb-run -a -s "-screen 0 1024x768x24" python3 whole_game.py --game build/tovik --repo . [--minutes 3]

import argparse
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import threading
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from gamerun import percentile, start_game, stop_game, unpaced_settings  # noqa: E402

FRAME_GOAL_MS, P99_GOAL_MS, STARTUP_GOAL_S, RSS_GOAL_MB = 15.0, 25.0, 2.0, 200.0


def xdotool(*arguments):
    subprocess.run(["xdotool"] + [str(a) for a in arguments], check=False, timeout=30,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def peak_rss_mb(pid):
    with open("/proc/%d/status" % pid) as f:
        for line in f:
            if line.startswith("VmHWM:"):
                return int(line.split()[1]) / 1024.0
    return 0.0


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--game", required=True)
    parser.add_argument("--repo", required=True)
    parser.add_argument("--minutes", type=float, default=3.0, help="minutes of play before the memory is read")
    args = parser.parse_args()
    if not os.environ.get("DISPLAY"):
        raise SystemExit("whole_game: no DISPLAY: run inside xvfb-run")
    repo = os.path.abspath(args.repo)

    tmp = tempfile.mkdtemp(prefix="tovik-whole-bench-")
    work, home = os.path.join(tmp, "work"), os.path.join(tmp, "home")
    os.makedirs(work)
    os.makedirs(home)
    unpaced_settings(repo, work, "whole_game")

    frames = []  # (seconds since start, period ms, update+draw ms)
    started = time.time()
    game = start_game(args.game, work, home, ALSOFT_CONF=os.path.join(repo, "tests", "alsoft-null.conf"))

    def read_log():
        for line in game.stderr:
            fields = line.split()
            if len(fields) == 6 and fields[0] == "frame":
                frames.append((time.time() - started, float(fields[1]), float(fields[3])))

    reader = threading.Thread(target=read_log, daemon=True)
    reader.start()
    try:
        deadline = time.time() + 120
        while not frames and time.time() < deadline and game.poll() is None:
            time.sleep(0.01)
        if not frames:
            raise SystemExit("whole_game: the game drew no frame")
        startup = frames[0][0]
        time.sleep(3.0)  # the title menu and the intro
        xdotool("search", "--sync", "--onlyvisible", "--name", "^Tovik$", "windowfocus")
        xdotool("key", "Return")
        time.sleep(1.0)
        play_start = len(frames)
        xdotool("keydown", "w")
        end = time.time() + args.minutes * 60.0
        turn = 0
        while time.time() < end and game.poll() is None:
            time.sleep(5.0)
            turn += 1
            xdotool("mousemove_relative", "--", 80 if turn % 2 else -80, 0)
        xdotool("keyup", "w")
        rss = peak_rss_mb(game.pid) if game.poll() is None else 0.0
        played = frames[play_start:]
    finally:
        code = stop_game(game)
        shutil.rmtree(tmp, ignore_errors=True)

    if len(played) < 30:
        raise SystemExit("whole_game: only %d frames of play logged (exit code %d)" % (len(played), code))
    periods = [f[1] for f in played]
    own = [f[2] for f in played]
    median, p99 = statistics.median(periods), percentile(periods, 0.99)
    print("whole game, first level played at 1024x768 with 4x multisampling, HUD and sound; %d cores" % (os.cpu_count() or 0))
    print("start-up to the title menu   %.2f s   goal <= %.0f s: %s" % (startup, STARTUP_GOAL_S,
                                                                        "met" if startup <= STARTUP_GOAL_S else "NOT met"))
    print("frame period   median %.2f ms  p99 %.2f ms over %d frames   goal <= %.0f / %.0f ms: %s"
          % (median, p99, len(periods), FRAME_GOAL_MS, P99_GOAL_MS,
             "met" if median <= FRAME_GOAL_MS and p99 <= P99_GOAL_MS else "NOT met"))
    print("game's own share (update + draw calls)   median %.2f ms, %.1f%% of the frame"
          % (statistics.median(own), 100.0 * statistics.median(own) / median if median > 0 else 0.0))
    print("peak resident memory after %.1f min of play   %.0f MB   goal <= %.0f MB: %s"
          % (args.minutes, rss, RSS_GOAL_MB, "met" if 0 < rss <= RSS_GOAL_MB else "NOT met"))
    if code != 0:
        raise SystemExit("whole_game: the game ended with exit code %d" % code)


if __name__ == "__main__":
    main()
