#!/usr/bin/env python3
# Drives the real game in a virtual X server: screenshots checked pixel by pixel, keys and mouse motion
# sent with xdotool, and the orderly end on SIGTERM. Run inside xvfb-run (1024x768x24):
#
#   xvfb-run -a -s "-screen 0 1024x768x24" python3 game_e2e.py --game build/tovik --scenario NAME
#
# Scenarios: first-level, level-argument, loading-screen, menus, editor. The game runs in a temporary working folder
# with a temporary settings folder, so nothing of the repository or the user's settings is written.

import argparse
import hashlib
import os
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import threading
import traceback
import time
import zlib

WIDTH, HEIGHT = 1024, 768
# Where the first level's intro shows the maker's and the team's logos.
INTRO_CORNER = (700, 560, WIDTH, HEIGHT)


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


# --- Screenshots ---------------------------------------------------------------------------------

class Shot:
    def __init__(self, path):
        with open(path, "rb") as f:
            data = f.read()
        # Binary PPM: "P6", width, height, maxval, one blank, then RGB bytes.
        fields = []
        pos = 0
        while len(fields) < 4:
            while data[pos:pos + 1].isspace():
                pos += 1
            if data[pos:pos + 1] == b"#":
                pos = data.index(b"\n", pos) + 1
                continue
            end = pos
            while not data[end:end + 1].isspace():
                end += 1
            fields.append(data[pos:end])
            pos = end
        check(fields[0] == b"P6" and fields[3] == b"255", "screenshot is not an 8-bit binary PPM")
        self.width, self.height = int(fields[1]), int(fields[2])
        self.pixels = data[pos + 1:]
        self.path = path

    def at(self, x, y):
        i = (y * self.width + x) * 3
        return tuple(self.pixels[i:i + 3])

    def region(self, x0, y0, x1, y1, step=4):
        for y in range(y0, y1, step):
            for x in range(x0, x1, step):
                yield self.at(x, y)

    def share(self, x0, y0, x1, y1, test, step=4):
        pixels = list(self.region(x0, y0, x1, y1, step))
        return sum(1 for p in pixels if test(p)) / max(1, len(pixels))

    def difference(self, other, step=4, threshold=40, skip=None):
        """Share of sampled pixels whose colours differ by more than threshold in some channel; skip is a
        rectangle (x0, y0, x1, y1) left out."""
        changed = total = 0
        for y in range(0, self.height, step):
            for x in range(0, self.width, step):
                if skip and skip[0] <= x < skip[2] and skip[1] <= y < skip[3]:
                    continue
                a, b = self.at(x, y), other.at(x, y)
                total += 1
                if max(abs(a[i] - b[i]) for i in range(3)) > threshold:
                    changed += 1
        return changed / total


counter = [0]


def screenshot(folder):
    counter[0] += 1
    path = os.path.join(folder, "shot%03d.ppm" % counter[0])
    subprocess.run(["import", "-silent", "-window", "root", "-depth", "8", "ppm:" + path], check=True, timeout=30)
    return Shot(path)


def keep(shot, folder, name):
    """Keeps a screenshot that explains a failure under a telling name."""
    target = os.path.join(folder, name + ".ppm")
    shutil.copyfile(shot.path, target)
    return target


def is_red(p):
    # The hero is lit: its shaded side and its darker line stay above 150 in red.
    return p[0] > 150 and p[1] < 110 and p[2] < 110


def is_blue(p):
    return p[2] > 180 and p[0] < 110


def is_floor(p):
    return p[1] > p[0] + 20 and p[1] > p[2] + 20


def is_cyan(p):
    return p[2] > 170 and p[1] > 170 and p[0] < 170


def is_sky(p):
    # The level's backdrop: blue above the horizon, the clouds' greys tinged with blue.
    return p[2] > 120 and p[2] >= p[0] and p[2] >= p[1]


def is_white(p):
    return min(p) > 235


def is_dark(p):
    return max(p) < 90


# --- The game -----------------------------------------------------------------------------------

class Game:
    def __init__(self, binary, work, home, arguments=(), frame_log=False):
        self.log_path = os.path.join(work, "..", "game.log")
        env = dict(os.environ)
        env["XDG_DATA_HOME"] = home
        env.pop("TOVIK_FRAME_LOG", None)
        if frame_log:
            env["TOVIK_FRAME_LOG"] = "1"
        # One log for every game a scenario starts, so that a sanitizer report of any of them is seen.
        self.log = open(self.log_path, "a")
        self.log_start = self.log.tell()
        self.process = subprocess.Popen([binary] + list(arguments), cwd=work, env=env, stdout=self.log,
                                        stderr=subprocess.STDOUT)

        self.throttling = None

    def alive(self):
        return self.process.poll() is None

    def throttle(self, run=0.004, pause=0.056):
        """Lets the game run only `run` seconds in every `run + pause`, as on a much slower machine (its
        clock still runs at full speed), until unthrottle."""
        done = threading.Event()

        def cycle():
            while not done.is_set() and self.alive():
                try:
                    self.process.send_signal(signal.SIGSTOP)
                    done.wait(pause)
                finally:
                    if self.alive():
                        self.process.send_signal(signal.SIGCONT)
                done.wait(run)

        thread = threading.Thread(target=cycle, daemon=True)
        thread.start()
        self.throttling = (done, thread)

    def unthrottle(self):
        if self.throttling:
            done, thread = self.throttling
            done.set()
            thread.join()
            self.throttling = None
            if self.alive():
                self.process.send_signal(signal.SIGCONT)

    def output(self):
        self.log.flush()
        with open(self.log_path) as f:
            f.seek(self.log_start)
            return f.read()

    def stop(self, timeout=30):
        """SIGTERM, as a desktop's close request; returns the exit code."""
        self.unthrottle()
        if self.alive():
            self.process.send_signal(signal.SIGTERM)
        try:
            return self.process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            stacks = self.stacks()
            self.process.kill()
            self.process.wait()
            raise Failure("the game did not end within %d s of SIGTERM; where it stood:\n%s" % (timeout, stacks))

    def stacks(self):
        """Every thread's stack of the running game, when gdb is there to take them."""
        if not shutil.which("gdb"):
            return "(no gdb to show the stacks)"
        taken = subprocess.run(["gdb", "-batch", "-p", str(self.process.pid), "-ex", "thread apply all bt 25"],
                               capture_output=True, text=True, timeout=120)
        return "\n".join(line for line in taken.stdout.splitlines() if line.startswith(("#", "Thread")))

    def kill(self):
        self.unthrottle()
        if self.alive():
            self.process.kill()
            self.process.wait()


def wait_for_window(game, timeout=60):
    deadline = time.time() + timeout
    while time.time() < deadline:
        check(game.alive(), "the game ended before its window appeared:\n" + game.output())
        found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^Tovik$"],
                               capture_output=True, text=True)
        if found.returncode == 0 and found.stdout.strip():
            return found.stdout.split()[0]
        time.sleep(0.1)
    raise Failure("no window named Tovik appeared within %d s" % timeout)


def wait_for(game, folder, test, what, timeout=60, interval=0.25):
    """Screenshots until test(shot) holds; returns that shot."""
    deadline = time.time() + timeout
    shot = None
    while time.time() < deadline:
        check(game.alive(), "the game ended while waiting for " + what + ":\n" + game.output())
        shot = screenshot(folder)
        if test(shot):
            return shot
        time.sleep(interval)
    raise Failure("%s not seen within %d s (last screenshot: %s)" % (what, timeout,
                                                                  keep(shot, folder, "timeout") if shot else "none"))


def xdotool(*arguments):
    subprocess.run(["xdotool"] + [str(a) for a in arguments], check=True, timeout=30)


def move_mouse(dx, dy, steps=4):
    # Captured mouse: the game centres the cursor after every motion, so relative moves turn the camera.
    for _ in range(steps):
        xdotool("mousemove_relative", "--", dx // steps, dy // steps)
        time.sleep(0.05)


def settle():
    time.sleep(0.8)


def is_gold(p):
    return p[0] > 200 and 150 < p[1] < 230 and p[2] < 120


def title_menu_is_up(shot):
    # The game's name in tall gold lettering across the top of the window.
    return shot.share(300, 80, WIDTH - 300, 180, is_gold, 2) > 0.3


def pause_menu_is_up(shot):
    # The heading "Paused" in gold at the top of the menu's panel, lower than the name's lettering.
    return shot.share(300, 80, WIDTH - 300, 140, is_gold, 2) > 0.1 and \
        shot.share(300, 160, WIDTH - 300, 180, is_gold, 2) < 0.02 and shot.share(260, 80, 345, 140, is_gold, 2) < 0.02


def quit_question_is_up(shot):
    # The question "Are you sure?" in gold, wider than any other screen's heading.
    return shot.share(260, 80, 345, 140, is_gold, 2) > 0.08 and shot.share(300, 160, WIDTH - 300, 180, is_gold, 2) < 0.02


def start_play(game, folder, window):
    """Enter on the title menu starts play; the key is sent again while the menu stays (a loaded machine
    may map and focus the window late)."""
    wait_for(game, folder, title_menu_is_up, "the title menu")
    for _ in range(5):
        xdotool("windowfocus", window)
        xdotool("key", "Return")
        deadline = time.time() + 6
        while time.time() < deadline:
            check(game.alive(), "the game ended on the title menu:\n" + game.output())
            shot = screenshot(folder)
            if not title_menu_is_up(shot) and level_is_up(shot):
                return shot
            time.sleep(0.25)
    raise Failure("play did not start from the title menu: " + keep(screenshot(folder), folder, "title"))


def level_is_up(shot):
    cx, cy = WIDTH // 2, HEIGHT // 2
    return shot.share(cx - 8, cy - 8, cx + 8, cy + 8, is_red, 2) > 0.9


# --- Files ----------------------------------------------------------------------------------------

def setting(repo, key):
    """A string setting of the shipped config.cfg (the token after the key)."""
    with open(os.path.join(repo, "Content", "config.cfg")) as f:
        tokens = f.read().split()
    return tokens[tokens.index(key) + 1]


def file_digest(path):
    with open(path, "rb") as f:
        return hashlib.sha256(f.read()).hexdigest()


def png_level(path, text, width=64, height=48):
    """A PNG level file: a small picture with the level text in a compressed "levelData" chunk (a plain
    picture when the text is empty)."""
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    rows = b"".join(b"\x00" + bytes([40, 80, 160]) * width for _ in range(height))
    png = b"\x89PNG\r\n\x1a\n"
    png += chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
    if text:
        png += chunk(b"zTXt", b"levelData\x00\x00" + zlib.compress(text.encode()))
    png += chunk(b"IDAT", zlib.compress(rows))
    png += chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(png)


def hero_level(color, extra_entities=0):
    """A level with a hero of that colour on the first level's resources, a camera on it and, when asked,
    many empty entities that make the load long."""
    hero = ("Entity 1 id 1 components "
            "Body 1 0 Component end position 0 1 0 1 mass 1 shape Sphere 0 radius 1 end end "
            "Graphics 5 0 Component end diffuseColor %s 1 textureName whitePixel modelName sphere "
            "programName surface end end end\n" % color)
    floor = ("Entity 1 id 2 components "
             "Body 1 0 Component end position 0 -0.5 0 1 shape Rect 0 size 20 0.5 20 0 end end "
             "Graphics 5 0 Component end textureName floorTiles modelName box programName surface end end end\n")
    fillers = "".join("Entity 1 id %d components end end\n" % (100 + i) for i in range(extra_entities))
    return ("Editor 2\nresourceFileName Content/Resources/level1.res\nend\n"
            "components\n"
            "Physics 0 0 GameStateComponent end end\n"
            "CameraComponent 0 0 GameStateComponent end camera PerspectiveCamera 0 pos 0 1 0 1 distance 15 "
            "rotateX -0.45 end targetDistance 15 adjustmentTime 0.5 targetEntity 1 end\n"
            "end\narchetypes end\nentities\nsize %d\n%s%s%send\nend\n"
            % (2 + extra_entities, hero, floor, fillers))


# --- Scenarios ------------------------------------------------------------------------------------

def first_level(game_binary, repo, tmp):
    work, home = os.path.join(tmp, "work"), os.path.join(tmp, "home")
    os.makedirs(work)
    os.makedirs(home)
    level_file = os.path.join(repo, setting(repo, "startingState"))
    before = file_digest(level_file)

    game = Game(game_binary, work, home)
    try:
        window = wait_for_window(game)
        # Enter chooses the title menu's first item: play starts in the level below it.
        shot = start_play(game, tmp, window)
        settle()
        shot = screenshot(tmp)
        # The camera orbits the hero from above and behind: the hero in the middle, the floor below
        # it down to the bottom edge, nothing but sky along the top.
        cx, cy = WIDTH // 2, HEIGHT // 2
        check(shot.share(cx - 20, cy - 20, cx + 20, cy + 20, is_red, 2) > 0.9,
              "the hero is not in the middle: " + keep(shot, tmp, "start"))
        check(not is_red(shot.at(cx, cy - 60)) and not is_red(shot.at(cx, cy + 60)),
              "the hero is larger than its place: " + keep(shot, tmp, "start"))
        check(shot.share(0, HEIGHT - 200, WIDTH, HEIGHT, is_floor) > 0.8,
              "no floor along the bottom: " + keep(shot, tmp, "start"))
        check(shot.share(0, 0, WIDTH, 60, is_sky) > 0.95, "no open sky along the top: " + keep(shot, tmp, "start"))
        # The HUD over the level: the score-sphere count in gold low on the left, the hero's speed in
        # white high on the right.
        check(shot.share(30, 680, 140, 745, is_gold, 2) > 0.02, "no sphere count on the HUD: " + keep(shot, tmp, "start"))
        check(shot.share(830, 65, 995, 135, is_white, 2) > 0.02, "no speed on the HUD: " + keep(shot, tmp, "start"))
        # The hero's dispenser casts cyan rings onto the floor round it, and only within its reach: the
        # floor beside the hero carries them, the floor far from it none.
        check(shot.share(cx - 180, cy - 4, cx - 60, cy + 116, is_cyan, 2) > 0.05,
              "no pattern on the floor beside the hero: " + keep(shot, tmp, "start"))
        check(shot.share(0, HEIGHT - 150, WIDTH, HEIGHT, is_cyan, 2) < 0.002
              and shot.share(0, cy + 16, 250, HEIGHT, is_cyan, 2) < 0.002
              and shot.share(WIDTH - 244, cy + 16, WIDTH, HEIGHT, is_cyan, 2) < 0.002,
              "the hero's pattern reaches floor far from it: " + keep(shot, tmp, "start"))

        # Sideways mouse motion turns the camera round the hero: the hero stays, the scene swings.
        move_mouse(240, 0)
        settle()
        turned = screenshot(tmp)
        check(level_is_up(turned), "the hero left the middle after a turn: " + keep(turned, tmp, "turned"))
        changed = turned.difference(shot)
        check(changed > 0.10, "the view hardly changed after the mouse moved (%.3f): %s"
              % (changed, keep(turned, tmp, "turned")))

        # Moving the mouse down tilts the camera down: the floor climbs up the window.
        floor_before = turned.share(0, 0, WIDTH, HEIGHT // 2, is_floor)
        move_mouse(0, 240, steps=6)
        settle()
        tilted = screenshot(tmp)
        floor_after = tilted.share(0, 0, WIDTH, HEIGHT // 2, is_floor)
        check(floor_after > floor_before + 0.05, "the floor did not climb when the camera tilted down "
              "(%.3f -> %.3f): %s" % (floor_before, floor_after, keep(tilted, tmp, "tilted")))

        # Escape pauses the level under the pause menu: the mouse no longer turns the camera, so the view
        # is as it was once Escape has resumed play.
        before_pause = screenshot(tmp)
        xdotool("key", "Escape")
        wait_for(game, tmp, pause_menu_is_up, "the pause menu")
        move_mouse(240, 0)
        settle()
        xdotool("key", "Escape")
        still = wait_for(game, tmp, level_is_up, "the level after resuming")
        settle()
        still = screenshot(tmp)
        # The intro's logos fade in the lower right corner meanwhile.
        check(still.difference(before_pause, skip=INTRO_CORNER) < 0.01,
              "the camera turned while paused: " + keep(still, tmp, "paused"))
        move_mouse(240, 0)
        settle()
        resumed = screenshot(tmp)
        check(resumed.difference(still) > 0.10, "the camera did not turn after resuming: "
              + keep(resumed, tmp, "resumed"))

        code = game.stop()
        check(code == 0, "exit code %d after SIGTERM:\n%s" % (code, game.output()))
    finally:
        game.kill()
    check(file_digest(level_file) == before, "the shipped level file was changed")


def level_argument(game_binary, repo, tmp):
    work, home = os.path.join(tmp, "work"), os.path.join(tmp, "home")
    starting_state = setting(repo, "startingState")
    # An empty working folder: the game makes the level's folder in it.
    os.makedirs(work)
    os.makedirs(home)
    shipped = os.path.join(repo, starting_state)
    before = file_digest(shipped)

    text = hero_level("0.2 0.3 1")
    picture = os.path.join(tmp, "blue hero.png")
    png_level(picture, text)
    plain = os.path.join(tmp, "plain.png")
    png_level(plain, "")

    game = Game(game_binary, work, home, ["--not-a-level", plain, picture])
    try:
        wait_for_window(game)
        # The level of the picture is the one played: a blue hero.
        cx, cy = WIDTH // 2, HEIGHT // 2
        shot = wait_for(game, tmp, lambda s: s.share(cx - 8, cy - 8, cx + 8, cy + 8, is_blue, 2) > 0.9,
                        "the blue hero of the level picture")
        written = os.path.join(work, starting_state)
        check(os.path.exists(written), "no level file was written into the working folder")
        with open(written) as f:
            check(f.read() == text, "the written level file differs from the picture's level text")
        code = game.stop()
        check(code == 0, "exit code %d after SIGTERM:\n%s" % (code, game.output()))
    finally:
        game.kill()
    check(file_digest(shipped) == before, "the shipped level file was changed")
    leftovers = [name for name in os.listdir(os.path.dirname(os.path.join(work, starting_state)))
                 if name != os.path.basename(starting_state)]
    check(not leftovers, "temporary files left beside the level: %s" % leftovers)


def loading_screen(game_binary, repo, tmp):
    work, home = os.path.join(tmp, "work"), os.path.join(tmp, "home")
    starting_state = setting(repo, "startingState")
    os.makedirs(os.path.join(work, os.path.dirname(starting_state)))
    os.makedirs(home)
    # The loading screen draws at most thirty frames a second, so on this machine even a long entity list
    # (one progress report each) loads before the splash pictures (2.5 s each) are over. Throttled to a
    # fifteenth of its speed, as on a much slower machine, the game spends its time between frames on
    # the load and still outlasts the splash.
    picture = os.path.join(tmp, "long.png")
    png_level(picture, hero_level("1 0.2 0.2", extra_entities=30000))

    def splash(shot):
        # The maker's logo: dark lettering across the middle of a white window.
        corners = [shot.at(5, 5), shot.at(WIDTH - 6, 5), shot.at(5, HEIGHT - 6), shot.at(WIDTH - 6, HEIGHT - 6)]
        return all(is_white(c) for c in corners) and \
            shot.share(200, HEIGHT // 2 - 40, WIDTH - 200, HEIGHT // 2 + 40, is_dark, 2) > 0.05

    def progress_view(shot):
        # The loading picture between grey margins, with its lettering in the upper half.
        grey = lambda p: all(abs(c - 51) < 6 for c in p)
        return shot.share(0, 0, 16, HEIGHT, grey) > 0.95 and shot.share(WIDTH - 16, 0, WIDTH, HEIGHT, grey) > 0.95 \
            and shot.share(200, 100, WIDTH - 200, HEIGHT // 2, is_white, 2) > 0.02

    game = Game(game_binary, work, home, [picture])
    try:
        game.throttle()
        wait_for_window(game)
        shot = wait_for(game, tmp, splash, "the loading screen's splash", timeout=30, interval=0.05)
        check(not level_is_up(shot), "the level was up already")
        shot = wait_for(game, tmp, progress_view, "the loading screen's progress view", timeout=60, interval=0.1)
        check(not level_is_up(shot), "the level was up already")
        # At full speed the rest of the load takes next to no time.
        game.unthrottle()
        wait_for(game, tmp, level_is_up, "the level after loading", timeout=60, interval=0.5)
        code = game.stop()
        check(code == 0, "exit code %d after SIGTERM:\n%s" % (code, game.output()))
    finally:
        game.kill()

    # Closed while loading, the game ends at once, and cleanly.
    game = Game(game_binary, work, home, [picture])
    try:
        game.throttle()
        wait_for_window(game)
        wait_for(game, tmp, splash, "the loading screen's splash", timeout=30, interval=0.05)
        started = time.time()
        code = game.stop(timeout=10)
        check(code == 0, "exit code %d after SIGTERM during the load:\n%s" % (code, game.output()))
        check(time.time() - started < 5, "the game took %.1f s to end during the load" % (time.time() - started))
    finally:
        game.kill()


def written_setting(path, key):
    """The value token after a key of a written config.cfg."""
    with open(path) as f:
        tokens = f.read().split()
    return tokens[tokens.index(key) + 1]


def menus(game_binary, repo, tmp):
    work, home = os.path.join(tmp, "work"), os.path.join(tmp, "home")
    os.makedirs(work)
    os.makedirs(home)
    written = os.path.join(home, "Kestrum", "Tovik", "config.cfg")

    def press(*keys):
        for key in keys:
            xdotool("key", key)
            time.sleep(0.6)

    game = Game(game_binary, work, home)
    try:
        window = wait_for_window(game)
        # The title menu over the paused first level: the name at the top, the enlarged hero in the
        # middle, the items down the left with the first one lit.
        shot = wait_for(game, tmp, lambda s: title_menu_is_up(s) and level_is_up(s), "the title menu over the level")
        xdotool("windowfocus", window)
        settle()
        keep(shot, tmp, "title")
        cx, cy = WIDTH // 2, HEIGHT // 2
        check(shot.share(cx - 30, cy - 30, cx + 30, cy + 30, is_red, 2) > 0.9, "the hero is not enlarged in the "
              "middle of the title menu: " + keep(shot, tmp, "title"))
        check(shot.share(80, 240, 240, 290, is_white, 1) > 0.02, "the first item is not lit: " + keep(shot, tmp, "title"))

        # Down three times passes over the locked time-attack items to the options; Enter opens them.
        press("s", "s", "s", "Return")
        options = wait_for(game, tmp, lambda s: s.share(300, 80, WIDTH - 300, 140, is_gold, 2) > 0.1
                           and not title_menu_is_up(s), "the options screen")
        # Down to the sound item, Enter switches the sound off; down twice to back, Enter leaves.
        press("s", "Return", "s", "s", "Return")
        wait_for(game, tmp, title_menu_is_up, "the title menu after leaving the options")
        deadline = time.time() + 20
        while not os.path.exists(written) and time.time() < deadline:
            time.sleep(0.2)
        check(os.path.exists(written), "leaving the options wrote no config.cfg into the settings folder")
        check(written_setting(written, "muted") == "1", "the written settings do not have the sound off")
        check(written_setting(written, "resolutionX") == "1024", "the written settings lost the resolution")
        check(options.difference(shot) > 0.1, "the options screen looked like the title menu")

        # Up three times returns to the start item (over the locked ones); Enter starts play.
        press("w", "w", "w", "Return")
        wait_for(game, tmp, lambda s: level_is_up(s) and not title_menu_is_up(s), "play after the title menu")
        # Escape opens the pause menu; up wraps to its quit item; Enter asks; left and Enter confirm.
        press("Escape")
        wait_for(game, tmp, pause_menu_is_up, "the pause menu")
        press("w", "Return")
        wait_for(game, tmp, quit_question_is_up, "the quit question")
        press("a", "Return")
        try:
            code = game.process.wait(timeout=60)
        except subprocess.TimeoutExpired:
            raise Failure("the game did not end after quitting was confirmed: " + keep(screenshot(tmp), tmp, "quit"))
        check(code == 0, "exit code %d after quitting from the menu:\n%s" % (code, game.output()))
    finally:
        game.kill()


def png_text(path):
    """The level text of a PNG level file (its "levelData" chunk)."""
    with open(path, "rb") as f:
        data = f.read()
    pos = 8
    while pos + 8 <= len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b"zTXt" and body.startswith(b"levelData\x00"):
            return zlib.decompress(body[len(b"levelData\x00") + 1:]).decode()
        if kind == b"tEXt" and body.startswith(b"levelData\x00"):
            return body[len(b"levelData\x00"):].decode()
        pos += 12 + length
    raise Failure("no level text in " + path)


def pink_entities(text):
    """Positions of the entities of a level text drawn in the placeable block's pink."""
    entities = text[text.index("\nentities"):]
    found = []
    for chunk in entities.split("Entity 1")[1:]:
        tokens = chunk.split()
        if "diffuseColor" not in tokens or "position" not in tokens:
            continue
        c = tokens.index("diffuseColor")
        colour = [float(t) for t in tokens[c + 1:c + 4]]
        if all(abs(a - b) < 0.01 for a, b in zip(colour, (1.0, 0.45, 0.75))):
            p = tokens.index("position")
            found.append(tuple(float(t) for t in tokens[p + 1:p + 4]))
    return found


def game_seconds(game):
    """The time the game's frames have advanced its level so far (each frame at most 0.1 s), from its
    frame log."""
    total = 0.0
    for line in game.output().splitlines():
        if line.startswith("frame "):
            total += min(float(line.split()[1]), 100.0) / 1000.0
    return total


def hold_for_game_time(game, keys, seconds, timeout=120):
    """Holds keys until the game's frames have advanced that long, whatever the frame rate."""
    start = game_seconds(game)
    xdotool("keydown", *keys)
    deadline = time.time() + timeout
    while game_seconds(game) - start < seconds:
        check(time.time() < deadline and game.alive(), "the game's frames stalled while keys were held")
        time.sleep(0.05)
    xdotool("keyup", *reversed(keys))
    settle()


def is_pink(p):
    return p[0] > 90 and 0.55 * p[0] < p[2] < 0.95 * p[0] and p[1] < 0.7 * p[2]


def editor(game_binary, repo, tmp):
    work, home = os.path.join(tmp, "work"), os.path.join(tmp, "home")
    os.makedirs(work)
    os.makedirs(home)
    level_file = os.path.join(repo, setting(repo, "startingState"))
    before = file_digest(level_file)
    # The first level as a PNG level file that the settings start the game with.
    picture = os.path.join(tmp, "edited.png")
    with open(level_file) as f:
        png_level(picture, f.read())
    with open(os.path.join(repo, "Content", "config.cfg")) as f:
        config = f.read().replace(setting(repo, "startingState"), picture)
    with open(os.path.join(work, "config.cfg"), "w") as f:
        f.write(config)

    def hold(keys, seconds):
        xdotool("keydown", *keys)
        time.sleep(seconds)
        xdotool("keyup", *reversed(keys))
        settle()

    def press(key):
        xdotool("key", key)
        settle()

    def save():
        """P, then the level text once the game has rewritten its file."""
        before = file_digest(picture)
        xdotool("key", "p")
        deadline = time.time() + 60
        while file_digest(picture) == before:
            check(time.time() < deadline and game.alive(), "P did not save the level:\n" + game.output())
            time.sleep(0.1)
        settle()
        return png_text(picture)

    game = Game(game_binary, work, home, frame_log=True)
    try:
        wait_for_window(game)
        # The title menu's first item starts play in the level below it.
        wait_for(game, tmp, title_menu_is_up, "the title menu")
        xdotool("key", "Return")
        shot = wait_for(game, tmp, lambda s: level_is_up(s) and not title_menu_is_up(s),
                        "the hero in the middle of the window")
        settle()
        start = screenshot(tmp)
        # F1 edits. The wheel takes the next archetype (the pink block); the preview, which starts
        # inside the hero, rises out of it with E (2.6 units in 1.5 s of game time); space places it and goes on modifying it; space again
        # ends that edit. P saves the level into its PNG file.
        press("F1")
        xdotool("click", "4")
        settle()
        hold_for_game_time(game, ["e"], 1.5)
        press("space")
        press("space")
        placed = pink_entities(save())
        check(len(placed) == 1, "after placing, %d pink entities were saved:\n%s" % (len(placed), game.output()))
        # Space picks the block again (the new preview stands in it); Ctrl+D moves it sideways and space
        # ends the edit; the saved block has moved.
        press("space")
        hold_for_game_time(game, ["ctrl", "d"], 0.5)
        press("space")
        moved = pink_entities(save())
        check(len(moved) == 1 and moved[0] != placed[0], "the block did not move: %s -> %s" % (placed, moved))
        # U takes the move back.
        press("u")
        undone = pink_entities(save())
        check(len(undone) == 1 and all(abs(a - b) < 1e-3 for a, b in zip(undone[0], placed[0])),
              "undo did not put the block back: %s, %s, %s" % (placed, moved, undone))
        check("Recreating object with new entityID" in game.output(), "undo said nothing:\n" + game.output())
        code = game.stop()
        check(code == 0, "exit code %d after SIGTERM:\n%s" % (code, game.output()))
    finally:
        game.kill()

    # A new game starts from the saved file: the block stands above the hero.
    game = Game(game_binary, work, home)
    try:
        wait_for_window(game)
        wait_for(game, tmp, title_menu_is_up, "the title menu")
        xdotool("key", "Return")
        wait_for(game, tmp, lambda s: level_is_up(s) and not title_menu_is_up(s), "the hero of the saved level")
        settle()
        shot = screenshot(tmp)
        # The same view as at the first start, but for the block above the hero.
        cx, cy = WIDTH // 2, HEIGHT // 2
        above = sum(1 for a, b in zip(shot.region(cx - 100, cy - 330, cx + 100, cy - 30, 2),
                                      start.region(cx - 100, cy - 330, cx + 100, cy - 30, 2))
                    if max(abs(a[i] - b[i]) for i in range(3)) > 40)
        check(above > 100 and shot.share(cx - 100, cy - 330, cx + 100, cy - 30, is_pink, 2) >
              start.share(cx - 100, cy - 330, cx + 100, cy - 30, is_pink, 2) + 0.005,
              "the placed block is not seen above the hero: %s (start: %s)"
              % (keep(shot, tmp, "restarted"), keep(start, tmp, "start")))
        code = game.stop()
        check(code == 0, "exit code %d after SIGTERM:\n%s" % (code, game.output()))
    finally:
        game.kill()
    check(file_digest(level_file) == before, "the shipped level file was changed")


def time_attack(game_binary, repo, tmp):
    """A Time Attack run on the first level with its end trigger laid round the hero's start: chosen from
    the title menu, the run ends at once, the clock stops on the HUD and the record reaches lists.tm in
    the settings folder."""
    work, home = os.path.join(tmp, "work"), os.path.join(tmp, "home")
    settings = os.path.join(home, "Kestrum", "Tovik")
    os.makedirs(work)
    os.makedirs(settings)
    with open(os.path.join(repo, "Content", "Levels", "level1.lvl")) as f:
        level = f.read()
    trigger = ("\tEntity 1 id 950 components Body 1 0 Component end position 0 1 0 1 mass 0 resolve 0 "
               "shape Rect 0 size 2 2 2 0 end end TimerOffComponent 0 0 Component end message \"Made it!\" "
               "mode 1 end end end\n")
    count = int(level.split("entities\n\tsize ")[1].split()[0])
    level = level.replace("entities\n\tsize %d" % count, "entities\n\tsize %d" % (count + 1), 1)
    level = level[:level.rindex("\tend\nend")] + trigger + "\tend\nend\n"
    level_file = os.path.join(work, "race.lvl")
    with open(level_file, "w") as f:
        f.write(level)
    with open(os.path.join(repo, "Content", "config.cfg")) as f:
        config = f.read()
    config = config.replace("timerModeEnable \n\t0", "timerModeEnable \n\t1")
    config = config.replace("Content/Levels/level1.lvl", level_file)
    with open(os.path.join(settings, "config.cfg"), "w") as f:
        f.write(config)
    lists = os.path.join(settings, "lists.tm")

    game = Game(game_binary, work, home)
    try:
        window = wait_for_window(game)
        wait_for(game, tmp, title_menu_is_up, "the title menu")
        xdotool("windowfocus", window)
        settle()
        # Down once to "Time Attack Mode" (unlocked), Enter starts the run; Enter again while the menu
        # stays (a loaded machine may focus the window late).
        xdotool("key", "s")
        time.sleep(0.6)
        xdotool("key", "Return")
        deadline = time.time() + 60
        while not os.path.exists(lists) and time.time() < deadline:
            check(game.alive(), "the game ended on the title menu:\n" + game.output())
            time.sleep(2)
            if not os.path.exists(lists) and title_menu_is_up(screenshot(tmp)):
                xdotool("windowfocus", window)
                xdotool("key", "Return")
        check(os.path.exists(lists), "the run's record was not saved to lists.tm in the settings folder")
        with open(lists) as f:
            tokens = f.read().split()
        check(tokens[:3] == ["BestTimesLists", "0", "atkMode"], "lists.tm does not start with the Time Attack list")
        first = tokens.index("BestTime")
        check(tokens[tokens.index("min", first) + 1] == "0" and tokens[tokens.index("sec", first) + 1] == "0",
              "the 0:00 run is not the best Time Attack time: " + " ".join(tokens[:20]))
        check(tokens.count("BestTime") == 10, "the lists do not keep five entries each")
        settle()
        shot = screenshot(tmp)
        # The stopped clock stays on the HUD, high on the left.
        check(shot.share(20, 20, 140, 90, is_white, 1) > 0.03, "no clock on the HUD: " + keep(shot, tmp, "stopped"))
        code = game.stop()
        check(code == 0, "exit code %d after SIGTERM:\n%s" % (code, game.output()))
    finally:
        game.kill()


SCENARIOS = {"first-level": first_level, "level-argument": level_argument, "loading-screen": loading_screen,
             "menus": menus, "editor": editor, "time-attack": time_attack}


SANITIZER_REPORTS = ("ERROR: AddressSanitizer", "ERROR: LeakSanitizer", "runtime error:")


def sanitizer_reports(log):
    """The sanitizers' reports (a game built with them) in the games' whole output: each from its first
    line to its SUMMARY line."""
    if not os.path.exists(log):
        return ""
    with open(log, errors="replace") as f:
        lines = f.read().splitlines()
    reports, inside = [], False
    for line in lines:
        if any(marker in line for marker in SANITIZER_REPORTS):
            inside = True
        if inside:
            reports.append(line)
            if line.startswith("SUMMARY:"):
                inside = False
    return "\n".join(reports)


def run_scenario(name, prefix, play, extra_arguments=lambda parser: None):
    """The command line every scenario script shares: --game, --repo, --keep and the script's own
    options; plays `play(game, repo, tmp, args)` in a temporary folder, kept (with the game's last
    output shown) when it fails. A sanitizer report fails the scenario whatever else happened, and its
    lines are printed in full, so that a try that failed anyway still shows it."""
    parser = argparse.ArgumentParser()
    parser.add_argument("--game", required=True)
    parser.add_argument("--repo", required=True)
    parser.add_argument("--keep", action="store_true", help="keep the temporary folder")
    extra_arguments(parser)
    args = parser.parse_args()
    name = name(args) if callable(name) else name
    check(os.environ.get("DISPLAY"), "no DISPLAY: run inside xvfb-run")
    tmp = tempfile.mkdtemp(prefix=prefix)
    log = os.path.join(tmp, "game.log")
    failure = None
    try:
        play(os.path.abspath(args.game), os.path.abspath(args.repo), tmp, args)
    except Failure as failed:
        failure = str(failed)
    except Exception:
        failure = traceback.format_exc()
    reports = sanitizer_reports(log)
    if failure or reports:
        print("FAILED %s: %s" % (name, failure or "the sanitizers reported faults"), file=sys.stderr)
        if os.path.exists(log):
            with open(log, errors="replace") as f:
                print("--- game output ---\n" + f.read()[-4000:], file=sys.stderr)
        if reports:
            print("--- sanitizer reports ---\n" + reports, file=sys.stderr)
        print("(files kept in %s)" % tmp, file=sys.stderr)
        sys.exit(1)
    if not args.keep:
        shutil.rmtree(tmp, ignore_errors=True)
    print("passed %s" % name)


def main():
    run_scenario(lambda args: args.scenario, "tovik-e2e-",
                 lambda game, repo, tmp, args: SCENARIOS[args.scenario](game, repo, tmp),
                 lambda parser: parser.add_argument("--scenario", required=True, choices=sorted(SCENARIOS)))


if __name__ == "__main__":
    main()
