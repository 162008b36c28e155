#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
# The whole job with the keyboard alone: the popup menu from the Menu key, the Small size, the
# setup editor, a setup with a daily alarm and a sound file chosen in the file chooser, saved with
# Enter on the Save button; a second setup whose one-time alarm's day is picked in the calendar
# (F4, arrows, Enter), and the first one's notice, closed with Escape while the picker is open;
# every window closed with keys. The settings file then holds both setups. Keys go where the
# window manager has put the keyboard, as on a real keyboard: each window the person opens, or
# comes back to when a dialog over it closes, must have it.
import wave

from harness import Session, check, main, wait_for


def answer(s, app, clock, editor_title):
    # Yes (Enter) to the question the editor may ask, until the editor has closed.
    def closed():
        if (question := s.find("Meridex", app)) not in (None, clock):
            s.keys("Return", into=question)
        return not s.find(editor_title, app)
    wait_for(closed, what="the editor to close")


def test(ctx):
    sound = ctx.work / "bell.wav"
    ctx.work.mkdir(parents=True, exist_ok=True)
    with wave.open(str(sound), "wb") as out:
        out.setnchannels(1), out.setsampwidth(2), out.setframerate(8000)
        out.writeframes(b"\0\0" * 800)
    with Session(ctx.work) as s:
        app = s.start(ctx.meridex, ini={"Settings": {"LocalIndex": "11"}},
                      env_extra={"LC_ALL": "en_US.UTF-8"}, faketime="2026-12-07 06:00:00")
        clock = s.window("Meridex", app)
        s.await_keyboard(clock)
        width = s.geometry(clock)[2]
        s.menu_key(app, clock, "Small")
        wait_for(lambda: s.geometry(clock)[2] < width, what="the Small size")

        s.menu_key(app, clock, "Setup")
        editor = s.window("Meridex Setup", app)
        s.type("Daily", into=editor)
        s.keys("Tab", "Down", "Tab", "ctrl+a")  # Every Day, then the time
        s.type("07:00")
        s.keys("Tab", "Tab", "Tab", "Return")  # Local Time, Other Time, the sound box
        chooser = wait_for(lambda: s.find("Open", app), what="the file chooser")
        s.type(str(sound), into=chooser)
        s.keys("Return")
        wait_for(lambda: not s.find("Open", app), what="the file chooser to close")
        s.keys("Tab", "Tab", "Tab", "Return", into=editor)  # Try it, OK, Save: Enter on Save
        wait_for(lambda: not s.find("Meridex Setup", app), what="the editor to close on Save")
        s.window("Meridex - Daily", app)

        s.await_keyboard(clock)
        s.menu_key(app, clock, "Setup")
        editor = s.window("Meridex Setup", app)
        s.keys("ctrl+a", into=editor)
        s.type("Trip")
        s.keys("Return")  # in the name box: Save, which may ask before it adds a new setup
        answer(s, app, clock, "Meridex Setup")
        s.window("Meridex - Trip", app)
        s.await_keyboard(clock)

        # Trip becomes a one-time alarm on the day a week from today, picked in the calendar.
        s.menu_key(app, clock, "Setup")
        editor = s.window("Meridex Setup", app)
        s.keys("Tab", "Down", "Down", "Down", "Down", "Tab", "F4", into=editor)  # Once; picker
        picker = s.window("Pick Alarm Date", app)
        s.await_keyboard(picker)
        # Daily rings while the editor and its picker are open: the notice comes up over them,
        # takes the keyboard and closes on Escape; both stay open.
        app.set_clock("2026-12-07 06:59:59")
        s.await_keyboard(s.window("Alarm", app))
        app.set_clock("2026-12-07 07:00:05")  # keys count after the notice's first second
        s.keys("Escape")
        wait_for(lambda: not s.find("Alarm", app), what="the notice to close on Escape")
        check(s.find("Pick Alarm Date", app), "Escape closed the date picker too")
        s.keys("Down", "Return", "Escape", into=picker)
        wait_for(lambda: not s.find("Pick Alarm Date", app), what="the date picker to close")
        s.keys("Return", into=editor)  # in the time box: OK
        answer(s, app, clock, "Meridex Setup")

        s.keys("alt+F4", into=clock)
        check(app.wait_exit() == 0, "meridex failed at its close")
        stored = app.stored("Settings/Setup0", "Settings/Setup1", "Settings/Small",
                            "Daily/AlarmTimeGMT", "Daily/When", "Daily/Sound",
                            "Trip/AlarmTimeGMT", "Trip/When")
        check(stored == ["Daily", "Trip", "True", "07:00:00", '" 1"', str(sound),
                         "2026-12-14 07:00:00", '" 4"'], f"stored: {stored}")


main(test)
