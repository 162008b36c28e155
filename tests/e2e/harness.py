# SPDX-License-Identifier: GPL-3.0-or-later
# Drives the real meridex binary on an X server of its own (Xvfb with openbox), for the
# test_*.py scripts beside it, run as
#
#     python3 test_x.py --meridex BINARY --source-dir REPO --work-dir DIR
#
# A script is a function of the context (binary, assets folder, work folder) given to main():
#
#     def test(ctx):
#         with Session(ctx.work) as s:
#             app = s.start(ctx.meridex, ini={"Settings": {"currSetup": "Tokyo"}})
#             s.window("Meridex - Tokyo", app)
#
#     main(test)
#
# Exit status 0 pass, 1 fail, 77 skipped (Xvfb or openbox missing). Every process a Session
# starts is stopped by its pid when the session ends; logs stay in the work folder.
# Session(work, wm="xfwm4") runs another of the window managers in WINDOW_MANAGERS instead, as
# does MERIDEX_WM=xfwm4 in the environment for a session that names none.

import argparse
import configparser
import ctypes
import glob
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import traceback
from datetime import datetime, timezone
from pathlib import Path
from types import SimpleNamespace

FAKETIME_LIBRARY = "/usr/lib/*/faketime/libfaketimeMT.so.1"
RATE = 44100  # samples a second in work/sound.raw (s16le, one channel)
# The main window's popup menu, top to bottom (separators left out: the arrow keys skip them).
MENU = ["Mini", "Small", "Minimize", "Always On Top", "Start At Login", "Time Zone",
        "Local 24 hrs", "Other 24 hrs", "Setup", "About", "View Map"]


# The window managers of the common desktops (Debian 12 packages), as a session starts each:
# no compositing, no session manager, nothing but the manager itself (xfwm4 and kwin_x11 get a
# session bus of their own: settings, and the shortcuts service that alt+F4 needs).
WINDOW_MANAGERS = {
    "openbox": ["openbox", "--sm-disable"],
    "xfwm4": ["xfwm4", "--compositor=off", "--sm-client-disable"],
    "marco": ["marco", "--no-composite", "--sm-disable"],
    "metacity": ["metacity", "--no-composite", "--sm-disable"],
    "mutter": ["mutter", "--x11", "--sm-disable"],
    "kwin_x11": ["env", "KWIN_COMPOSE=N", "kwin_x11"],
    "icewm": ["icewm"],
    "fluxbox": ["fluxbox"],
}


class Failure(AssertionError):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def wait_for(predicate, timeout=20.0, what="a condition"):
    # Polls until predicate() gives a true value, and returns it; a Failure naming `what` (a
    # text, or a function giving one at the time) after `timeout` seconds. Deadlines are generous:
    # a busy machine must never miss them.
    deadline = time.monotonic() + timeout
    while not (value := predicate()):
        if time.monotonic() > deadline:
            what = what() if callable(what) else what
            raise Failure(f"timed out after {timeout:g} s waiting for {what}")
        time.sleep(0.05)
    return value


def read_ini(path):
    # The settings file as QSettings wrote it: ini["Settings"]["currSetup"].
    ini = configparser.RawConfigParser(strict=False)
    ini.optionxform = str  # keys keep their case
    ini.read(path, encoding="utf-8")
    return ini


def write_ini(path, content):
    # Writes settings text as it stands, or {section: {key: value}}.
    path = Path(path)
    path.parent.mkdir(parents=True, exist_ok=True)
    if isinstance(content, dict):
        ini = read_ini("/dev/null")
        ini.read_dict(content)
        with open(path, "w", encoding="utf-8") as file:
            ini.write(file, space_around_delimiters=False)
    else:
        path.write_text(content, encoding="utf-8")


def _epoch(when):
    # Seconds since 1970 of "YYYY-MM-DD hh:mm:ss[.f]" in UTC, the zone the program runs in.
    return datetime.fromisoformat(when).replace(tzinfo=timezone.utc).timestamp()


def _die_with_parent():
    ctypes.CDLL(None).prctl(1, signal.SIGTERM)  # PR_SET_PDEATHSIG: nothing outlives the test


class App:
    # A started meridex: its process, settings file and (with faketime) movable wall clock.

    def __init__(self, proc, home, clock_file):
        self.proc, self.pid, self.clock_file = proc, proc.pid, clock_file
        self.ini = home / ".config" / "Meridex" / "Meridex.ini"

    def set_clock(self, when):
        # Moves the program's wall clock to `when`; it runs on from there at the real pace.
        tmp = self.clock_file.with_suffix(".new")
        tmp.write_text("%+.3f\n" % (_epoch(when) - time.time()))
        os.replace(tmp, self.clock_file)

    def stored(self, *keys):
        # The settings file's values of "Section/Key"s ("" where there is none).
        ini = read_ini(self.ini)
        return [ini.get(*key.split("/", 1), fallback="") for key in keys]

    def wait_exit(self, timeout=20.0):
        try:
            return self.proc.wait(timeout)
        except subprocess.TimeoutExpired:
            raise Failure(f"meridex (pid {self.pid}) still runs {timeout:g} s later") from None


class Session:
    # Xvfb with openbox and, with sound=True, PulseAudio with a null sink whose monitor parec
    # records to work/sound.raw. A context manager; a failure inside leaves failure.png.

    def __init__(self, work, sound=False, wayland=False, wm=None):
        self.wm = wm or os.environ.get("MERIDEX_WM", "openbox")
        self.work, self.sound, self.wayland = Path(work), sound, wayland
        self.procs = []
        self.work.mkdir(parents=True, exist_ok=True)

    def __enter__(self):
        signal.signal(signal.SIGTERM, lambda *_: sys.exit("stopped by SIGTERM"))
        # A short folder: the sound server's socket path must stay under 108 bytes.
        self.tmp = Path(tempfile.mkdtemp(prefix="mdx-"))
        (self.tmp / "run").mkdir(mode=0o700)
        keep = {k: v for k, v in os.environ.items()
                if k in ("PATH", "LANG", "LC_ALL", "LD_LIBRARY_PATH")}
        self.env = dict(keep, HOME=str(self.tmp), XDG_RUNTIME_DIR=str(self.tmp / "run"),
                        DBUS_SESSION_BUS_ADDRESS="unix:path=/nonexistent", NO_AT_BRIDGE="1",
                        PULSE_SERVER=f"unix:{self.tmp}/pulse.sock")
        try:
            self.start_wayland() if self.wayland else self.start_x()
            if self.sound:
                self.start_sound()
        except BaseException:
            self.__exit__(None, None, None)
            raise
        return self

    def __exit__(self, kind, error, _traceback):
        if kind is not None and "DISPLAY" in self.env:
            try:
                self.x("import", "-window", "root", str(self.work / "failure.png"))
                print(f"windows at the failure: {self.windows()}", file=sys.stderr)
            except Exception as problem:
                print(f"no picture of the failure: {problem}", file=sys.stderr)
        while self.procs:
            self.stop(self.procs[-1])
        shutil.rmtree(self.tmp, ignore_errors=True)

    def spawn(self, name, argv, env=None, **popen):
        # Starts a process that the session stops at its end; its output goes to name.log.
        with open(self.work / f"{name}.log", "ab") as log:
            popen = {"stdout": log, **popen}
            proc = subprocess.Popen(argv, env=env or self.env, stdin=subprocess.DEVNULL,
                                    stderr=log, preexec_fn=_die_with_parent, **popen)
        self.procs.append(proc)
        return proc

    def stop(self, proc, sig=signal.SIGTERM):
        # Ends one process the session started (SIGKILL when it ignores `sig`).
        if proc.poll() is None:
            proc.send_signal(sig)
            try:
                proc.wait(5)
            except subprocess.TimeoutExpired:
                proc.kill()
                proc.wait()
        self.procs.remove(proc)
        return proc.returncode

    def start_x(self):
        # Xvfb on a free display (it names the display through a pipe), then openbox. No reset
        # when the last client leaves: one that came and went must not shut openbox out.
        read_end, write_end = os.pipe()
        self.xvfb = self.spawn("xvfb", ["Xvfb", "-displayfd", str(write_end), "-screen", "0",
                                        "1280x1024x24", "-nolisten", "tcp", "-noreset"],
                               pass_fds=[write_end])
        os.close(write_end)
        with os.fdopen(read_end) as pipe:
            number = pipe.readline().strip()
        if not number:
            raise Failure(f"Xvfb gave no display; see {self.work / 'xvfb.log'}")
        self.env["DISPLAY"] = ":" + number
        env = None  # xfwm4 reads its settings, kwin its shortcuts (alt+F4), through a session bus
        if self.wm in ("xfwm4", "kwin_x11"):
            env = dict(self.env, DBUS_SESSION_BUS_ADDRESS=self.bus("wm-bus"))
        self.spawn(self.wm, WINDOW_MANAGERS[self.wm], env=env)
        # A manager announces itself early in its start-up, and a window mapped before its main
        # loop runs may stay unmapped: only that loop answers a request for one desktop (openbox)
        # or frames a window (the others, some of which keep their own number of desktops).
        if self.wm == "openbox":
            wait_for(lambda: (self.x("wmctrl", "-n", "1") + self.prop("_NET_NUMBER_OF_DESKTOPS"))
                     .endswith(" = 1\n"),
                     what="openbox on the display")
            return
        wait_for(lambda: "Name:" in self.x("wmctrl", "-m"), what=f"{self.wm} on the display")
        probe = self.spawn("wm-probe", ["xmessage", "-name", "wm-probe", "probe"])
        self.window("wm-probe", timeout=60)  # framed by the manager
        self.stop(probe)

    def bus(self, name="dbus"):
        # Starts a session bus that the session stops at its end; its address.
        bus = self.spawn(name, ["dbus-daemon", "--session", "--nofork", "--print-address"],
                         stdout=subprocess.PIPE)
        address = bus.stdout.readline().decode().strip()
        check(address, "dbus-daemon gave no address")
        return address

    def start_wayland(self):
        # Instead of Xvfb, weston with XWayland: WAYLAND_DISPLAY and DISPLAY as on a desktop.
        self.env["WAYLAND_DISPLAY"] = "wayland-mdx"  # in the session's own XDG_RUNTIME_DIR
        self.spawn("weston", ["weston", "--backend=headless-backend.so", "--xwayland",
                              "--socket=wayland-mdx"])
        log = self.work / "weston.log"
        self.env["DISPLAY"] = wait_for(lambda: re.search(r"listening on display (:\d+)",
                                                         log.read_text()), what="XWayland")[1]

    def start_sound(self):
        socket = self.env["PULSE_SERVER"].removeprefix("unix:")
        self.spawn("pulseaudio", ["pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1",
                                  "--disable-shm=yes", "--load=module-null-sink sink_name=null",
                                  f"--load=module-native-protocol-unix socket={socket}"])
        wait_for(lambda: "Default Sink: null" in self.x("pactl", "info"), what="sound server")
        with open(self.work / "sound.raw", "wb") as out:
            self.spawn("parec", ["parec", "-d", "null.monitor", "--raw", "--format=s16le",
                                 "--channels=1", f"--rate={RATE}"], stdout=out)
        wait_for(lambda: self.x("pactl", "list", "short", "source-outputs"),
                 what="recorder on the null sink")

    def x(self, *argv, check=False, timeout=30):
        # Runs a tool (xdotool, xprop, wmctrl, import, ...) on the session's display; its
        # output. A failed tool is a Failure with check=True, else an empty or partial answer.
        done = subprocess.run(argv, env=self.env, capture_output=True, timeout=timeout)
        if check and done.returncode != 0:
            raise Failure(f"{' '.join(argv)}: {done.stderr.decode(errors='replace')}")
        return done.stdout.decode(errors="replace")

    def start(self, binary, ini=None, home=None, cwd=None, faketime=None, name="meridex",
              env_extra=None):
        # Starts meridex in a fresh home (or `home`) holding `ini`, in TZ=UTC unless `env_extra`
        # says otherwise (TZ=None: the machine's zone, /etc/localtime); with faketime ("YYYY-MM-DD hh:mm:ss", UTC) its wall clock starts there
        # and App.set_clock moves it.
        home = Path(home or self.work / f"home-{name}")
        env = dict(self.env, HOME=str(home), XDG_CONFIG_HOME=str(home / ".config"),
                   QT_QPA_PLATFORM="xcb", TZ="UTC")
        if self.wayland:  # there the platform is the program's own choice
            del env["QT_QPA_PLATFORM"]
        for key, value in (env_extra or {}).items():  # None takes the variable away
            env.pop(key) if value is None else env.update({key: value})
        clock = None
        if faketime:
            clock, library = self.work / f"{name}.faketime", glob.glob(FAKETIME_LIBRARY)
            check(library, "libfaketime is missing (bash scripts/install-deps.sh --test)")
            # Files keep their true times: with faked ones Fontconfig takes the machine's font
            # caches for stale and writes them anew, and every other program then does the same.
            env.update(LD_PRELOAD=library[0],
                       FAKETIME_TIMESTAMP_FILE=str(clock), FAKETIME_NO_CACHE="1",
                       FAKETIME_DONT_FAKE_MONOTONIC="1", NO_FAKE_STAT="1")
        (home / ".config").mkdir(parents=True, exist_ok=True)
        if ini is not None:
            write_ini(home / ".config" / "Meridex" / "Meridex.ini", ini)
        if clock:
            clock.write_text("%+.3f\n" % (_epoch(faketime) - time.time()))
        return App(self.spawn(name, [str(binary)], env=env, cwd=cwd or self.work), home, clock)

    def windows(self):
        # The windows openbox manages: [(id, pid, title)].
        lines = (line.split(None, 4) + [""] for line in self.x("wmctrl", "-l", "-p").splitlines())
        return [(int(f[0], 16), int(f[2]), f[4]) for f in lines]

    def prop(self, name, wid="root"):
        # xprop's line of a property of the window (or of the root window).
        return self.x("xprop", *(["-root"] if wid == "root" else ["-id", str(wid)]), name)

    def stacking(self):
        # The managed windows, bottom to top.
        stacking = self.prop("_NET_CLIENT_LIST_STACKING")
        return [int(w, 16) for w in re.findall(r"0x[0-9a-f]+", stacking)]

    def find(self, title, app=None):
        # The id of `app`'s (or any program's) managed window whose whole title matches the
        # pattern, or None.
        mine = (w for w, pid, t in self.windows()
                if (app is None or pid == app.pid) and re.fullmatch(title, t))
        return next(mine, None)

    def window(self, title, app=None, timeout=20.0):
        # Waits for `app`'s (or any program's) window titled so (a regular expression) and
        # returns its id.
        def seen():
            if app and app.proc.poll() is not None:
                raise Failure(f"meridex ended ({app.proc.returncode}) before {title!r} showed")
            return self.find(title, app)
        return wait_for(seen, timeout, lambda: f"window {title!r} (windows: {self.windows()})")

    def popups(self, app):
        # `app`'s open popup menus: mapped windows that no window manager frames.
        shown = self.x("xdotool", "search", "--onlyvisible", "--pid", str(app.pid)).split()
        return [w for w in shown if "Redirect State: yes" in self.x("xwininfo", "-id", w)]

    def active(self):
        # The window the manager has given the keyboard (_NET_ACTIVE_WINDOW), or 0.
        found = re.search(r"0x[0-9a-f]+", self.prop("_NET_ACTIVE_WINDOW"))
        return int(found[0], 16) if found else 0

    def await_keyboard(self, wid):
        # Waits, as a person watches for it, until the manager has given the window the keyboard
        # and the X server sends keys there.
        wait_for(lambda: self.active() == wid and self.x("xdotool", "getwindowfocus") == f"{wid}\n",
                 what=lambda: f"window {wid:#x} to have the keyboard (it is on {self.active():#x})")

    def keys(self, *keys, window=None, into=None):
        # Presses keys (xdotool names: "Return", "ctrl+a"): in `window` when given, activated
        # first as a click does; else where the keyboard is, once `into` has it when given.
        self._xdotool(window, into, "key", "--clearmodifiers", "--delay", "50", *keys)

    def type(self, text, window=None, into=None):
        self._xdotool(window, into, "type", "--delay", "20", "--", text)

    def _xdotool(self, window, into, *argv):
        if into:
            self.await_keyboard(into)
        focus = ["windowactivate", "--sync", str(window)] if window else []
        self.x("xdotool", *focus, *argv, check=True)

    def add_setup(self, app, editor, name):
        # In the open editor: a setup named so, ringing Every Day at 07:00, saved by Enter in
        # the name box.
        self.type(name, window=editor)
        self.keys("Tab", "Down", "Tab", "ctrl+a")  # When: Never -> Every Day; then the time box
        self.type("07:00")
        self.keys("shift+Tab", "shift+Tab", "Return")
        wait_for(lambda: not self.find("Meridex Setup", app), what=f"the editor to close on {name}")

    def menu(self, app, wid, item):
        # Chooses `item` of the main window's popup menu, opened with a right click on its
        # right edge (clear of the two frames in every size), with the arrow keys.
        # A window just restored from an icon may still report its old place, and the click then
        # lands on the desktop (openbox's own menu opens): close that and click again, as a
        # person would.
        for attempt in range(3):
            # Where the window is on the screen: xdotool's own answer is off by the frame under
            # some managers (xfwm4), whose corner handles also reach into the window.
            x, y, width, height = self.client(wid)
            self.x("xdotool", "mousemove", str(x + width - 3), str(y + height // 2), "click", "3",
                   check=True)
            try:
                wait_for(lambda: self.popups(app), 5 if attempt < 2 else 20, "popup menu")
                break
            except Failure:
                if attempt == 2:
                    raise
                self.x("xdotool", "key", "Escape")
        self._pick(app, item)

    def menu_key(self, app, wid, item):
        # Chooses `item` of the popup menu opened with the Menu key in the window.
        self.keys("Menu", window=wid)
        wait_for(lambda: self.popups(app), what="the popup menu on the Menu key")
        self._pick(app, item)

    def _pick(self, app, item):
        self.keys(*["Down"] * (MENU.index(item) + 1), "Return")
        wait_for(lambda: not self.popups(app), what="popup menu to close")

    def server_time(self):
        # The X server's time now (ms), as a launcher writes it into a startup id: read from
        # the notice of a property changed on the root window.
        xlib = ctypes.CDLL("libX11.so.6")
        xlib.XOpenDisplay.restype = ctypes.c_void_p
        xlib.XDefaultRootWindow.restype = ctypes.c_ulong
        xlib.XInternAtom.restype = ctypes.c_ulong
        display = xlib.XOpenDisplay(self.env["DISPLAY"].encode())
        check(display, "no X display")
        try:
            d = ctypes.c_void_p(display)
            root = ctypes.c_ulong(xlib.XDefaultRootWindow(d))
            xlib.XSelectInput(d, root, ctypes.c_long(1 << 22))  # PropertyChangeMask
            atom = ctypes.c_ulong(xlib.XInternAtom(d, b"_MERIDEX_TEST_TIME", 0))
            xlib.XChangeProperty(d, root, atom, ctypes.c_ulong(31), 8, 0, b"", 0)
            event = (ctypes.c_ulong * 24)()
            while True:  # XPropertyEvent: type, serial, send_event, display, window, atom, time
                xlib.XNextEvent(d, event)
                if event[0] & 0x7f == 28 and event[5] == atom.value:
                    return event[6]
        finally:
            xlib.XCloseDisplay(d)

    def client(self, wid):
        # The window without the manager's frame: (x, y, width, height).
        info = self.x("xwininfo", "-id", str(wid), check=True)
        return tuple(int(re.search(rf"{k}:\s*(-?\d+)", info)[1]) for k in
                     ("Absolute upper-left X", "Absolute upper-left Y", "Width", "Height"))

    def geometry(self, wid):
        # The window's place and size with the window manager's frame: (x, y, width, height).
        x, y, w, h = self.client(wid)
        extents = self.prop("_NET_FRAME_EXTENTS", wid).partition("=")[2]
        left, right, top, bottom = [int(n) for n in re.findall(r"\d+", extents)] or [0] * 4
        return x - left, y - top, w + left + right, h + top + bottom

    def close(self, wid):
        # Closes the window as its title bar's close button does.
        self.x("wmctrl", "-i", "-c", str(wid), check=True)

    def grab(self, window="root", facts="%#"):
        # Facts of the window's picture as ImageMagick formats them: "%#" a hash of its pixels,
        # "%k" its number of colours.
        return self.x("import", "-window", str(window), "-format", facts, "info:", check=True)


def main(test, needs=("Xvfb", "openbox")):
    # Runs test(ctx) with ctx.meridex, ctx.assets and ctx.work; exits 0, 1 or 77.
    parser = argparse.ArgumentParser()
    parser.add_argument("--meridex", type=Path, required=True)
    parser.add_argument("--source-dir", type=Path, default=Path(__file__).resolve().parents[2])
    parser.add_argument("--work-dir", type=Path)
    args = parser.parse_args()
    missing = [t for t in needs if not shutil.which(t)]
    if missing:
        print(f"SKIP: {' and '.join(missing)} not installed (bash scripts/install-deps.sh --test)")
        sys.exit(77)
    shutil.rmtree(args.work_dir or "/nonexistent", ignore_errors=True)
    work = (args.work_dir or Path(tempfile.mkdtemp(prefix="meridex-e2e-"))).resolve()
    ctx = SimpleNamespace(meridex=args.meridex.resolve(), work=work,
                          assets=args.source_dir.resolve() / "assets")
    try:
        test(ctx)
    except BaseException as failure:
        traceback.print_exc()
        print(f"FAIL: {failure!r}; logs in {ctx.work}")
        sys.exit(1)
    print("PASS")
