#!/usr/bin/env python3
"""The real program started over hostile settings files, on a real X server: a number beyond
16 bits, garbage, a file cut short, binary bytes, a megabyte-long setup name, and a folder in
the file's place. Each time it must show a usable clock window (one that keeps ticking), show
as many message boxes as expected (each answered with Return and kept as a screenshot; their
exact texts are checked by the in-process tests, since Qt's message box on Linux offers its
text to no X client), close when the window manager closes it, exit with status 0, and leave
a settings file that parses."""
# ctest-properties: TIMEOUT 300

import os
import random
import sys
import time
from pathlib import Path

sys.dont_write_bytecode = True
sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "e2e"))
from harness import (Failure, Session, check, check_equal, format_ini,  # noqa: E402
                     run_test, ticking, wait_for)

BASELINE = {
    "Settings": {"Top": "1500", "Left": "1500", "LocalIndex": "11", "currSetup": "Tokyo",
                 "nbSetup": "1", "Setup0": "Tokyo", "chk24hLocal": "1", "MRU1": "Tokyo"},
    "Tokyo": {"OtherIndex": "2", "AlarmTimeGMT": "14:01:00", "When": "1",
              "Sound": "/nonexistent/alarm.wav", "chkLocalTime": "1"},
}


def with_value(section: str, key: str, raw: bytes) -> bytes:
    """The baseline file with one key's bytes replaced, exactly as given."""
    text = format_ini(BASELINE).encode()
    lines = text.split(b"\n")
    current = None
    for i, line in enumerate(lines):
        if line.startswith(b"[") and line.endswith(b"]"):
            current = line[1:-1].decode()
        elif current == section and line.startswith(key.encode() + b"="):
            lines[i] = key.encode() + b"=" + raw
    return b"\n".join(lines)


def keep_picture(session, wid, path) -> str:
    """Saves the message box as a picture for a person to read; returns the picture's name."""
    wait_for(lambda: session.grab(window=wid).width > 0, 5, "the message box to be drawn")
    time.sleep(0.2)  # let it paint its text before the picture is taken
    session.screenshot(path, window=wid)
    return path.name


def is_main_window(session, wid) -> bool:
    return session.window_type(wid) == "NORMAL" and session.title(wid).startswith("Meridex")


def ini_problem(data: bytes) -> str:
    """What is wrong with a settings file QSettings wrote ("" for nothing): valid UTF-8, only
    section headers, key=value lines (QSettings keeps even an empty key) and blank lines, and
    no control character left unescaped."""
    try:
        text = data.decode("utf-8")
    except UnicodeDecodeError as e:
        return f"not UTF-8: {e}"
    if text and not text.endswith("\n"):
        return "no line break at the end"
    for number, line in enumerate(text.split("\n"), 1):
        if any(ord(c) < 0x20 and c != "\t" for c in line):
            return f"line {number} holds a control character"
        if line and not (line.startswith("[") and line.endswith("]")) and "=" not in line:
            return f"line {number} is neither a section nor a key: {line[:80]!r}"
    return ""


def visible_part(session, g) -> float:
    """The share of the window's outer area that lies on the screen."""
    sw, sh = session.screen
    w = max(0, min(g.outer_x + g.outer_width, sw) - max(g.outer_x, 0))
    h = max(0, min(g.outer_y + g.outer_height, sh) - max(g.outer_y, 0))
    return (w * h) / float(g.outer_width * g.outer_height)


def answer_boxes_until_main(session, app, pictures, deadline_s: float = 30.0) -> tuple:
    """Answers every message box the program shows (with Return, after taking its picture)
    until its main window is up; returns (main window id, [pictures of the boxes])."""
    texts = []
    deadline = time.monotonic() + deadline_s
    while time.monotonic() < deadline:
        if not app.running():
            raise Failure(f"{app.name} ended ({app.proc.returncode}) while starting; it printed:\n"
                          f"{app.output()[-3000:]}")
        mine = [w for w in session.windows() if w.pid == app.pid]
        boxes = [w for w in mine if session.window_type(w.wid) == "DIALOG"]
        mains = [w for w in mine if not boxes and is_main_window(session, w.wid)]
        if boxes:
            texts.append(answer_box(session, boxes[0].wid,
                                    pictures / f"{app.name}-start-{len(texts) + 1}.png"))
        elif mains:
            return mains[0].wid, texts
        else:
            time.sleep(0.05)
    raise Failure(f"no clock window within {deadline_s:g} s; windows: {session.describe_windows()}")


def answer_box(session, wid, picture) -> str:
    """Keeps a picture of a message box, answers it with Return and waits until it is gone."""
    shown = keep_picture(session, wid, picture)
    session.key("Return", window=wid)
    wait_for(lambda: wid not in [w.wid for w in session.windows()], 10, "the message box to close")
    return shown


def close_and_answer(session, app, wid, pictures) -> list:
    """Closes the clock as the window manager would and answers what it asks on the way out."""
    session.close_window(wid)
    texts = []
    deadline = time.monotonic() + 20
    while app.running() and time.monotonic() < deadline:
        boxes = [w for w in session.windows()
                 if w.pid == app.pid and session.window_type(w.wid) == "DIALOG"]
        if boxes:
            texts.append(answer_box(session, boxes[0].wid,
                                    pictures / f"{app.name}-close-{len(texts) + 1}.png"))
        else:
            time.sleep(0.05)
    code = app.wait_exit(timeout=5)
    check_equal(code, 0, f"{app.name}'s exit status")
    return texts


def run_case(ctx, session, name: str, prepare, boxes_at_start: int, boxes_at_close: int):
    """prepare(ini_path) writes the hostile file; then the clock is started, used and closed."""
    home = ctx.work_dir / "homes" / name
    ini = home / ".config" / "Meridex" / "Meridex.ini"
    ini.parent.mkdir(parents=True, exist_ok=True)
    prepare(ini)
    started = time.monotonic()
    app = session.start_meridex(ctx.meridex, home=home, cwd=ctx.assets, name=name,
                                faketime="2026-12-07 14:00:40")
    main, texts = answer_boxes_until_main(session, app, ctx.work_dir)
    up = time.monotonic() - started
    check_equal(len(texts), boxes_at_start, f"{name}: message boxes at start {texts!r}")
    g = session.geometry(main)
    check(0 < g.width <= 4000 and 0 < g.height <= 4000, f"{name}: window of {g.width}x{g.height}")
    on_screen = visible_part(session, g)
    # A stored position out of reach (a screen gone, a damaged file) is pulled onto the screen.
    check(on_screen >= 0.5, f"{name}: only {on_screen:.0%} of the window is on the screen "
                            f"(at {g.outer_x},{g.outer_y})")
    check(ticking(session, main, 3.0), f"{name}: the clock does not tick")
    session.screenshot(ctx.work_dir / f"{name}.png", window=main)
    closing = close_and_answer(session, app, main, ctx.work_dir)
    check_equal(len(closing), boxes_at_close, f"{name}: message boxes at close {closing!r}")
    if ini.is_file():
        problem = ini_problem(ini.read_bytes())
        check(not problem, f"{name}: the settings file after closing: {problem}")
    print(f"{name}: window up after {up:.1f} s, {len(texts)} message(s) at start, "
          f"{len(closing)} at close")
    return app


def test(ctx):
    rng = random.Random(int(os.environ.get("MERIDEX_RELIABILITY_SEED", "0")) or None)
    baseline = format_ini(BASELINE).encode()
    # (name, prepare, message boxes at start, at close); the pictures are kept in the work folder.
    cases = [
        # "Overflow in Form_Load()"
        ("beyond-16-bits", lambda p: p.write_bytes(with_value("Settings", "LocalIndex", b"99999")),
         1, 0),
        # "Overflow in ReadAlarms()"
        ("count-beyond-16-bits", lambda p: p.write_bytes(with_value("Settings", "nbSetup", b"1e309")),
         1, 0),
        ("garbage", lambda p: p.write_bytes(bytes(rng.randrange(256) for _ in range(20000))), 0, 0),
        ("cut-short", lambda p: p.write_bytes(baseline[:rng.randrange(10, len(baseline) - 10)]),
         0, 0),
        ("binary-bytes", lambda p: p.write_bytes(
            with_value("Settings", "MRU1", bytes(b for b in range(1, 256) if b not in (10, 13)))),
         0, 0),
        ("megabyte-name", lambda p: p.write_bytes(
            with_value("Settings", "currSetup", b"x" * (1 << 20))), 0, 0),
        # "Cannot write the settings file ... in Form_Unload()"
        ("folder", lambda p: p.mkdir(), 0, 1),
        # Positions beyond the screen and beyond 16 bits of X11 coordinates.
        ("far-off-screen", lambda p: p.write_bytes(
            with_value("Settings", "Top", b"1e9").replace(b"Left=1500", b"Left=1e9")), 0, 0),
        ("beyond-x11-coordinates", lambda p: p.write_bytes(
            with_value("Settings", "Top", b"600000").replace(b"Left=1500", b"Left=600000")), 0, 0),
    ]
    with Session(ctx.work_dir) as session:
        for name, prepare, at_start, at_close in cases:
            run_case(ctx, session, name, prepare, at_start, at_close)
    print(f"PASSED {len(cases)} starts of the real program over hostile settings; crashes 0")


if __name__ == "__main__":
    run_test(test)
