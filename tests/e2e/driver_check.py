#!/usr/bin/env python3
# The scenario driver: a sanitizer report anywhere in the games' output fails a scenario, passed or failed
# otherwise, and the report is printed whole.
import contextlib
import io
import os
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import game_e2e as e2e  # noqa: E402

REPORT = "==7==ERROR: AddressSanitizer: heap-use-after-free\n    #0 in MenuManager::update\nSUMMARY: AddressSanitizer"

os.environ.setdefault("DISPLAY", ":0")
sys.argv = ["driver_check", "--game", "tovik", "--repo", "."]
with tempfile.TemporaryDirectory() as tempfile.tempdir:
    for fails in (False, True):
        def play(game, repo, tmp, args):
            # Far from the end of a long log, where the output shown of a failed try does not reach.
            with open(os.path.join(tmp, "game.log"), "w") as log:
                log.write("frame\n" * 3000 + REPORT + "\n" + "frame\n" * 3000)
            e2e.check(not fails, "the title menu did not come up in time")

        errors, code = io.StringIO(), 0
        with contextlib.redirect_stderr(errors), contextlib.redirect_stdout(io.StringIO()):
            try:
                e2e.run_scenario("check", "tovik-driver-", play)
            except SystemExit as exit:
                code = exit.code
        e2e.check(code == 1 and REPORT in errors.getvalue(), "report not failed or shown whole:\n" + errors.getvalue())
print("passed driver check")
