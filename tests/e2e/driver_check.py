#!/usr/bin/env python3
# The scenario driver itself: a sanitizer report anywhere in the games' output fails a scenario, whether
# it passed or failed otherwise, and the report's lines are printed in full.
import contextlib
import io
import os
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import game_e2e as e2e  # noqa: E402

REPORT = ["==7==ERROR: AddressSanitizer: heap-use-after-free on address 0x602000000010",
          "    #0 0x55d0 in MenuManager::update(float) ui/MenuManager.cpp:88",
          "SUMMARY: AddressSanitizer: heap-use-after-free ui/MenuManager.cpp:88 in MenuManager::update(float)"]


def outcome(fails):
    def play(game, repo, tmp, args):
        # The report far from the end of a long log, where the last lines shown do not reach.
        with open(os.path.join(tmp, "game.log"), "w") as log:
            log.write("frame\n" * 3000 + "\n".join(REPORT) + "\n" + "frame\n" * 3000)
        if fails:
            raise e2e.Failure("the title menu did not come up in time")

    errors = io.StringIO()
    sys.argv = ["driver_check", "--game", "tovik", "--repo", "."]
    code = 0
    with contextlib.redirect_stderr(errors), contextlib.redirect_stdout(io.StringIO()):
        try:
            e2e.run_scenario("check", "tovik-driver-", play)
        except SystemExit as exit:
            code = exit.code
    return code, errors.getvalue()


with tempfile.TemporaryDirectory() as folder:
    tempfile.tempdir = folder
    os.environ.setdefault("DISPLAY", ":0")
    for fails in (False, True):
        code, errors = outcome(fails)
        e2e.check(code == 1, "a scenario with a sanitizer report did not fail (failed otherwise: %s)" % fails)
        e2e.check("\n".join(REPORT) in errors, "the report was not printed whole:\n" + errors[-2000:])
print("passed driver check")
