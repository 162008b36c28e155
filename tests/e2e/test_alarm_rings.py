#!/usr/bin/env python3
"""An alarm rings in its minute: the real program, started a few seconds before the minute
(the wall clock set from outside), shows the "Alarm" notice with the setup's name within two
seconds of the minute and its WAV reaches the sound server. Without any sound server the
notice still appears."""
# ctest-properties: TIMEOUT 240

import sys
import time

sys.dont_write_bytecode = True
from harness import Session, check, check_equal, make_tone_wav, run_test, wait_for  # noqa: E402

LEAD_SECONDS = 12  # started this long before the alarm minute: room for a slow start


def prepared(sound_path: str) -> dict:
    return {
        "Settings": {"LocalIndex": "11", "currSetup": "Wake up", "nbSetup": "2",
                     "Setup0": "Wake up", "Setup1": "Not today"},
        "Wake up": {"OtherIndex": "2", "AlarmTimeGMT": "07:00:00", "When": " 1",
                    "Sound": sound_path, "chkLocalTime": "1"},
        # Week-end only: 7 December 2026 is a Monday.
        "Not today": {"OtherIndex": "2", "AlarmTimeGMT": "07:00:00", "When": "2",
                      "Sound": sound_path, "chkLocalTime": "1"},
    }


def ring(ctx, session, sound_server: bool, label: str) -> None:
    wav = make_tone_wav(ctx.work_dir / f"tone-{label}.wav", freq=880.0, seconds=1.5)
    started = time.time()
    app = session.start_meridex(ctx.meridex, ini=prepared(str(wav)), cwd=ctx.assets,
                                faketime="2026-12-07 06:59:%02d" % (60 - LEAD_SECONDS),
                                sound_server=sound_server, name=label)
    session.wait_window("Meridex - Wake up", timeout=LEAD_SECONDS - 1, app=app)
    check(session.find_window("Alarm", pid=app.pid) is None, "the notice appeared before its minute")
    notice = session.wait_window("Alarm", timeout=LEAD_SECONDS + 10, app=app)
    late = time.time() - (started + LEAD_SECONDS)
    print(f"{label}: notice {late:+.2f} s after the alarm minute began")
    check(late <= 2.0, f"the notice came {late:.2f} s after the minute began")
    text = session.read_text(notice)
    check_equal(text, "Wake up", "the notice's text")
    if sound_server:
        session.wait_for_tone(freq=880.0, timeout=5)
    app.stop()


def test(ctx):
    with Session(ctx.work_dir, sound=True) as session:
        ring(ctx, session, sound_server=True, label="with-sound")
    with Session(ctx.work_dir / "silent", sound=False) as session:
        ring(ctx, session, sound_server=False, label="no-sound-server")


if __name__ == "__main__":
    run_test(test)
