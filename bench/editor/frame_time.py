#!/usr/bin/env python3
# Frame time of the first level in a real window: the game runs unpaced ("limitFrameRate" off) in the
# X server it is started in (xvfb-run gives a software-rendered 1024x768 one) with its frame-time log
# on, and the median frame period and the part of it spent in the game's update and draw calls (the
# rest is the buffer swap, where the renderer rasterises) are reported, with the processor time the
# whole process (the renderer's threads included) spends per frame, which depends less on how busy
# the machine is than the frame period does. Run inside xvfb-run:
#
#   xvfb-run -a -s "-screen 0 1024x768x24" python3 frame_time.py --game build/tovik --repo . [--frames N]

import argparse
import os
import shutil
import statistics
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from gamerun import percentile, start_game, stop_game, unpaced_settings  # noqa: E402

GOAL_MS = 15.0


def cpu_seconds(pid):
    """User and system time of a process and all its threads so far."""
    with open("/proc/%d/stat" % pid) as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--game", required=True)
    parser.add_argument("--repo", required=True)
    parser.add_argument("--frames", type=int, default=600)
    parser.add_argument("--warmup", type=int, default=60)
    args = parser.parse_args()
    if not os.environ.get("DISPLAY"):
        raise SystemExit("frame_time: no DISPLAY: run inside xvfb-run")

    tmp = tempfile.mkdtemp(prefix="tovik-frames-")
    work, home = os.path.join(tmp, "work"), os.path.join(tmp, "home")
    os.makedirs(work)
    os.makedirs(home)
    unpaced_settings(os.path.abspath(args.repo), work, "frame_time")
    game = start_game(args.game, work, home)
    frames = []
    cpu = []
    deadline = time.time() + 300
    try:
        for line in game.stderr:
            fields = line.split()
            if len(fields) == 6 and fields[0] == "frame":
                frames.append((float(fields[1]), float(fields[3]), float(fields[5])))
                if len(frames) in (args.warmup, args.warmup + args.frames):
                    cpu.append(cpu_seconds(game.pid))
                if len(frames) >= args.warmup + args.frames:
                    break
            if time.time() > deadline:
                break
    finally:
        code = stop_game(game)
        shutil.rmtree(tmp, ignore_errors=True)

    measured = frames[args.warmup:]
    if len(measured) < args.frames:
        raise SystemExit("frame_time: only %d frames logged (game exit code %d)" % (len(frames), code))
    periods = [f[0] for f in measured]
    own = [f[1] for f in measured]
    swaps = [f[2] for f in measured]
    median = statistics.median(periods)
    print("first level, 1024x768, %d frames after %d of warm-up, %d cores" % (len(measured), args.warmup,
                                                                           os.cpu_count() or 0))
    print("frame period   median %.2f ms  p90 %.2f ms  (%.0f frames/s)  goal <= %.0f ms: %s"
          % (median, percentile(periods, 0.9), 1000.0 / median if median > 0 else 0.0, GOAL_MS,
             "met" if median <= GOAL_MS else "NOT met"))
    print("update + draw  median %.2f ms  (%.1f%% of the frame: the game's own code and GL calls)"
          % (statistics.median(own), 100.0 * statistics.median(own) / median if median > 0 else 0.0))
    print("buffer swap    median %.2f ms  (rasterising and presenting)" % statistics.median(swaps))
    if len(cpu) == 2:
        print("processor time %.2f ms per frame  (all threads of the game and its renderer)"
              % (1000.0 * (cpu[1] - cpu[0]) / len(measured)))
    if code != 0:
        raise SystemExit("frame_time: the game ended with exit code %d" % code)


if __name__ == "__main__":
    main()
