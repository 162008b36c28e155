#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Measures Meridex beside two reference clocks on a virtual X display.

The programs: the real ``meridex``, the Qt floor (bench/qtfloor: a Qt 6
Widgets window with two labels refreshed by a plain 1000 ms QTimer) and
``xclock -digital -update 1``.  Each runs alone on an Xvfb display managed by
openbox (both started through tests/e2e/harness.py), and for each the script
measures, over repeated runs:

  start-up   from exec until the top-level window is mapped;
  memory     resident set 10 s after exec, its anonymous part, PSS;
  idle cost  over the next 60 s: CPU time and wake-ups (voluntary context
             switches, summed over all threads) per second;
  ticks      over 10 minutes (one long run per program): when each display
             update leaves the process, i.e. the kernel timestamps of its
             writes to the X server socket, relative to the whole wall-clock
             second; seconds with no update (skipped) or two (doubled).

How each is taken
  start-up: the script holds its own X connection (the X11 protocol spoken
    directly over the display's Unix socket, no Xlib) listening for
    SubstructureNotify on the root window.  It takes a CLOCK_MONOTONIC stamp
    right before fork/exec and a second one when the first MapNotify of a new
    top-level (the window manager's frame around the client, i.e. the window
    becoming viewable) arrives on that socket.  Resolution: the event is read
    as soon as select() wakes, ~0.1 ms on an idle machine.
  memory: /proc/PID/status (VmRSS, RssAnon, RssFile, RssShmem) and
    /proc/PID/smaps_rollup (Pss) read once, 10 s after exec.
  idle: /proc/PID/task/*/schedstat (CPU time in ns per thread; cross-checked
    with utime+stime of /proc/PID/stat in 10 ms ticks) and
    /proc/PID/task/*/status voluntary_ctxt_switches, read at the start and
    end of the window; nothing else touches the process in between.
  ticks: `perf record -k CLOCK_MONOTONIC` on the syscall tracepoints
    (write/writev/sendmsg/sendto entry, poll/select exit) of the process;
    the kernel stamps each event when it happens, the process is not
    stopped, and the monotonic stamps are turned into wall-clock time with
    the CLOCK_REALTIME - CLOCK_MONOTONIC offset read at start and end.  Only
    writes to the process's X server connection count (found through
    /proc/PID/fd and `ss -x`).  Writes less than --gap apart form one update;
    the update's time is its first write.  Without perf: `strace -f -ttt`
    (timestamps taken by strace, the process stopped at each syscall).

Standard library only.  Run through bench/run-bench.sh, which installs what
is missing and builds the programs; `python3 bench/bench.py --help` lists the
options, `--report results.json` prints the tables of an earlier run again.
"""

from __future__ import annotations

import argparse
import ctypes
import datetime
import json
import os
import platform
import re
import select
import shutil
import signal
import socket
import statistics
import struct
import subprocess
import sys
import tempfile
import time
from pathlib import Path
from typing import Optional

sys.dont_write_bytecode = True

HERE = Path(__file__).resolve().parent
REPO = HERE.parent
sys.path.insert(0, str(REPO / "tests" / "e2e"))

from harness import Session, write_ini  # noqa: E402

MB = 1024 * 1024

# The stored setup Meridex starts with: one named setup, as a user has after
# a first session (the end-to-end tests start it the same way).
MERIDEX_INI = """\
[Settings]
currSetup=Tokyo
nbSetup=1
Setup0=Tokyo

[Tokyo]
OtherIndex=2
"""


def many_setups_ini(n: int) -> str:
    """Meridex's settings with ``n`` setups, each with a daily alarm twelve hours away (so none
    rings during a run, but every one is tested each minute)."""
    due = (datetime.datetime.now(datetime.timezone.utc) + datetime.timedelta(hours=12)).strftime("%H:%M:00")
    lines = ["[Settings]", "currSetup=S0", f"nbSetup={n}"] + [f"Setup{i}=S{i}" for i in range(n)]
    for i in range(n):
        lines += ["", f"[S{i}]", f"OtherIndex={2 + i % 20}", f"AlarmTimeGMT={due}", "When=1",
                  "Sound=", "chkLocalTime=0"]
    return "\n".join(lines) + "\n"


def log(*args) -> None:
    stamp = time.strftime("%H:%M:%S")
    print(f"[{stamp}]", *args, file=sys.stderr, flush=True)


def loadavg() -> str:
    try:
        return " ".join(Path("/proc/loadavg").read_text().split()[:3])
    except OSError:
        return "?"


# --------------------------------------------------------------------------
# A tiny X11 client: just enough protocol to watch windows being mapped.

CREATE_NOTIFY, MAP_NOTIFY, REPARENT_NOTIFY = 16, 19, 21
SUBSTRUCTURE_NOTIFY_MASK = 1 << 19
CW_EVENT_MASK = 1 << 11


class MapWatcher:
    """An X connection that selects SubstructureNotify on the root window and
    reports the first new top-level that becomes viewable."""

    def __init__(self, display: str) -> None:
        number = display.lstrip(":").split(".")[0]
        self.sock = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
        try:
            self.sock.connect("\0/tmp/.X11-unix/X" + number)
        except OSError:
            self.sock.connect("/tmp/.X11-unix/X" + number)
        # Connection setup: little-endian, protocol 11.0, no authorisation.
        self.sock.sendall(struct.pack("<BxHHHHxx", 0x6C, 11, 0, 0, 0))
        head = self._read(8)
        extra = self._read(struct.unpack_from("<H", head, 6)[0] * 4)
        if head[0] != 1:
            raise RuntimeError(f"X server refused the connection: {extra!r}")
        vendor_len = struct.unpack_from("<H", extra, 16)[0]
        formats = extra[21]
        root_at = 32 + (vendor_len + 3) // 4 * 4 + 8 * formats
        self.root = struct.unpack_from("<I", extra, root_at)[0]
        # ChangeWindowAttributes(root, event-mask = SubstructureNotify)
        self.sock.sendall(struct.pack("<BxHIII", 2, 4, self.root, CW_EVENT_MASK,
                                      SUBSTRUCTURE_NOTIFY_MASK))
        self.sync()

    def _read(self, n: int) -> bytes:
        buf = b""
        while len(buf) < n:
            chunk = self.sock.recv(n - len(buf))
            if not chunk:
                raise RuntimeError("X server closed the connection")
            buf += chunk
        return buf

    def _packet(self) -> bytes:
        packet = self._read(32)
        if packet[0] == 1:  # a reply: skip its extra length
            extra = struct.unpack_from("<I", packet, 4)[0] * 4
            if extra:
                self._read(extra)
        return packet

    def sync(self) -> None:
        """Round trip (GetInputFocus): the server has handled all requests."""
        self.sock.sendall(struct.pack("<BxH", 43, 1))
        while True:
            packet = self._packet()
            if packet[0] == 0:
                raise RuntimeError(f"X error {packet[1]}")
            if packet[0] == 1:
                return

    def drain(self) -> None:
        """Forget every event received so far."""
        while select.select([self.sock], [], [], 0)[0]:
            self._packet()

    def wait_mapped(self, deadline_ns: int) -> tuple:
        """(monotonic ns at arrival, window id) of the first new top-level
        (or its window manager frame) mapped on the root; None at the deadline."""
        created: set = set()
        frames: dict = {}
        while True:
            left = (deadline_ns - time.monotonic_ns()) / 1e9
            if left <= 0:
                return None
            if not select.select([self.sock], [], [], left)[0]:
                continue
            packet = self._packet()
            now = time.monotonic_ns()
            code = packet[0] & 0x7F
            if code == CREATE_NOTIFY:
                window, override = struct.unpack_from("<I", packet, 8)[0], packet[22]
                if not override:
                    created.add(window)
            elif code == REPARENT_NOTIFY:
                window, parent = struct.unpack_from("<II", packet, 8)
                if window in created:
                    frames[parent] = window
            elif code == MAP_NOTIFY:
                window, override = struct.unpack_from("<I", packet, 8)[0], packet[12]
                if not override and (window in frames or window in created):
                    return now, frames.get(window, window)

    def close(self) -> None:
        self.sock.close()


# --------------------------------------------------------------------------
# /proc readings


def read_status(path: str) -> dict:
    out = {}
    try:
        for line in Path(path).read_text().splitlines():
            key, _, value = line.partition(":")
            out[key] = value.strip()
    except OSError:
        pass
    return out


def kb(value: str) -> int:
    return int(value.split()[0]) if value else 0


def memory(pid: int) -> dict:
    status = read_status(f"/proc/{pid}/status")
    rollup = read_status(f"/proc/{pid}/smaps_rollup")
    return {
        "rss_kb": kb(status.get("VmRSS", "")),
        "rss_anon_kb": kb(status.get("RssAnon", "")),
        "rss_file_kb": kb(status.get("RssFile", "")),
        "rss_shmem_kb": kb(status.get("RssShmem", "")),
        "pss_kb": kb(rollup.get("Pss", "")),
        "pss_anon_kb": kb(rollup.get("Pss_Anon", "")),
        "threads": int(status.get("Threads", "0") or 0),
    }


def proc_ticks(pid: int) -> int:
    """utime + stime of the whole process (dead threads included), in ticks."""
    text = Path(f"/proc/{pid}/stat").read_text()
    fields = text[text.rindex(")") + 2:].split()
    return int(fields[11]) + int(fields[12])


def thread_counters(pid: int) -> dict:
    """{tid: {comm, cpu_ns, vcsw, nvcsw}} of every live thread."""
    out = {}
    for tid in os.listdir(f"/proc/{pid}/task"):
        base = f"/proc/{pid}/task/{tid}"
        try:
            status = read_status(base + "/status")
            sched = Path(base + "/schedstat").read_text().split()
            out[int(tid)] = {
                "comm": status.get("Name", "?"),
                "cpu_ns": int(sched[0]),
                "vcsw": int(status.get("voluntary_ctxt_switches", "0")),
                "nvcsw": int(status.get("nonvoluntary_ctxt_switches", "0")),
            }
        except (OSError, IndexError, ValueError):
            continue  # the thread ended meanwhile
    return out


def idle_cost(pid: int, seconds: float) -> dict:
    before, ticks0, t0 = thread_counters(pid), proc_ticks(pid), time.monotonic()
    time.sleep(seconds)
    after, ticks1, t1 = thread_counters(pid), proc_ticks(pid), time.monotonic()
    span = t1 - t0
    per_thread = {}
    cpu_ns = vcsw = nvcsw = 0
    for tid, now in after.items():
        then = before.get(tid, {"cpu_ns": 0, "vcsw": 0, "nvcsw": 0})
        d_cpu, d_v, d_n = now["cpu_ns"] - then["cpu_ns"], now["vcsw"] - then["vcsw"], now["nvcsw"] - then["nvcsw"]
        cpu_ns += d_cpu
        vcsw += d_v
        nvcsw += d_n
        per_thread[f"{now['comm']}:{tid}"] = {"cpu_ms": d_cpu / 1e6, "wakeups_per_s": d_v / span}
    hz = os.sysconf("SC_CLK_TCK")
    return {
        "seconds": span,
        "cpu_ms": cpu_ns / 1e6,
        "cpu_ms_ticks": (ticks1 - ticks0) * 1000 / hz,
        "cpu_percent": cpu_ns / 1e9 / span * 100,
        "wakeups_per_s": vcsw / span,
        "involuntary_per_s": nvcsw / span,
        "threads": per_thread,
        "threads_gone": sorted(set(before) - set(after)),
    }


def x_sockets(pid: int, display: str) -> list:
    """File descriptors of ``pid`` connected to the X server of ``display``."""
    number = display.lstrip(":").split(".")[0]
    ss = subprocess.run(["ss", "-xn"], capture_output=True, text=True, timeout=30).stdout
    server_path = re.compile(r"^@?/tmp/\.X11-unix/X%s$" % re.escape(number))
    client_inodes = set()
    for line in ss.splitlines()[1:]:
        parts = line.split()
        if len(parts) < 8:
            continue
        local, peer_inode = parts[4], parts[7]
        if server_path.match(local) and peer_inode.isdigit():
            client_inodes.add(int(peer_inode))
    fds = []
    for fd in os.listdir(f"/proc/{pid}/fd"):
        try:
            target = os.readlink(f"/proc/{pid}/fd/{fd}")
        except OSError:
            continue
        m = re.fullmatch(r"socket:\[(\d+)\]", target)
        if m and int(m.group(1)) in client_inodes:
            fds.append(int(fd))
    return sorted(fds)


def bus_daemons() -> set:
    """(pid, name) of the running dbus-daemon and dbus-launch processes."""
    out = subprocess.run(["pgrep", "-l", "-x", "dbus-daemon|dbus-launch"], capture_output=True, text=True)
    return {(int(pid), name) for pid, name in (line.split() for line in out.stdout.splitlines())}


def clock_offset_ns() -> int:
    """CLOCK_REALTIME - CLOCK_MONOTONIC, from the tightest of a few readings."""
    best = None
    for _ in range(20):
        m0 = time.clock_gettime_ns(time.CLOCK_MONOTONIC)
        r = time.clock_gettime_ns(time.CLOCK_REALTIME)
        m1 = time.clock_gettime_ns(time.CLOCK_MONOTONIC)
        if best is None or m1 - m0 < best[0]:
            best = (m1 - m0, r - (m0 + m1) // 2)
    return best[1]


# --------------------------------------------------------------------------
# The programs


class Program:
    def __init__(self, name: str, argv: list, env: dict, cwd: Path, prepare=None) -> None:
        self.name = name
        self.argv = argv
        self.env = env
        self.cwd = cwd
        self.prepare = prepare  # called before each start (fresh settings)


def _die_with_parent() -> None:
    try:
        ctypes.CDLL(None).prctl(1, signal.SIGTERM, 0, 0, 0)  # PR_SET_PDEATHSIG
    except Exception:
        pass


class Running:
    def __init__(self, program: Program, logdir: Path, tag: str) -> None:
        if program.prepare:
            program.prepare()
        self.buses_before = bus_daemons()
        self.log_path = logdir / f"{program.name}-{tag}.log"
        self.log = open(self.log_path, "wb")
        self.t_exec = time.monotonic_ns()
        self.proc = subprocess.Popen(program.argv, env=program.env, cwd=str(program.cwd),
                                     stdin=subprocess.DEVNULL, stdout=self.log,
                                     stderr=subprocess.STDOUT, preexec_fn=_die_with_parent)
        self.pid = self.proc.pid

    def alive(self) -> bool:
        return self.proc.poll() is None

    def stop(self) -> None:
        if self.proc.poll() is None:
            self.proc.send_signal(signal.SIGTERM)
            try:
                self.proc.wait(timeout=5)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait(timeout=10)
        self.log.close()
        # A bus daemon the program had autolaunched outlives it for the X session; it is
        # counted, then stopped, so that the next start finds none either.
        self.buses_started = sorted(bus_daemons() - self.buses_before)
        for pid, _ in self.buses_started:
            try:
                os.kill(pid, signal.SIGTERM)
            except ProcessLookupError:
                pass
        deadline = time.monotonic() + 5
        while set(self.buses_started) & bus_daemons() and time.monotonic() < deadline:
            time.sleep(0.05)


# --------------------------------------------------------------------------
# Tick accuracy


TRACE_EVENTS = ["syscalls:sys_enter_write", "syscalls:sys_enter_writev",
                "syscalls:sys_enter_sendmsg", "syscalls:sys_enter_sendto",
                "syscalls:sys_exit_poll", "syscalls:sys_exit_ppoll",
                "syscalls:sys_exit_select", "syscalls:sys_exit_pselect6"]


def perf_usable() -> bool:
    if not shutil.which("perf"):
        return False
    with tempfile.TemporaryDirectory() as tmp:
        out = subprocess.run(["perf", "record", "-q", "-o", f"{tmp}/p.data", "-k", "CLOCK_MONOTONIC",
                              "-e", "syscalls:sys_enter_write", "--", "true"],
                             capture_output=True, timeout=60)
        return out.returncode == 0


def trace_with_perf(pid: int, seconds: float, workdir: Path, name: str) -> tuple:
    """[(wall-clock s, tid, kind, fd or ret)] of the process's traced syscalls."""
    data = workdir / f"{name}.perf.data"
    off0 = clock_offset_ns()
    rec = subprocess.Popen(["perf", "record", "-q", "-o", str(data), "-k", "CLOCK_MONOTONIC",
                            "-e", ",".join(TRACE_EVENTS), "-p", str(pid)],
                           stdout=subprocess.DEVNULL, stderr=open(workdir / f"{name}.perf.log", "wb"))
    time.sleep(seconds)
    rec.send_signal(signal.SIGINT)
    rec.wait(timeout=120)
    off1 = clock_offset_ns()
    script = subprocess.run(["perf", "script", "-i", str(data), "--ns", "-F", "tid,time,event,trace"],
                            capture_output=True, text=True, timeout=600)
    events = []
    line_re = re.compile(r"^\s*(\d+)\s+(\d+)\.(\d+):\s+syscalls:(sys_\w+):\s*(.*)$")
    for line in script.stdout.splitlines():
        m = line_re.match(line)
        if not m:
            continue
        tid, sec, frac, event, rest = m.groups()
        mono_ns = int(sec) * 1_000_000_000 + int(frac.ljust(9, "0")[:9])
        wall = (mono_ns + (off0 + off1) // 2) / 1e9
        if event.startswith("sys_enter_"):
            fd = re.search(r"fd: (0x[0-9a-f]+)", rest)
            events.append((wall, int(tid), event[len("sys_enter_"):], int(fd.group(1), 16) if fd else -1))
        else:
            ret = re.search(r"(0x[0-9a-f]+|-?\d+)\s*$", rest)
            events.append((wall, int(tid), "wake", int(ret.group(1), 0) if ret else 0))
    (workdir / f"{name}.perf.txt").write_text(script.stdout)
    return events, {"tracer": "perf", "clock_offset_drift_us": (off1 - off0) / 1000}


def trace_with_strace(pid: int, seconds: float, workdir: Path, name: str) -> tuple:
    out = workdir / f"{name}.strace.txt"
    rec = subprocess.Popen(["strace", "-f", "-ttt", "-T", "-o", str(out),
                            "-e", "trace=write,writev,sendmsg,sendto,poll,ppoll,select,pselect6",
                            "-p", str(pid)], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    time.sleep(seconds)
    rec.send_signal(signal.SIGINT)
    rec.wait(timeout=60)
    events = []
    line_re = re.compile(r"^(\d+)\s+(\d+\.\d+)\s+(?:<\.\.\. )?(\w+)(?:\(| resumed>)(.*)$")
    for line in out.read_text(errors="replace").splitlines():
        m = line_re.match(line)
        if not m:
            continue
        tid, stamp, call, rest = m.groups()
        if call in ("write", "writev", "sendmsg", "sendto") and "resumed>" not in line:
            fd = re.match(r"(\d+)", rest)
            events.append((float(stamp), int(tid), call, int(fd.group(1)) if fd else -1))
        elif call in ("poll", "ppoll", "select", "pselect6") and "unfinished" not in line:
            # a resumed line is stamped at the return, a whole one at the
            # entry: add its duration (-T)
            if re.search(r"= 0 \(Timeout\)", rest):
                took = re.search(r"<(\d+\.\d+)>\s*$", rest)
                back = float(stamp) + (float(took.group(1)) if took and "resumed>" not in line else 0.0)
                events.append((back, int(tid), "wake", 0))
    return events, {"tracer": "strace"}


def analyse_ticks(events: list, x_fds: list, start: float, end: float, gap: float) -> dict:
    writes = sorted((t, tid) for t, tid, kind, fd in events if kind != "wake" and fd in x_fds)
    # An update is a run of writes to the X connection less than ``gap`` apart;
    # it has left the process with its last write (a Qt window sends a
    # round trip first, then the picture).  Its wake is the last timeout
    # return of poll/select of the writing thread before its first write.
    wakes: dict = {}  # poll/select returns by timeout: a timer fired
    for t, tid, kind, ret in events:
        if kind == "wake" and ret == 0:
            wakes.setdefault(tid, []).append(t)
    for lst in wakes.values():
        lst.sort()
    bursts = []  # (first write, writes, last wake of that thread before it)
    for t, tid in writes:
        if bursts and t - bursts[-1]["last"] <= gap:
            bursts[-1]["last"] = t
            bursts[-1]["writes"] += 1
            continue
        before = [w for w in wakes.get(tid, []) if t - 1.0 < w <= t]
        bursts.append({"t": t, "last": t, "writes": 1, "wake": before[-1] if before else None})
    first = int(start) + 2  # whole seconds fully inside the trace, one spare each side
    last = int(end) - 2
    per_second = {s: [] for s in range(first, last + 1)}
    for b in bursts:
        s = int(b["t"])
        if s in per_second:
            per_second[s].append(b)
    offsets, first_offsets, wake_offsets, work = [], [], [], []
    skipped, doubled = [], []
    for s, items in per_second.items():
        if not items:
            skipped.append(s)
            continue
        if len(items) > 1:
            doubled.append(s)
        b = items[0]
        offsets.append((b["last"] - s) * 1000)
        first_offsets.append((b["t"] - s) * 1000)
        if b["wake"] is not None and b["wake"] >= s:
            wake_offsets.append((b["wake"] - s) * 1000)
            work.append((b["last"] - b["wake"]) * 1000)
    fmt = lambda s: datetime.datetime.fromtimestamp(s).strftime("%H:%M:%S")  # noqa: E731
    return {
        "seconds": len(per_second),
        "updates": sum(len(v) for v in per_second.values()),
        "writes_per_update": statistics.median([b["writes"] for b in bursts]) if bursts else 0,
        "offset_ms": summary(offsets),
        "first_write_offset_ms": summary(first_offsets),
        "wake_offset_ms": summary(wake_offsets),
        "wake_to_write_ms": summary(work),
        "over_50ms": sum(1 for o in offsets if o > 50),
        "skipped": len(skipped),
        "doubled": len(doubled),
        "skipped_at": [fmt(s) for s in skipped[:20]],
        "doubled_at": [fmt(s) for s in doubled[:20]],
    }


def summary(values: list) -> dict:
    if not values:
        return {"n": 0}
    v = sorted(values)
    pick = lambda q: v[min(len(v) - 1, int(q * (len(v) - 1) + 0.5))]  # noqa: E731
    return {"n": len(v), "min": v[0], "median": statistics.median(v), "p95": pick(0.95),
            "p99": pick(0.99), "max": v[-1]}


# --------------------------------------------------------------------------
# Running everything


def machine_info() -> dict:
    def cmd(*argv):
        try:
            return subprocess.run(argv, capture_output=True, text=True, timeout=30).stdout
        except (OSError, subprocess.SubprocessError):
            return ""
    lscpu = cmd("lscpu")
    model = re.search(r"Model name:\s*(.*)", lscpu)
    mem = read_status("/proc/meminfo").get("MemTotal", "0 kB")
    debian = Path("/etc/debian_version").read_text().strip() if Path("/etc/debian_version").exists() else "?"
    qt = cmd("dpkg-query", "-W", "-f=${Version}", "libqt6core6") or cmd("dpkg-query", "-W", "-f=${Version}", "qt6-base-dev")
    xclock = cmd("dpkg-query", "-W", "-f=${Version}", "x11-apps")
    return {
        "date": datetime.datetime.now().astimezone().isoformat(timespec="seconds"),
        "cpu": model.group(1).strip() if model else platform.processor(),
        "cores": os.cpu_count(),
        "memory_gib": round(kb(mem) / 1024 / 1024, 1),
        "kernel": platform.release(),
        "debian": debian,
        "qt": qt.strip(),
        "x11_apps": xclock.strip(),
        "python": platform.python_version(),
        "revision": cmd("git", "--no-optional-locks", "-C", str(REPO), "rev-parse", "--short", "HEAD").strip()
        + (" + uncommitted changes" if cmd("git", "--no-optional-locks", "-C", str(REPO), "diff-index",
                                           "--name-only", "HEAD", "--").strip() else ""),
    }


def make_programs(args, session: Session, workdir: Path) -> list:
    base = dict(session.env)
    base.update({"TZ": args.tz, "QT_QPA_PLATFORM": "xcb"})
    if args.bus == "session":
        base["DBUS_SESSION_BUS_ADDRESS"] = session.bus()
    else:
        base.pop("DBUS_SESSION_BUS_ADDRESS", None)
    progs = []
    home = workdir / "meridex-home"

    def fresh_meridex_home(ini=MERIDEX_INI):
        shutil.rmtree(home, ignore_errors=True)
        (home / ".config").mkdir(parents=True)
        write_ini(home / ".config" / "Meridex" / "Meridex.ini", ini)

    menv = dict(base, HOME=str(home), XDG_CONFIG_HOME=str(home / ".config"))
    for item in args.env:
        key, _, value = item.partition("=")
        menv[key] = value
    wanted = args.programs.split(",")
    if "meridex" in wanted:
        progs.append(Program("meridex", [str(args.meridex)], menv, REPO / "assets", fresh_meridex_home))
        if args.setups:
            many = many_setups_ini(args.setups)
            progs.append(Program(f"meridex-{args.setups}", [str(args.meridex)], menv, REPO / "assets",
                                 lambda: fresh_meridex_home(many)))
    if "qtfloor" in wanted:
        progs.append(Program("qtfloor", [str(args.qtfloor)], dict(base), workdir))
    if "xclock" in wanted:
        progs.append(Program("xclock", ["xclock", "-digital", "-update", "1"], dict(base), workdir))
    for item in args.extra:  # a name starting with "meridex" gets Meridex's settings
        name, _, command = item.partition("=")
        if name.startswith("meridex"):
            progs.append(Program(name, command.split(), dict(menv), REPO / "assets", fresh_meridex_home))
        else:
            progs.append(Program(name, command.split(), dict(base), workdir))
    return progs


def run_all(args) -> dict:
    workdir = Path(args.out).resolve()
    workdir.mkdir(parents=True, exist_ok=True)
    logdir = workdir / "logs"
    logdir.mkdir(exist_ok=True)
    results = {"machine": machine_info(), "options": {k: str(v) for k, v in vars(args).items()},
               "startup": {}, "memory": {}, "idle": {}, "ticks": {}, "load": [], "bus_daemons": {}}
    tracer = args.tracer
    if tracer == "auto":
        tracer = "perf" if perf_usable() else "strace"
    results["tracer"] = tracer
    log(f"machine: {results['machine']}")
    log(f"tracer for ticks: {tracer}; load average {loadavg()}")
    with Session(workdir / "session") as session:
        log(f"Xvfb {session.env['DISPLAY']} with openbox")
        programs = make_programs(args, session, workdir)
        watcher = MapWatcher(session.env["DISPLAY"])
        try:
            for p in programs:
                results["startup"][p.name] = []
                results["memory"][p.name] = []
                results["idle"][p.name] = []
                results["bus_daemons"][p.name] = 0
            # Warm-up: one start of each (file cache, fontconfig cache), not counted.
            for p in programs:
                for _ in range(args.warmup):
                    run = one_start(p, watcher, logdir, "warmup")[0]
                    run.stop()
                    results["bus_daemons"][p.name] += sum(name == "dbus-daemon" for _, name in run.buses_started)
            for r in range(args.runs):
                order = programs[r % len(programs):] + programs[:r % len(programs)]
                for p in order:
                    measure_run(p, watcher, logdir, f"run{r + 1}", args, results)
            for p in programs:
                if args.accuracy > 0:
                    measure_ticks(p, session, logdir, workdir, args, tracer, results)
        finally:
            watcher.close()
    return results


def one_start(p: Program, watcher: MapWatcher, logdir: Path, tag: str):
    watcher.drain()
    run = Running(p, logdir, tag)
    got = watcher.wait_mapped(run.t_exec + 30 * 10**9)
    startup_ms = (got[0] - run.t_exec) / 1e6 if got else None
    if not got:
        log(f"{p.name} {tag}: no window within 30 s; it printed: "
            f"{run.log_path.read_text(errors='replace')[-500:]}")
    return run, startup_ms


def measure_run(p: Program, watcher: MapWatcher, logdir: Path, tag: str, args, results: dict) -> None:
    load0 = loadavg()
    run, startup_ms = one_start(p, watcher, logdir, tag)
    try:
        if startup_ms is None or not run.alive():
            raise RuntimeError(f"{p.name} did not start (see {run.log_path})")
        results["startup"][p.name].append(startup_ms)
        time.sleep(max(0.0, args.settle - (time.monotonic_ns() - run.t_exec) / 1e9))
        mem = memory(run.pid)
        results["memory"][p.name].append(mem)
        idle = idle_cost(run.pid, args.idle) if args.idle > 0 else idle_cost(run.pid, 0.001)
        if args.idle > 0:
            results["idle"][p.name].append(idle)
        results["load"].append({"what": f"{p.name} {tag}", "before": load0, "after": loadavg()})
        log(f"{p.name:8} {tag}: start-up {startup_ms:7.1f} ms  RSS {mem['rss_kb'] / 1024:6.1f} MB "
            f"(anon {mem['rss_anon_kb'] / 1024:5.1f})  idle {idle['cpu_ms']:7.1f} ms CPU / "
            f"{idle['seconds']:.0f} s, {idle['wakeups_per_s']:5.2f} wake-ups/s  load {loadavg()}")
    finally:
        run.stop()
        results["bus_daemons"][p.name] += sum(name == "dbus-daemon" for _, name in run.buses_started)


def measure_ticks(p: Program, session: Session, logdir: Path, workdir: Path, args, tracer: str,
                  results: dict) -> None:
    log(f"{p.name}: tick accuracy over {args.accuracy:g} s ({tracer}); load {loadavg()}")
    load0 = loadavg()
    run = Running(p, logdir, "ticks")
    try:
        wait_until = time.monotonic() + 30
        fds = []
        while time.monotonic() < wait_until and run.alive():
            fds = x_sockets(run.pid, session.env["DISPLAY"])
            if fds:
                break
            time.sleep(0.2)
        if not fds:
            raise RuntimeError(f"{p.name}: no X connection found")
        time.sleep(args.settle)
        start = time.time()
        if tracer == "perf":
            events, info = trace_with_perf(run.pid, args.accuracy, workdir, p.name)
        else:
            events, info = trace_with_strace(run.pid, args.accuracy, workdir, p.name)
        end = start + args.accuracy
        ticks = analyse_ticks(events, fds, start, end, args.gap)
        ticks.update(info)
        ticks["x_fds"] = fds
        ticks["load_before"], ticks["load_after"] = load0, loadavg()
        results["ticks"][p.name] = ticks
        o = ticks["offset_ms"]
        log(f"{p.name:8} ticks: {ticks['seconds']} s, {ticks['updates']} updates, offset median "
            f"{o.get('median', float('nan')):.2f} ms, p99 {o.get('p99', float('nan')):.2f}, max "
            f"{o.get('max', float('nan')):.2f}; skipped {ticks['skipped']}, doubled {ticks['doubled']}")
    finally:
        run.stop()


# --------------------------------------------------------------------------
# Report


def med(values: list) -> Optional[float]:
    values = [v for v in values if v is not None]
    return statistics.median(values) if values else None


def report(results: dict, markdown: bool = False) -> tuple:
    names = list(results["startup"]) or list(results["ticks"])
    rows = []
    floor = "qtfloor"

    def metric(name):
        st = results["startup"].get(name, [])
        mem = results["memory"].get(name, [])
        idle = results["idle"].get(name, [])
        t = results["ticks"].get(name, {})
        o = t.get("offset_ms", {})
        return {
            "startup_ms": med(st),
            "rss_mb": med([m["rss_kb"] / 1024 for m in mem]),
            "anon_mb": med([m["rss_anon_kb"] / 1024 for m in mem]),
            "pss_mb": med([m["pss_kb"] / 1024 for m in mem]),
            "cpu_ms": med([i["cpu_ms"] / i["seconds"] * 60 for i in idle]),
            "wake": med([i["wakeups_per_s"] for i in idle]),
            "off_med": o.get("median"),
            "off_max": o.get("max"),
            "skipped": t.get("skipped"),
            "doubled": t.get("doubled"),
            "runs": len(st),
        }
    m = {n: metric(n) for n in names}
    f = m.get(floor)

    def cell(value, fmt="{:.1f}"):
        return "–" if value is None else fmt.format(value)

    def ratio(name, key):
        if not f or f[key] in (None, 0) or m[name][key] is None:
            return ""
        return f" ({m[name][key] / f[key]:.2f}×)"
    header = ["program", "runs", "start-up ms", "RSS MB", "anon MB", "PSS MB",
              "idle CPU ms/60 s", "wake-ups/s", "update median ms", "update max ms", "skipped", "doubled",
              "bus daemons"]
    for n in names:
        x = m[n]
        rows.append([n, str(x["runs"]),
                     cell(x["startup_ms"]) + ratio(n, "startup_ms"),
                     cell(x["rss_mb"]) + ratio(n, "rss_mb"),
                     cell(x["anon_mb"]) + ratio(n, "anon_mb"),
                     cell(x["pss_mb"]),
                     cell(x["cpu_ms"]) + ratio(n, "cpu_ms"),
                     cell(x["wake"], "{:.2f}") + ratio(n, "wake"),
                     cell(x["off_med"], "{:.2f}"), cell(x["off_max"], "{:.2f}"),
                     cell(x["skipped"], "{}"), cell(x["doubled"], "{}"),
                     cell(results.get("bus_daemons", {}).get(n), "{}")])
    lines = []
    if markdown:
        lines.append("| " + " | ".join(header) + " |")
        lines.append("|" + "|".join(["---"] + ["---:"] * (len(header) - 1)) + "|")
        lines += ["| " + " | ".join(r) + " |" for r in rows]
    else:
        widths = [max(len(h), *(len(r[i]) for r in rows)) for i, h in enumerate(header)]
        lines.append("  ".join(h.rjust(w) for h, w in zip(header, widths)))
        lines += ["  ".join(c.rjust(w) for c, w in zip(r, widths)) for r in rows]

    checks = []
    x = m.get("meridex")
    xc = m.get("xclock")
    bus = results.get("options", {}).get("bus", "session")
    if x and f:
        def add(label, ok, detail):
            checks.append((label, ok, detail))

        def known(*vals):
            return all(v is not None for v in vals)
        limit = 1.05 if bus == "session" else 1.10
        if known(x["startup_ms"], f["startup_ms"]):
            add(f"start-up <= {limit:.2f} x floor ({'with a session bus' if bus == 'session' else 'no session bus'})",
                x["startup_ms"] <= limit * f["startup_ms"],
                f"{cell(x['startup_ms'])} ms against {cell(limit * f['startup_ms'])} ms "
                f"({x['startup_ms'] / f['startup_ms']:.2f}x)")
        if bus != "session":
            started = results.get("bus_daemons", {}).get("meridex")
            add("no bus daemon started", None if started is None else started == 0,
                f"{started} dbus-daemon started by Meridex "
                f"(the floor: {results.get('bus_daemons', {}).get(floor)})")
        if known(x["rss_mb"], f["rss_mb"]):
            add("RSS <= floor + 3 MB", x["rss_mb"] <= f["rss_mb"] + 3,
                f"{cell(x['rss_mb'])} MB against {cell(f['rss_mb'] + 3)} MB ({x['rss_mb'] - f['rss_mb']:+.1f} MB)")
        if x["cpu_ms"] is not None:
            add("idle CPU <= 25 ms per 60 s", x["cpu_ms"] <= 25, f"{cell(x['cpu_ms'])} ms")
            if xc and xc["cpu_ms"]:
                add("idle CPU <= 1.7 x xclock", x["cpu_ms"] <= 1.7 * xc["cpu_ms"],
                    f"{cell(x['cpu_ms'])} ms against {cell(1.7 * xc['cpu_ms'])} ms "
                    f"({x['cpu_ms'] / xc['cpu_ms']:.2f}x)")
        if x["wake"] is not None:
            add("one wake-up a second", x["wake"] <= 1.05, f"{cell(x['wake'], '{:.2f}')}/s")
        if x["off_med"] is not None:
            add("update median <= 2 ms after the second", x["off_med"] <= 2, f"{cell(x['off_med'], '{:.2f}')} ms")
            add("update max < 10 ms after the second", x["off_max"] < 10, f"{cell(x['off_max'], '{:.2f}')} ms")
            t = results["ticks"].get("meridex", {})
            add("no skipped or doubled second", x["skipped"] == 0 and x["doubled"] == 0,
                f"{x['skipped']} skipped, {x['doubled']} doubled in {t.get('seconds', 0)} s")
        for name in names:
            if name.startswith("meridex-") and name[len("meridex-"):].isdigit() and known(m[name]["cpu_ms"], x["cpu_ms"]):
                add(f"idle CPU with {int(name[8:]):,} setups within 10 % of one", m[name]["cpu_ms"] <= 1.10 * x["cpu_ms"],
                    f"{cell(m[name]['cpu_ms'])} against {cell(x['cpu_ms'])} ms ({m[name]['cpu_ms'] / x['cpu_ms'] - 1:+.0%})")
    return lines, checks


def print_report(results: dict, markdown: bool) -> int:
    lines, checks = report(results, markdown)
    print("\n".join(lines))
    print()
    failed = 0
    for label, ok, detail in checks:
        word = "n/a " if ok is None else ("PASS" if ok else "FAIL")
        failed += ok is False
        print(f"{'- ' if markdown else ''}{word}  {label}: {detail}")
    return failed


def main() -> int:
    ap = argparse.ArgumentParser(description=__doc__.split("\n\n")[0],
                                 formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--meridex", type=Path, default=REPO / "build-bench-meridex" / "meridex")
    ap.add_argument("--qtfloor", type=Path, default=REPO / "build-bench-qtfloor" / "qtfloor")
    ap.add_argument("--programs", default="meridex,qtfloor,xclock",
                    help="comma-separated subset of meridex,qtfloor,xclock")
    ap.add_argument("--runs", type=int, default=5, help="start-up/memory/idle runs per program (5)")
    ap.add_argument("--warmup", type=int, default=1, help="uncounted starts per program first (1)")
    ap.add_argument("--settle", type=float, default=10.0, help="seconds from exec to the memory reading (10)")
    ap.add_argument("--idle", type=float, default=60.0, help="idle window in seconds (60)")
    ap.add_argument("--accuracy", type=float, default=600.0, help="tick trace per program in seconds (600)")
    ap.add_argument("--gap", type=float, default=0.15,
                    help="X writes closer than this (s) are one update (0.15)")
    ap.add_argument("--tracer", choices=("auto", "perf", "strace"), default="auto")
    ap.add_argument("--tz", default=os.environ.get("TZ", "UTC"))
    ap.add_argument("--extra", action="append", default=[], metavar="NAME=COMMAND",
                    help="one more program measured the same way (e.g. a variant of the floor)")
    ap.add_argument("--env", action="append", default=[], metavar="NAME=VALUE",
                    help="extra environment for meridex only (to try a change), repeatable")
    ap.add_argument("--quick", action="store_true", help="2 runs, 20 s idle, 60 s ticks")
    ap.add_argument("--bus", choices=("session", "none"), default="session",
                    help="a session bus for every program (default), or none: DBUS_SESSION_BUS_ADDRESS "
                         "unset, and the bus daemons a program autolaunches are counted")
    ap.add_argument("--setups", type=int, default=0, metavar="N",
                    help="also measure Meridex with N setups, each with a daily alarm (meridex-N)")
    ap.add_argument("--out", default=str(REPO / "build-bench-run"), help="work folder (logs, traces, results.json)")
    ap.add_argument("--report", type=Path, help="print the tables of an earlier results.json and exit")
    ap.add_argument("--markdown", action="store_true", help="print the table as Markdown")
    args = ap.parse_args()
    if args.report:
        return 1 if print_report(json.loads(args.report.read_text()), args.markdown) else 0
    if args.quick:
        args.runs, args.idle, args.accuracy = 2, 20.0, 60.0
    for prog, path in (("meridex", args.meridex), ("qtfloor", args.qtfloor)):
        if prog in args.programs and not Path(path).exists():
            print(f"bench.py: {path} does not exist (build it first: bench/run-bench.sh)", file=sys.stderr)
            return 2
    started = time.monotonic()
    results = run_all(args)
    results["elapsed_s"] = time.monotonic() - started
    out = Path(args.out) / "results.json"
    out.write_text(json.dumps(results, indent=1))
    print(f"\nMeridex against the Qt floor and xclock — {results['machine']['date']}, "
          f"{results['machine']['cpu']}, {results['machine']['cores']} cores; ticks traced with "
          f"{results['tracer']}; results in {out}\n")
    failed = print_report(results, args.markdown)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
