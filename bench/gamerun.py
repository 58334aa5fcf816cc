# What the benchmarks that run the real game share: its settings unpaced in a working folder, the game
# started with its frame-time log on, stopped again, and percentiles of what it logged.

import os
import re
import signal
import subprocess


def unpaced_settings(repo, work, name, starting_state=None):
    """The shipped settings with the frame-rate limit off (and another starting level when given),
    written where the game looks first."""
    with open(os.path.join(repo, "Content", "config.cfg")) as f:
        text = f.read()
    text, count = re.subn(r"(limitFrameRate\s+)1", r"\g<1>0", text)
    if count != 1:
        raise SystemExit("%s: no \"limitFrameRate\" setting in the shipped config.cfg" % name)
    if starting_state is not None:
        text, states = re.subn(r"(startingState\s+)\S+", lambda m: m.group(1) + starting_state, text)
        if states != 1:
            raise SystemExit("%s: no \"startingState\" setting in the shipped config.cfg" % name)
    with open(os.path.join(work, "config.cfg"), "w") as f:
        f.write(text)


def start_game(binary, work, home, **environment):
    """The game in `work` with its settings folder `home`, its frame-time log on standard error."""
    env = dict(os.environ, XDG_DATA_HOME=home, TOVIK_FRAME_LOG="1", **environment)
    return subprocess.Popen([os.path.abspath(binary)], cwd=work, env=env, stdout=subprocess.DEVNULL,
                            stderr=subprocess.PIPE, text=True)


def stop_game(game, timeout=30):
    """SIGTERM, then a kill when it does not end; returns the exit code."""
    if game.poll() is None:
        game.send_signal(signal.SIGTERM)
    try:
        return game.wait(timeout=timeout)
    except subprocess.TimeoutExpired:
        game.kill()
        return game.wait()


def percentile(values, share):
    ordered = sorted(values)
    return ordered[min(len(ordered) - 1, int(share * len(ordered)))]
