#!/usr/bin/env python3
"""Always On Top from the popup menu sets _NET_WM_STATE_ABOVE on the real window; choosing it
again clears it."""
from harness import Session, check, main, wait_for


def above(s, wid):
    return "_NET_WM_STATE_ABOVE" in s.x("xprop", "-id", str(wid), "_NET_WM_STATE")


def test(ctx):
    with Session(ctx.work) as s:
        app = s.start(ctx.meridex)
        wid = s.window("Meridex", app)
        s.menu(app, wid, "Always On Top")
        wait_for(lambda: above(s, wid), what="_NET_WM_STATE_ABOVE after Always On Top")
        s.menu(app, wid, "Always On Top")
        # An open menu drops the state too: it must stay off over the clock's next two ticks
        # (three different faces), when a mark still set would have put it back.
        faces = set()
        wait_for(lambda: faces.add(s.grab(wid)) or len(faces) > 2, what="two ticks of the clock")
        check(not above(s, wid), "_NET_WM_STATE_ABOVE stays after Always On Top was chosen again")


main(test)
