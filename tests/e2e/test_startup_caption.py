#!/usr/bin/env python3
"""The stored current setup is restored at start-up: the caption names it."""
from harness import Session, main

SETTINGS = {"Settings": {"currSetup": "Tokyo", "nbSetup": "1", "Setup0": "Tokyo"},
            "Tokyo": {"OtherIndex": "2"}}


def test(ctx):
    with Session(ctx.work) as s:
        s.window("Meridex - Tokyo", s.start(ctx.meridex, ini=SETTINGS))


main(test)
