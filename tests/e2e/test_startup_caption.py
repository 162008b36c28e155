#!/usr/bin/env python3
"""The real program starts with the stored setup "Tokyo" as its caption and,
when the window manager closes it, stores its window and Local options."""

import sys

sys.dont_write_bytecode = True
from harness import Session, check, check_equal, run_test  # noqa: E402

PREPARED = """\
[Settings]
currSetup=Tokyo
nbSetup=1
Setup0=Tokyo

[Tokyo]
OtherIndex=2
"""

STORED_AT_CLOSE = ("Top", "Left", "Width", "LocalIndex",
                   "chk24hLocal", "chk24hOther", "chkDSTLocal", "chk05Local")


def is_number(text) -> bool:
    try:
        float(text)
        return True
    except (TypeError, ValueError):
        return False


def test(ctx):
    with Session(ctx.work_dir) as session:
        app = session.start_meridex(ctx.meridex, ini=PREPARED, cwd=ctx.assets)
        window = session.wait_window("Meridex - Tokyo", timeout=20, app=app)
        session.screenshot(ctx.work_dir / "started.png")

        session.close_window(window)
        check_equal(app.wait_exit(timeout=15), 0, "exit status after the window manager closed it")

        stored = app.read_ini()
        check("Settings" in stored, f"no [Settings] section after closing:\n{app.ini_text()}")
        settings = stored["Settings"]
        for key in STORED_AT_CLOSE:
            check(key in settings, f"[Settings] lacks {key} after closing:\n{app.ini_text()}")
            check(is_number(settings[key]), f"[Settings] {key}={settings[key]!r} is not a number")
        for key in ("chk24hLocal", "chk24hOther", "chkDSTLocal", "chk05Local"):
            check(settings[key] in ("0", "1"), f"[Settings] {key}={settings[key]!r} is not 0 or 1")
        check_equal(settings.get("currSetup"), "Tokyo", "[Settings] currSetup")
        check_equal(stored.get("Tokyo", {}).get("OtherIndex"), "2", "[Tokyo] OtherIndex")


if __name__ == "__main__":
    run_test(test)
