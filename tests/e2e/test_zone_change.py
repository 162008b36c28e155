#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
# The machine moves from London to New York under the running clock (its zone file rewritten in
# a mount namespace of the test's own): a daily alarm at 09:05 rings at 09:05 in New York, in
# the hours lived again. A move is no daylight-saving night.
import os
import shutil
import subprocess
import sys

from harness import Session, main

ZONES = "/usr/share/zoneinfo/"
SETTINGS = {"Settings": {"LocalIndex": "11", "currSetup": "Walk", "nbSetup": "1",
                         "Setup0": "Walk"},
            "Walk": {"AlarmTimeGMT": "09:05:00", "When": "1"}}


def test(ctx):
    ctx.work.mkdir(parents=True, exist_ok=True)
    zone = ctx.work / "localtime"
    shutil.copyfile(ZONES + "Europe/London", zone)
    os.utime(zone, (0, 0))  # the C library reads the file anew when its time stamp changes
    subprocess.run(["mount", "--bind", str(zone), "/etc/localtime"], check=True)
    with Session(ctx.work) as s:
        app = s.start(ctx.meridex, ini=SETTINGS, faketime="2026-12-07 14:04:00",
                      env_extra={"TZ": None})
        s.window("Meridex - Walk", app)
        app.set_clock("2026-12-07 14:04:57")
        shutil.copyfile(ZONES + "America/New_York", zone)  # in place: the mount shows it
        s.window("Alarm", app, timeout=60)


if os.environ.get("MERIDEX_OWN_MOUNTS") != "1":
    if os.geteuid() != 0 or not shutil.which("unshare"):
        print("SKIP: changing the machine's zone for one test needs root and unshare")
        sys.exit(77)
    os.execvpe("unshare", ["unshare", "-m", "--propagation", "private", sys.executable,
                           *sys.argv], dict(os.environ, MERIDEX_OWN_MOUNTS="1"))
main(test)
