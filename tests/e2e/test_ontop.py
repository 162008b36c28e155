#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
# Always On Top from the popup menu sets _NET_WM_STATE_ABOVE on the real window; choosing it
# again clears it.
from harness import Session, check, main, wait_for


def above(s, wid):
    return "_NET_WM_STATE_ABOVE" in s.prop("_NET_WM_STATE", wid)


def test(ctx):
    with Session(ctx.work) as s:
        app = s.start(ctx.meridex)
        wid = s.window("Meridex", app)
        s.menu(app, wid, "Always On Top")
        wait_for(lambda: above(s, wid), what="_NET_WM_STATE_ABOVE after Always On Top")
        # Another above-others window, put over the clock and given the focus, loses the top
        # within a tick and keeps the focus.
        other = s.spawn("xmessage", ["xmessage", "-geometry", "400x300+0+0", "covering"])
        cover = s.window("xmessage")
        s.x("wmctrl", "-i", "-r", str(cover), "-b", "add,above", check=True)
        s.x("xdotool", "windowmove", str(wid), "10", "10", "windowactivate", "--sync", str(cover))
        wait_for(lambda: (order := s.stacking()).index(wid) > order.index(cover),
                 what="the clock back above the covering window")
        check(int(s.x("xdotool", "getactivewindow")) == cover, "the clock took the focus")
        s.stop(other)
        s.menu(app, wid, "Always On Top")
        # An open menu drops the state too: it must stay off over the clock's next two ticks
        # (three different faces), when a mark still set would have put it back.
        faces = set()
        wait_for(lambda: faces.add(s.grab(wid)) or len(faces) > 2, what="two ticks of the clock")
        check(not above(s, wid), "_NET_WM_STATE_ABOVE stays after Always On Top was chosen again")


main(test)
