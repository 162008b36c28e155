"""End-to-end test harness for Meridex (Python 3 standard library only).

A test drives the real ``meridex`` binary on a real X server:

    from harness import Session, check, run_test

    def test(ctx):
        with Session(ctx.work_dir, sound=True) as s:
            app = s.start_meridex(ctx.meridex, ini=INI, cwd=ctx.assets,
                                  faketime="2026-12-07 06:59:55")
            wid = s.wait_window("Meridex - Tokyo")
            s.close_window(wid)
            check(app.wait_exit() == 0, "meridex exited with an error")
            settings = app.read_ini()["Settings"]

    if __name__ == "__main__":
        run_test(test)

A Session starts Xvfb (``-displayfd``, so it picks a free display), openbox on
it and, when asked, a PulseAudio daemon with a null sink and a ``parec``
recorder of that sink's monitor.  Every process it starts is remembered by its
process id and stopped at the end (also when the test fails); each child also
gets a parent-death signal, so nothing outlives a test runner that is killed.
Waiting is always polling against a deadline, never a fixed sleep.

Tests are run by CTest as ``python3 test_x.py --meridex PATH --source-dir DIR
--work-dir DIR``.  Exit status: 0 pass, 1 fail, 77 skipped (Xvfb or openbox
missing).

What a test has (window ids are ints):
  Session(work_dir, sound=False, record=True, screen=(1280, 1024), dpi=96,
          start_sound_now=True)
    .start_meridex(binary, ini=, cwd=, faketime=, movable_clock=, tz="UTC",
                   env=, args=, home=, sound_server=True) -> App
    .start_sound_server() / .start_recorder() / .stop_recorder() -> Recording
    .wait_for_tone(freq=None, timeout=5)
    .windows() -> [WindowInfo(wid, pid, title)]   (managed top-levels)
    .find_window(title|regex, pid=) / .wait_window(title|regex, timeout=, app=)
    .wait_no_window(title) / .describe_windows() / .title(wid)
    .geometry(wid) -> Geometry (client + frame extents, .outer_width ...)
    .frame_geometry(wid) / .net_wm_state(wid) -> set / .wait_state(wid, "ABOVE")
    .window_property(wid, name) / .window_type(wid) / .window_types(wid)
    .visible_windows(pid=) / .popup_windows(pid=) / .is_override_redirect(wid)
    .close_window(wid)   (_NET_CLOSE_WINDOW: the program's normal close)
    .choose_menu_command(app, main, position) / .read_text(wid)   (clipboard)
    .activate(wid) / .move_mouse(x, y, window=) / .mouse_position()
    .click(x, y, button=1, window=, repeat=1) / .mouse_down() / .mouse_up()
    .key(*keys, window=) / .type_text(text, window=)
    .grab(window=) -> Image / .screenshot(path, window=) / .run_x(*argv)
  App: .pid .running() .wait_exit(timeout) .stop() .output() .ini_path
       .read_ini() .ini_text() .set_clock(when) .shift_clock(seconds)
  read_ini / parse_ini / format_ini / write_ini   (QSettings' INI escaping)
  Image: .pixel .crop .diff_count .colours .save;  make_tone_wav(path, freq)
  check / check_equal / wait_for(predicate, timeout, what) / Failure / Skip
"""

from __future__ import annotations

import argparse
import configparser
import ctypes
import dataclasses
import glob
import math
import os
import re
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import time
import traceback
from pathlib import Path
from typing import Callable, Iterable, Optional, Sequence, Union

SKIP_RETURN_CODE = 77

__all__ = [
    "SKIP_RETURN_CODE", "Skip", "Failure", "check", "check_equal", "wait_for",
    "Session", "App", "Geometry", "Image", "Recording", "TestContext",
    "read_ini", "parse_ini", "format_ini", "write_ini", "run_test",
    "make_tone_wav",
]


# --------------------------------------------------------------------------
# Results and waiting


class Skip(Exception):
    """Raised when the machine lacks what a test needs to run at all."""


class Failure(AssertionError):
    """A failed expectation of a test."""


def check(condition, message: str = "check failed") -> None:
    if not condition:
        raise Failure(message)


def check_equal(actual, expected, what: str = "value") -> None:
    if actual != expected:
        raise Failure(f"{what}: expected {expected!r}, got {actual!r}")


def wait_for(predicate: Callable[[], object], timeout: float = 10.0,
             what: str = "condition", interval: float = 0.05):
    """Poll ``predicate`` until it returns a true value and return that value.

    Raises Failure naming ``what`` when ``timeout`` seconds pass first.  The
    predicate is always tried once more at the deadline.
    """
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        now = time.monotonic()
        if now >= deadline:
            raise Failure(f"timed out after {timeout:g} s waiting for {what}")
        time.sleep(min(interval, max(0.0, deadline - now)))


# --------------------------------------------------------------------------
# Child processes



def ticking(session, wid, timeout: float = 4.0) -> bool:
    """The clock's face changes within a few seconds: its timer runs and it repaints. (A window
    still settling its size starts the comparison again.)"""
    first = session.grab(window=wid)
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        now = session.grab(window=wid)
        if (now.width, now.height) != (first.width, first.height):
            first = now
        elif now.diff_count(first) > 0:
            return True
        time.sleep(0.1)
    return False

def _set_parent_death_signal() -> None:
    """Runs in the child between fork and exec: die when the test dies."""
    try:
        libc = ctypes.CDLL(None, use_errno=True)
        libc.prctl(1, signal.SIGTERM, 0, 0, 0)  # PR_SET_PDEATHSIG
    except Exception:  # pragma: no cover - best effort only
        pass


@dataclasses.dataclass
class _Child:
    name: str
    proc: subprocess.Popen
    log: Path
    stop_signal: int = signal.SIGTERM


class _Children:
    """Processes started by a session, stopped in reverse order by pid."""

    def __init__(self) -> None:
        self.items: list[_Child] = []

    def spawn(self, name: str, argv: Sequence[str], *, env: dict, log: Path,
              cwd: Optional[Union[str, Path]] = None, pass_fds: Sequence[int] = (),
              stdout=None, stop_signal: int = signal.SIGTERM) -> subprocess.Popen:
        """Start a child; its stderr (and stdout unless given) goes to ``log``."""
        log.parent.mkdir(parents=True, exist_ok=True)
        with open(log, "ab") as log_file:
            proc = subprocess.Popen(
                list(argv), env=env, cwd=None if cwd is None else str(cwd),
                stdin=subprocess.DEVNULL, stdout=log_file if stdout is None else stdout,
                stderr=log_file, pass_fds=tuple(pass_fds),
                preexec_fn=_set_parent_death_signal, close_fds=True)
        self.items.append(_Child(name, proc, log, stop_signal))
        return proc

    @staticmethod
    def stop(child: _Child, grace: float = 3.0) -> Optional[int]:
        proc = child.proc
        if proc.poll() is None:
            try:
                proc.send_signal(child.stop_signal)
            except ProcessLookupError:
                pass
            try:
                proc.wait(timeout=grace)
            except subprocess.TimeoutExpired:
                try:
                    proc.kill()
                except ProcessLookupError:
                    pass
                proc.wait(timeout=10)
        return proc.returncode

    def stop_all(self) -> None:
        while self.items:
            child = self.items.pop()
            try:
                self.stop(child)
            except Exception as exc:  # keep tearing down the rest
                print(f"harness: could not stop {child.name} (pid {child.proc.pid}): {exc}",
                      file=sys.stderr)

    def forget(self, proc: subprocess.Popen) -> None:
        self.items = [c for c in self.items if c.proc is not proc]


def _tool(name: str) -> str:
    path = shutil.which(name)
    if not path:
        raise Failure(f"the program '{name}' is not installed (bash scripts/install-deps.sh --test)")
    return path


# --------------------------------------------------------------------------
# The settings file (Qt's INI format as QSettings writes it)


def _unescape_key(text: str) -> str:
    """Undo QSettings' key/section escaping: %XX, %UXXXX and '\\' for '/'."""
    out: list[str] = []
    i = 0
    while i < len(text):
        ch = text[i]
        if ch == "\\":
            out.append("/")
            i += 1
        elif ch == "%" and text[i + 1:i + 2] == "U" and re.fullmatch(r"[0-9A-Fa-f]{4}", text[i + 2:i + 6] or ""):
            out.append(chr(int(text[i + 2:i + 6], 16)))
            i += 6
        elif ch == "%" and re.fullmatch(r"[0-9A-Fa-f]{2}", text[i + 1:i + 3] or ""):
            out.append(chr(int(text[i + 1:i + 3], 16)))
            i += 3
        else:
            out.append(ch)
            i += 1
    # UTF-16 surrogate pairs written as two %U escapes
    return "".join(out).encode("utf-16", "surrogatepass").decode("utf-16")


def _escape_key(text: str) -> str:
    out: list[str] = []
    for ch in text:
        if ch == "/":
            out.append("\\")
        elif ch.isascii() and (ch.isalnum() or ch in "_-."):
            out.append(ch)
        else:
            for unit in struct.unpack("<%dH" % (len(ch.encode("utf-16-le")) // 2),
                                      ch.encode("utf-16-le")):
                out.append("%%%02X" % unit if unit <= 0xFF else "%%U%04X" % unit)
    return "".join(out)


_ESCAPES = {"a": "\a", "b": "\b", "f": "\f", "n": "\n", "r": "\r", "t": "\t",
            "v": "\v", '"': '"', "?": "?", "'": "'", "\\": "\\"}


def _from_at(text: str) -> str:
    """A stored text that starts with '@' had another '@' put before it."""
    return text[1:] if text.startswith("@@") else text


def _unescape_value(text: str) -> Union[str, list]:
    """Decode one stored value as QSettings does: a str, or a list of str
    when unquoted commas split it.  Unquoted blanks around items are dropped;
    unknown backslash escapes are skipped."""
    items: list = []
    is_list = False
    in_quotes = False
    quoted = False
    cur: list = []
    chop_limit = 0
    n = len(text)

    def skip_blanks(i: int) -> int:
        while i < n and text[i] in " \t":
            i += 1
        return i

    def chop() -> None:
        while len(cur) > chop_limit and cur[-1] in (" ", "\t"):
            cur.pop()

    i = skip_blanks(0)
    while i < n:
        ch = text[i]
        if ch == "\\":
            i += 1
            if i >= n:
                break
            c = text[i]
            i += 1
            if c in _ESCAPES:
                cur.append(_ESCAPES[c])
            elif c == "x":
                m = re.match(r"[0-9A-Fa-f]+", text[i:])
                if m:
                    cur.append(chr(int(m.group(0), 16) & 0xFFFF))
                    i += len(m.group(0))
            elif c in "01234567":
                m = re.match(r"[0-7]*", text[i:])
                cur.append(chr(int(c + m.group(0), 8) & 0xFFFF))
                i += len(m.group(0))
            # any other escaped character is skipped
            chop_limit = len(cur)
        elif ch == '"':
            i += 1
            quoted = True
            in_quotes = not in_quotes
            if not in_quotes:
                i = skip_blanks(i)
                chop_limit = len(cur)
        elif ch == "," and not in_quotes:
            if not quoted:
                chop()
            is_list = True
            items.append("".join(cur))
            cur = []
            quoted = False
            chop_limit = 0
            i = skip_blanks(i + 1)
        else:
            j = i + 1
            while j < n and text[j] not in '\\",':
                j += 1
            cur.extend(text[i:j])
            i = j
    if not quoted:
        chop()
    value = "".join(cur).encode("utf-16", "surrogatepass").decode("utf-16", "replace")
    if is_list:
        items = [v.encode("utf-16", "surrogatepass").decode("utf-16", "replace") for v in items]
        return [_from_at(v) for v in items + [value]]
    return _from_at(value)


def _escape_value(value) -> str:
    if isinstance(value, (list, tuple)):
        if not value:
            return "@Invalid()"
        return ", ".join(_escape_value(str(v)) for v in value)
    if isinstance(value, bool):
        value = "true" if value else "false"
    text = str(value)
    if text.startswith("@"):
        text = "@" + text
    out: list[str] = []
    needs_quotes = False
    escape_next_digit = False
    for ch in text:
        o = ord(ch)
        if ch in ";,=":
            needs_quotes = True
        if escape_next_digit and ch in "0123456789abcdefABCDEF":
            out.append("\\x%x" % o)
            continue
        escape_next_digit = False
        if ch == "\0":
            out.append("\\0")
            escape_next_digit = True
        elif ch in "\a\b\f\n\r\t\v":
            out.append("\\" + "abfnrtv"["\a\b\f\n\r\t\v".index(ch)])
        elif ch in '"\\':
            out.append("\\" + ch)
        elif o <= 0x1F:
            out.append("\\x%x" % o)
            escape_next_digit = True
        else:
            out.append(ch)
    result = "".join(out)
    if needs_quotes or (result and (result[0] == " " or result[-1] == " ")):
        result = '"' + result + '"'
    return result


def _section_name(header: str) -> str:
    if header.lower() == "general":
        return ""  # the top level
    if header.lower() == "%general":
        return header[1:]  # a group the program named "General"
    return _unescape_key(header)


def parse_ini(text: str) -> dict:
    """Parse settings text as QSettings writes it.

    Returns {section: {key: value}} with names unescaped and their case kept;
    a value is a str, or a list of str for a stored string list.  Keys outside
    any group (written under "[General]") come out under the section "".
    """
    parser = configparser.RawConfigParser(
        delimiters=("=",), comment_prefixes=(";", "#"), inline_comment_prefixes=None,
        strict=False, empty_lines_in_values=False, interpolation=None,
        allow_no_value=True, default_section="\x00none\x00")
    parser.optionxform = str  # keys are case-sensitive
    # Keys before the first header belong to the top level.
    parser.read_string("[General]\n" + text)
    result: dict = {}
    for header in parser.sections():
        target = result.setdefault(_section_name(header), {})
        for raw_key, raw_value in parser.items(header, raw=True):
            target[_unescape_key(raw_key)] = _unescape_value(raw_value or "")
    if not result.get("", True):
        del result[""]
    return result


def read_ini(path: Union[str, Path]) -> dict:
    """Read a settings file; {} when it does not exist.  See parse_ini."""
    path = Path(path)
    if not path.exists():
        return {}
    return parse_ini(path.read_text(encoding="utf-8"))


def format_ini(sections: dict) -> str:
    """Write {section: {key: value}} in QSettings' INI format and escaping."""
    lines: list[str] = []
    for section, keys in sections.items():
        if section == "":
            header = "General"
        elif section.lower() == "general":
            header = "%" + _escape_key(section)  # Qt's escape for a group named General
        else:
            header = _escape_key(section)
        if lines:
            lines.append("")
        lines.append(f"[{header}]")
        for key, value in keys.items():
            lines.append(f"{_escape_key(key)}={_escape_value(value)}")
    return "\n".join(lines) + "\n"


def write_ini(path: Union[str, Path], content: Union[str, dict]) -> Path:
    """Write settings text (a str as it stands, or a dict through format_ini)."""
    path = Path(path)
    path.parent.mkdir(parents=True, exist_ok=True)
    text = content if isinstance(content, str) else format_ini(content)
    path.write_text(text, encoding="utf-8")
    return path


# --------------------------------------------------------------------------
# Screenshots


class Image:
    """An RGB picture (from a screenshot), read through ImageMagick's PPM output."""

    def __init__(self, width: int, height: int, data: bytes) -> None:
        self.width = width
        self.height = height
        self.data = data

    @classmethod
    def from_ppm(cls, blob: bytes) -> "Image":
        m = re.match(rb"P6\s+(?:#[^\n]*\n\s*)*(\d+)\s+(\d+)\s+(\d+)\s", blob)
        if not m:
            raise Failure("not a binary PPM picture")
        width, height, maxval = int(m.group(1)), int(m.group(2)), int(m.group(3))
        data = blob[m.end():]
        if maxval > 255:  # 16-bit samples: keep the high bytes
            data = data[0::2]
        return cls(width, height, data[:width * height * 3])

    @classmethod
    def load(cls, path: Union[str, Path]) -> "Image":
        blob = subprocess.run([_tool("convert"), str(path), "-depth", "8", "ppm:-"],
                              capture_output=True, check=True, timeout=60).stdout
        return cls.from_ppm(blob)

    def pixel(self, x: int, y: int) -> tuple:
        i = (y * self.width + x) * 3
        return tuple(self.data[i:i + 3])

    def crop(self, x: int, y: int, width: int, height: int) -> "Image":
        x0, y0 = max(0, x), max(0, y)
        x1, y1 = min(self.width, x + width), min(self.height, y + height)
        rows = [self.data[(r * self.width + x0) * 3:(r * self.width + x1) * 3] for r in range(y0, y1)]
        return Image(max(0, x1 - x0), max(0, y1 - y0), b"".join(rows))

    def diff_count(self, other: "Image", tolerance: int = 0) -> int:
        """Number of pixels that differ by more than ``tolerance`` in some channel."""
        if (self.width, self.height) != (other.width, other.height):
            raise Failure(f"pictures differ in size: {self.width}x{self.height} "
                          f"and {other.width}x{other.height}")
        count = 0
        a, b = self.data, other.data
        if tolerance == 0:
            for i in range(0, len(a), 3):
                if a[i:i + 3] != b[i:i + 3]:
                    count += 1
            return count
        for i in range(0, len(a), 3):
            if (abs(a[i] - b[i]) > tolerance or abs(a[i + 1] - b[i + 1]) > tolerance
                    or abs(a[i + 2] - b[i + 2]) > tolerance):
                count += 1
        return count

    def colours(self) -> dict:
        """How many pixels of each colour the picture holds."""
        counts: dict = {}
        d = self.data
        for i in range(0, len(d), 3):
            key = d[i:i + 3]
            counts[key] = counts.get(key, 0) + 1
        return {tuple(k): v for k, v in counts.items()}

    def save(self, path: Union[str, Path]) -> Path:
        path = Path(path)
        path.parent.mkdir(parents=True, exist_ok=True)
        header = b"P6\n%d %d\n255\n" % (self.width, self.height)
        subprocess.run([_tool("convert"), "ppm:-", str(path)], input=header + self.data,
                       check=True, timeout=60)
        return path


# --------------------------------------------------------------------------
# Sound


def make_tone_wav(path: Union[str, Path], freq: float = 1000.0, seconds: float = 1.0,
                  rate: int = 44100, amplitude: float = 0.5) -> Path:
    """Write a 16-bit mono PCM WAV holding a sine tone."""
    import wave
    path = Path(path)
    path.parent.mkdir(parents=True, exist_ok=True)
    frames = int(rate * seconds)
    peak = int(32767 * amplitude)
    samples = struct.pack("<%dh" % frames,
                          *(int(peak * math.sin(2 * math.pi * freq * i / rate)) for i in range(frames)))
    with wave.open(str(path), "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(rate)
        w.writeframes(samples)
    return path


class Recording:
    """What parec recorded from the null sink's monitor: raw s16le mono samples.

    The recorder skips silence, so test "the tone is there", not its timing.
    """

    RATE = 44100

    def __init__(self, path: Path) -> None:
        self.path = path

    def samples(self) -> list:
        data = self.path.read_bytes() if self.path.exists() else b""
        data = data[:len(data) - len(data) % 2]
        return list(struct.unpack("<%dh" % (len(data) // 2), data))

    @staticmethod
    def _goertzel(block: Sequence[int], freq: float, rate: int) -> float:
        k = 2.0 * math.cos(2.0 * math.pi * freq / rate)
        s1 = s2 = 0.0
        for x in block:
            s1, s2 = x + k * s1 - s2, s1
        return s1 * s1 + s2 * s2 - k * s1 * s2

    def analyse(self, freq: Optional[float] = None, block_ms: int = 50) -> dict:
        """Duration, peak, loud time and (with ``freq``) how much of the loud
        signal's energy lies at that frequency (0..1)."""
        samples = self.samples()
        block = max(1, self.RATE * block_ms // 1000)
        loud_blocks = 0
        ratios = []
        peak = max((abs(s) for s in samples), default=0)
        for start in range(0, len(samples) - block + 1, block):
            chunk = samples[start:start + block]
            energy = sum(x * x for x in chunk)
            rms = math.sqrt(energy / len(chunk))
            if rms < 300:  # about -40 dBFS: silence
                continue
            loud_blocks += 1
            if freq is not None and len(ratios) < 40:
                # Goertzel power of a pure sine is about (N*A/2)^2, energy N*A^2/2.
                power = self._goertzel(chunk, freq, self.RATE)
                ratios.append(min(1.0, 2.0 * power / (len(chunk) * energy)))
        return {
            "seconds": len(samples) / self.RATE,
            "peak": peak,
            "loud_seconds": loud_blocks * block / self.RATE,
            "tone_ratio": (sorted(ratios)[len(ratios) // 2] if ratios else 0.0),
        }

    def has_tone(self, freq: Optional[float] = None, min_loud_seconds: float = 0.1) -> bool:
        info = self.analyse(freq)
        if info["loud_seconds"] < min_loud_seconds:
            return False
        return freq is None or info["tone_ratio"] > 0.5


# --------------------------------------------------------------------------
# Windows


@dataclasses.dataclass(frozen=True)
class Geometry:
    """A top-level window: its client area in root coordinates and the frame
    the window manager drew around it (_NET_FRAME_EXTENTS)."""
    x: int
    y: int
    width: int
    height: int
    left: int = 0
    right: int = 0
    top: int = 0
    bottom: int = 0

    @property
    def outer_x(self) -> int:
        return self.x - self.left

    @property
    def outer_y(self) -> int:
        return self.y - self.top

    @property
    def outer_width(self) -> int:
        return self.width + self.left + self.right

    @property
    def outer_height(self) -> int:
        return self.height + self.top + self.bottom


@dataclasses.dataclass(frozen=True)
class WindowInfo:
    wid: int
    pid: int
    title: str


# --------------------------------------------------------------------------
# The program under test


class App:
    """One started meridex process (see Session.start_meridex)."""

    def __init__(self, session: "Session", proc: subprocess.Popen, name: str,
                 home: Path, cwd: Path, log: Path, env: dict,
                 clock_file: Optional[Path]) -> None:
        self.session = session
        self.proc = proc
        self.name = name
        self.home = home
        self.config_home = home / ".config"
        self.ini_path = self.config_home / "Meridex" / "Meridex.ini"
        self.cwd = cwd
        self.log = log
        self.env = env
        self.clock_file = clock_file

    @property
    def pid(self) -> int:
        return self.proc.pid

    def running(self) -> bool:
        return self.proc.poll() is None

    def wait_exit(self, timeout: float = 10.0) -> int:
        """Wait for the program to end by itself; return its exit status."""
        try:
            return self.proc.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            raise Failure(f"{self.name} (pid {self.pid}) still running after {timeout:g} s; "
                          f"windows: {self.session.describe_windows()}") from None

    def stop(self) -> Optional[int]:
        """End the process (SIGTERM, then SIGKILL); return its exit status."""
        for child in list(self.session._children.items):
            if child.proc is self.proc:
                code = _Children.stop(child)
                self.session._children.forget(self.proc)
                return code
        return self.proc.poll()

    def output(self) -> str:
        """What the program printed so far (stdout and stderr)."""
        try:
            return self.log.read_text(encoding="utf-8", errors="replace")
        except FileNotFoundError:
            return ""

    def read_ini(self) -> dict:
        return read_ini(self.ini_path)

    def ini_text(self) -> str:
        return self.ini_path.read_text(encoding="utf-8") if self.ini_path.exists() else ""

    # faketime with a clock file: the wall clock can be moved while running
    def set_clock(self, when: str) -> None:
        """Move the program's wall clock to ``when`` ("YYYY-MM-DD hh:mm:ss",
        local time of the program's TZ); it runs on from there."""
        if self.clock_file is None:
            raise Failure("start_meridex(..., faketime=..., movable_clock=True) is needed")
        target = _epoch_of(when, self.env.get("TZ", "UTC"))
        _write_offset(self.clock_file, target - time.time())

    def shift_clock(self, seconds: float) -> None:
        """Move the program's wall clock by ``seconds`` (negative: back)."""
        if self.clock_file is None:
            raise Failure("start_meridex(..., faketime=..., movable_clock=True) is needed")
        offset = float(self.clock_file.read_text().strip() or 0)
        _write_offset(self.clock_file, offset + seconds)


def _epoch_of(when: str, tz: str) -> float:
    out = subprocess.run(["date", "-d", when.lstrip("@"), "+%s.%N"], capture_output=True,
                         text=True, env=dict(os.environ, TZ=tz, LC_ALL="C"), timeout=10)
    if out.returncode != 0:
        raise Failure(f"cannot read the time {when!r}: {out.stderr.strip()}")
    return float(out.stdout.strip())


def _write_offset(path: Path, offset: float) -> None:
    tmp = path.with_suffix(".tmp")
    tmp.write_text(("%+.3f" % offset) + "\n")
    os.replace(tmp, path)


_FAKETIME_LIBS = (
    "/usr/lib/x86_64-linux-gnu/faketime/libfaketimeMT.so.1",
    "/usr/lib/*/faketime/libfaketimeMT.so.1",
    "/usr/lib/*/faketime/libfaketime.so.1",
    "/usr/lib/faketime/libfaketimeMT.so.1",
)


def _faketime_library() -> str:
    for pattern in _FAKETIME_LIBS:
        hits = sorted(glob.glob(pattern))
        if hits:
            return hits[0]
    raise Failure("libfaketime is not installed (Debian package faketime)")


# --------------------------------------------------------------------------
# The session


class Session:
    """A virtual desktop: Xvfb + openbox, optionally PulseAudio with a null sink.

    Use as a context manager; everything started is stopped on exit.  On an
    exception a screenshot is saved as ``failure.png`` in ``work_dir`` first.
    """

    SINK = "meridex_null"

    def __init__(self, work_dir: Union[str, Path, None] = None, *, sound: bool = False,
                 record: bool = True, screen: tuple = (1280, 1024), depth: int = 24,
                 dpi: int = 96, start_sound_now: bool = True) -> None:
        self.work_dir = Path(work_dir) if work_dir else Path(tempfile.mkdtemp(prefix="meridex-e2e-"))
        self.work_dir.mkdir(parents=True, exist_ok=True)
        self.logs = self.work_dir / "logs"
        self.logs.mkdir(exist_ok=True)
        self.sound = sound
        self.record = record
        self.screen = screen
        self.depth = depth
        self.dpi = dpi
        self.start_sound_now = start_sound_now
        self.display: Optional[str] = None
        self._children = _Children()
        self._tmp: Optional[Path] = None
        self._apps = 0
        self.pulse: Optional[subprocess.Popen] = None
        self.recorder: Optional[subprocess.Popen] = None
        self.recording: Optional[Recording] = None
        self.timings: dict = {}
        self._old_handlers: dict = {}

    # ---- life cycle ------------------------------------------------------

    def __enter__(self) -> "Session":
        try:
            self.start()
        except BaseException:
            self.close()
            raise
        return self

    def __exit__(self, exc_type, exc, tb) -> None:
        if exc_type is not None and self.display is not None:
            try:
                self.screenshot(self.work_dir / "failure.png")
                print(f"harness: windows at failure: {self.describe_windows()}", file=sys.stderr)
                print(f"harness: screenshot at failure: {self.work_dir / 'failure.png'}",
                      file=sys.stderr)
            except Exception as shot_error:
                print(f"harness: no failure screenshot: {shot_error}", file=sys.stderr)
        self.close()

    def start(self) -> "Session":
        for sig in (signal.SIGTERM, signal.SIGINT, signal.SIGHUP):
            self._old_handlers[sig] = signal.signal(sig, self._on_signal)
        # Short path: the sound server's socket path must stay under 108 bytes.
        self._tmp = Path(tempfile.mkdtemp(prefix="mdx-", dir="/tmp"))
        self.runtime_dir = self._tmp / "run"
        self.runtime_dir.mkdir(mode=0o700)
        self.home = self._tmp / "home"
        self.home.mkdir()
        self.pulse_socket = self.runtime_dir / "pulse" / "native"
        self.pulse_client_conf = self._tmp / "pulse-client.conf"
        self.pulse_client_conf.write_text("autospawn = no\n")
        t0 = time.monotonic()
        self._start_x()
        self.timings["xvfb"] = time.monotonic() - t0
        t1 = time.monotonic()
        self._start_wm()
        self.timings["openbox"] = time.monotonic() - t1
        if self.sound and self.start_sound_now:
            t2 = time.monotonic()
            self.start_sound_server()
            self.timings["pulseaudio"] = time.monotonic() - t2
        self.timings["total"] = time.monotonic() - t0
        return self

    def close(self) -> None:
        self._children.stop_all()
        if self._tmp is not None and os.environ.get("MERIDEX_E2E_KEEP") != "1":
            shutil.rmtree(self._tmp, ignore_errors=True)
        for sig, handler in self._old_handlers.items():
            signal.signal(sig, handler)
        self._old_handlers.clear()

    def _on_signal(self, signum, _frame):
        raise KeyboardInterrupt(f"signal {signum}")

    # ---- environments ----------------------------------------------------

    def base_env(self) -> dict:
        """Environment of every process the session starts."""
        env = {k: v for k, v in os.environ.items()
               if not k.startswith(("QT_", "WAYLAND_", "PULSE_", "DBUS_", "XDG_", "FAKETIME",
                                    "LD_PRELOAD", "DISPLAY", "XAUTHORITY", "SESSION_MANAGER"))}
        env.update({
            "HOME": str(self.home),
            "XDG_RUNTIME_DIR": str(self.runtime_dir),
            "XDG_CONFIG_HOME": str(self.home / ".config"),
            # nothing may reach (or autolaunch) a user's session bus or sound server
            "DBUS_SESSION_BUS_ADDRESS": f"unix:path={self._tmp}/no-session-bus",
            "PULSE_SERVER": f"unix:{self.pulse_socket}",
            "PULSE_CLIENTCONFIG": str(self.pulse_client_conf),
            "NO_AT_BRIDGE": "1",
        })
        env.setdefault("LC_ALL", "C.UTF-8")
        if self.display is not None:
            env["DISPLAY"] = self.display
        return env

    def run_x(self, *argv: str, timeout: float = 15.0, check_rc: bool = True,
              input: Optional[bytes] = None) -> str:
        """Run an X client tool (xdotool, xprop, ...) on the session's display
        and return its output; a non-zero exit is a Failure unless check_rc=False."""
        return self._x(*argv, timeout=timeout, check_rc=check_rc, input=input)

    def _x(self, *argv: str, timeout: float = 15.0, check_rc: bool = True,
           input: Optional[bytes] = None) -> str:
        env = self.base_env()
        try:
            out = subprocess.run([_tool(argv[0]), *argv[1:]], env=env, capture_output=True,
                                 timeout=timeout, input=input)
        except subprocess.TimeoutExpired:
            raise Failure(f"'{' '.join(argv)}' did not finish within {timeout:g} s") from None
        if check_rc and out.returncode != 0:
            raise Failure(f"'{' '.join(argv)}' failed ({out.returncode}): "
                          f"{out.stderr.decode(errors='replace').strip()}")
        return out.stdout.decode("utf-8", errors="replace")

    # ---- X server and window manager -------------------------------------

    def _start_x(self) -> None:
        read_fd, write_fd = os.pipe()
        try:
            w, h = self.screen
            self._children.spawn(
                "Xvfb", [_tool("Xvfb"), "-displayfd", str(write_fd), "-screen", "0",
                         f"{w}x{h}x{self.depth}", "-dpi", str(self.dpi), "-nolisten", "tcp",
                         "-noreset"],
                env=self.base_env(), log=self.logs / "xvfb.log", pass_fds=(write_fd,))
        finally:
            os.close(write_fd)
        xvfb = self._children.items[-1].proc
        buf = b""
        deadline = time.monotonic() + 30
        try:
            os.set_blocking(read_fd, False)
            while not buf.endswith(b"\n"):
                if xvfb.poll() is not None:
                    raise Failure(f"Xvfb ended at start ({xvfb.returncode}): "
                                  f"{(self.logs / 'xvfb.log').read_text(errors='replace')[-2000:]}")
                if time.monotonic() > deadline:
                    raise Failure("Xvfb did not report a display within 30 s")
                try:
                    chunk = os.read(read_fd, 64)
                except BlockingIOError:
                    time.sleep(0.01)
                    continue
                if not chunk:
                    raise Failure("Xvfb closed its display pipe without a display number")
                buf += chunk
        finally:
            os.close(read_fd)
        self.display = ":" + buf.decode().strip()

    def _start_wm(self) -> None:
        self._children.spawn("openbox", [_tool("openbox"), "--sm-disable"],
                             env=self.base_env(), log=self.logs / "openbox.log")
        wm = self._children.items[-1].proc

        def ready():
            if wm.poll() is not None:
                raise Failure(f"openbox ended at start ({wm.returncode})")
            out = self._x("xprop", "-root", "_NET_SUPPORTING_WM_CHECK", check_rc=False)
            return "window id" in out
        wait_for(ready, 20, "openbox to manage the screen", interval=0.02)

    # ---- sound -----------------------------------------------------------

    def start_sound_server(self) -> None:
        """Start PulseAudio with a null sink (and the recorder, if asked)."""
        if self.pulse is not None:
            return
        (self.runtime_dir / "pulse").mkdir(mode=0o700, exist_ok=True)
        env = self.base_env()
        env.pop("DISPLAY", None)  # no X11 bell/cookie modules, no D-Bus autolaunch
        self.pulse = self._children.spawn(
            "pulseaudio",
            [_tool("pulseaudio"), "-n", "--daemonize=no", "--exit-idle-time=-1",
             "--use-pid-file=no", "--disable-shm=yes", "--log-target=stderr",
             f"--load=module-null-sink sink_name={self.SINK} rate=44100 channels=2",
             f"--load=module-native-protocol-unix socket={self.pulse_socket}"],
            env=env, log=self.logs / "pulseaudio.log")

        def ready():
            if self.pulse.poll() is not None:
                raise Failure(f"pulseaudio ended at start ({self.pulse.returncode}): "
                              f"{(self.logs / 'pulseaudio.log').read_text(errors='replace')[-2000:]}")
            out = subprocess.run([_tool("pactl"), "info"], env=env, capture_output=True,
                                 text=True, timeout=10)
            return out.returncode == 0 and f"Default Sink: {self.SINK}" in out.stdout
        wait_for(ready, 20, "the sound server", interval=0.02)
        if self.record:
            self.start_recorder()

    def start_recorder(self) -> Recording:
        """Record the null sink's monitor as raw s16le mono 44.1 kHz."""
        if self.recorder is not None:
            return self.recording
        path = self.work_dir / "sound.raw"
        path.unlink(missing_ok=True)
        env = self.base_env()
        env.pop("DISPLAY", None)
        with open(path, "wb") as out:
            self.recorder = self._children.spawn(
                "parec",
                [_tool("parec"), f"--device={self.SINK}.monitor", "--format=s16le",
                 "--rate=44100", "--channels=1", "--latency-msec=20", "--raw"],
                env=env, log=self.logs / "parec.log", stdout=out)
        self.recording = Recording(path)

        def attached():
            if self.recorder.poll() is not None:
                raise Failure("parec ended at start: "
                              f"{(self.logs / 'parec.log').read_text(errors='replace')[-2000:]}")
            out = subprocess.run([_tool("pactl"), "list", "short", "source-outputs"], env=env,
                                 capture_output=True, text=True, timeout=10)
            return out.returncode == 0 and out.stdout.strip() != ""
        wait_for(attached, 10, "the recorder to attach to the sink monitor", interval=0.02)
        return self.recording

    def stop_recorder(self) -> Optional[Recording]:
        """Stop the recorder (flushing what it holds) and return the recording."""
        if self.recorder is None:
            return self.recording
        for child in list(self._children.items):
            if child.proc is self.recorder:
                child.stop_signal = signal.SIGINT
                _Children.stop(child)
        self._children.forget(self.recorder)
        self.recorder = None
        return self.recording

    def wait_for_tone(self, freq: Optional[float] = None, timeout: float = 5.0,
                      min_loud_seconds: float = 0.1) -> dict:
        """Wait until the recording holds a (``freq`` Hz) tone; return its analysis."""
        check(self.recording is not None, "no recorder is running (Session(sound=True))")

        def heard():
            info = self.recording.analyse(freq)
            ok = info["loud_seconds"] >= min_loud_seconds and (freq is None or info["tone_ratio"] > 0.5)
            return info if ok else None
        try:
            return wait_for(heard, timeout, f"a tone{'' if freq is None else f' of {freq:g} Hz'} "
                            "on the sound server", interval=0.1)
        except Failure as failure:
            raise Failure(f"{failure}; recorded: {self.recording.analyse(freq)}") from None

    # ---- the program under test ------------------------------------------

    def start_meridex(self, binary: Union[str, Path], *, ini: Union[str, dict, None] = None,
                      cwd: Union[str, Path, None] = None, faketime: Optional[str] = None,
                      movable_clock: bool = False, tz: str = "UTC",
                      env: Optional[dict] = None, args: Sequence[str] = (),
                      home: Union[str, Path, None] = None, sound_server: bool = True,
                      name: Optional[str] = None) -> App:
        """Start the real binary.

        ini: the settings file to prepare (text, or {section: {key: value}});
        home: reuse an earlier App's home (its settings) instead of a new one;
        cwd: working folder (default: a fresh empty folder);
        faketime: "YYYY-MM-DD hh:mm:ss" (or "@..."): the wall clock starts
        there and runs on; the monotonic clock stays real; movable_clock lets
        the test move it later with App.set_clock / App.shift_clock;
        tz: the program's time zone; env: extra variables (None removes one);
        sound_server: False points the program at no sound server at all.
        """
        binary = Path(binary)
        check(binary.exists(), f"the program {binary} does not exist")
        self._apps += 1
        name = name or f"meridex{self._apps}"
        app_home = Path(home) if home is not None else self.work_dir / "homes" / name
        (app_home / ".config").mkdir(parents=True, exist_ok=True)
        if ini is not None:
            write_ini(app_home / ".config" / "Meridex" / "Meridex.ini", ini)
        if cwd is None:
            cwd = self.work_dir / "cwd" / name
            Path(cwd).mkdir(parents=True, exist_ok=True)
        app_env = self.base_env()
        app_env.update({
            "HOME": str(app_home),
            "XDG_CONFIG_HOME": str(app_home / ".config"),
            "QT_QPA_PLATFORM": "xcb",
            "TZ": tz,
        })
        if not sound_server:
            app_env["PULSE_SERVER"] = f"unix:{self._tmp}/no-sound-server"
        clock_file = None
        if faketime:
            clock_start = faketime if faketime.startswith(("@", "+", "-")) else "@" + faketime
            app_env.update({
                "LD_PRELOAD": _faketime_library(),
                "FAKETIME_DONT_FAKE_MONOTONIC": "1",
            })
            if movable_clock:
                clock_file = self.work_dir / f"{name}.faketime"
                if clock_start.startswith("@"):
                    _write_offset(clock_file, _epoch_of(clock_start, tz) - time.time())
                else:
                    clock_file.write_text(clock_start + "\n")
                app_env["FAKETIME_TIMESTAMP_FILE"] = str(clock_file)
                app_env["FAKETIME_NO_CACHE"] = "1"
            else:
                app_env["FAKETIME"] = clock_start
        for key, value in (env or {}).items():
            if value is None:
                app_env.pop(key, None)
            else:
                app_env[key] = str(value)
        log = self.logs / f"{name}.log"
        proc = self._children.spawn(name, [str(binary), *args], env=app_env, log=log, cwd=cwd)
        return App(self, proc, name, app_home, Path(cwd), log, app_env, clock_file)

    # ---- windows ---------------------------------------------------------

    def windows(self) -> list:
        """Top-level windows the window manager manages: [WindowInfo]."""
        out = self._x("wmctrl", "-l", "-p", check_rc=False)
        result = []
        for line in out.splitlines():
            parts = line.split(None, 4)
            if len(parts) < 4:
                continue
            try:
                wid, pid = int(parts[0], 16), int(parts[2])
            except ValueError:
                continue
            result.append(WindowInfo(wid, pid, parts[4] if len(parts) > 4 else ""))
        return result

    def describe_windows(self) -> str:
        try:
            return ", ".join(f"{w.title!r} (0x{w.wid:x}, pid {w.pid})" for w in self.windows()) or "none"
        except Exception as exc:
            return f"unknown ({exc})"

    def find_window(self, title: Union[str, "re.Pattern"], pid: Optional[int] = None) -> Optional[int]:
        """The id of a managed window with exactly this title (or matching a
        compiled regular expression), or None."""
        for w in self.windows():
            if pid is not None and w.pid != pid:
                continue
            if isinstance(title, re.Pattern):
                if title.fullmatch(w.title):
                    return w.wid
            elif w.title == title:
                return w.wid
        return None

    def wait_window(self, title: Union[str, "re.Pattern"], timeout: float = 15.0,
                    pid: Optional[int] = None, app: Optional[App] = None) -> int:
        """Wait until a window with this title is mapped and managed; its id."""
        def seen():
            if app is not None and not app.running():
                raise Failure(f"{app.name} ended ({app.proc.returncode}) before the window "
                              f"{title!r} appeared; it printed:\n{app.output()[-3000:]}")
            return self.find_window(title, pid)
        try:
            return wait_for(seen, timeout, f"a window titled {title!r}")
        except Failure as failure:
            raise Failure(f"{failure}; windows: {self.describe_windows()}") from None

    def wait_no_window(self, title: Union[str, "re.Pattern"], timeout: float = 10.0,
                       pid: Optional[int] = None) -> None:
        wait_for(lambda: self.find_window(title, pid) is None, timeout,
                 f"the window titled {title!r} to go")

    def title(self, wid: int) -> str:
        out = self._x("xprop", "-id", str(wid), "-notype", "_NET_WM_NAME", "WM_NAME")
        for line in out.splitlines():
            m = re.match(r'\s*(_NET_WM_NAME|WM_NAME)\s*=\s*"(.*)"\s*$', line)
            if m:
                return m.group(2)
        return ""

    def geometry(self, wid: int) -> Geometry:
        """Client area in root coordinates plus the window manager's frame."""
        info = self._x("xwininfo", "-id", str(wid))

        def field(label: str) -> int:
            m = re.search(rf"^\s*{label}:\s*(-?\d+)", info, re.M)
            if not m:
                raise Failure(f"xwininfo gave no {label!r} for 0x{wid:x}")
            return int(m.group(1))
        extents = [0, 0, 0, 0]
        out = self._x("xprop", "-id", str(wid), "_NET_FRAME_EXTENTS", check_rc=False)
        m = re.search(r"=\s*(\d+),\s*(\d+),\s*(\d+),\s*(\d+)", out)
        if m:
            extents = [int(g) for g in m.groups()]
        return Geometry(field("Absolute upper-left X"), field("Absolute upper-left Y"),
                        field("Width"), field("Height"), *extents)

    def frame_geometry(self, wid: int) -> Geometry:
        """The window manager's frame window around ``wid`` (the root's child
        holding it), its border included, as a Geometry with no extents."""
        current = wid
        while True:
            tree = self._x("xwininfo", "-children", "-id", str(current))
            m = re.search(r"Parent window id: (0x[0-9a-f]+)( \(the root window\))?", tree)
            if not m:
                raise Failure(f"xwininfo gave no parent for 0x{current:x}")
            if m.group(2):
                break
            current = int(m.group(1), 16)
        info = self._x("xwininfo", "-id", str(current))

        def field(label: str) -> int:
            found = re.search(rf"^\s*{label}:\s*(-?\d+)", info, re.M)
            if not found:
                raise Failure(f"xwininfo gave no {label!r} for 0x{current:x}")
            return int(found.group(1))
        border = field("Border width")
        return Geometry(field("Absolute upper-left X") - border, field("Absolute upper-left Y") - border,
                        field("Width") + 2 * border, field("Height") + 2 * border)

    def net_wm_state(self, wid: int) -> set:
        """The _NET_WM_STATE atoms of a window, e.g. {"_NET_WM_STATE_ABOVE"}."""
        out = self._x("xprop", "-id", str(wid), "_NET_WM_STATE", check_rc=False)
        m = re.search(r"=\s*(.*)$", out.strip())
        if not m:
            return set()
        return {a.strip() for a in m.group(1).split(",") if a.strip()}

    def wait_state(self, wid: int, atom: str, present: bool = True, timeout: float = 5.0) -> None:
        if not atom.startswith("_NET_WM_STATE_"):
            atom = "_NET_WM_STATE_" + atom.upper()
        wait_for(lambda: (atom in self.net_wm_state(wid)) == present, timeout,
                 f"{atom} to be {'set' if present else 'cleared'} on 0x{wid:x}")

    def window_property(self, wid: int, name: str) -> str:
        """Raw xprop text of one property ("" when absent)."""
        out = self._x("xprop", "-id", str(wid), name, check_rc=False)
        return "" if "not found" in out or "no such atom" in out else out.strip()

    def visible_windows(self, pid: Optional[int] = None) -> list:
        """Ids of all mapped windows (popup menus included), optionally of one process."""
        argv = ["xdotool", "search", "--onlyvisible"]
        argv += ["--pid", str(pid)] if pid is not None else ["--name", ""]
        out = self._x(*argv, check_rc=False)
        return [int(x) for x in out.split() if x.isdigit()]

    def window_types(self, wid: int) -> set:
        """_NET_WM_WINDOW_TYPE atoms without their prefix, e.g. {"NORMAL"}."""
        text = self.window_property(wid, "_NET_WM_WINDOW_TYPE")
        return set(re.findall(r"(?<![A-Z_])_NET_WM_WINDOW_TYPE_(\w+)", text))

    def window_type(self, wid: int) -> str:
        """The first _NET_WM_WINDOW_TYPE without its prefix ("NORMAL", "DIALOG").

        Qt 6.4 on X11 maps a QMenu as an override-redirect window typed
        NORMAL: find open menus with popup_windows(), not by this type.
        """
        m = re.search(r"(?<![A-Z_])_NET_WM_WINDOW_TYPE_(\w+)",
                      self.window_property(wid, "_NET_WM_WINDOW_TYPE").split("=", 1)[-1])
        return m.group(1) if m else ""

    def is_override_redirect(self, wid: int) -> bool:
        """True for windows the window manager leaves alone: popup menus, tooltips."""
        out = self._x("xwininfo", "-id", str(wid), check_rc=False)
        return bool(re.search(r"Override Redirect State:\s*yes", out))

    def popup_windows(self, pid: Optional[int] = None) -> list:
        """Mapped override-redirect windows (an open popup menu), of one process if given."""
        return [w for w in self.visible_windows(pid) if self.is_override_redirect(w)]

    # Client pixels of the normal-size main window between its two frames: a release of any
    # mouse button there opens the popup menu.
    MAIN_BACKGROUND = (10, 77)

    def choose_menu_command(self, app: "App", main: int, position: int) -> None:
        """Open the main window's popup menu with a right click on its background and choose
        the position-th command with the keyboard (separators are skipped)."""
        self.click(*self.MAIN_BACKGROUND, button=3, window=main)
        wait_for(lambda: self.popup_windows(app.pid), 5, "the popup menu")
        self.key(*(["Down"] * position), "Return")

    def read_text(self, wid: int) -> str:
        """The text of the window's focused text box, copied through the clipboard as a person
        would (select all, copy)."""
        self.activate(wid)
        self.key("ctrl+a", "ctrl+c", window=wid)
        return self.run_x("xclip", "-o", "-selection", "clipboard", check_rc=False).strip()

    def close_window(self, wid: int) -> None:
        """Ask the window manager to close the window (_NET_CLOSE_WINDOW): the
        program gets WM_DELETE_WINDOW and runs its normal close."""
        self._x("wmctrl", "-i", "-c", f"0x{wid:x}")

    def activate(self, wid: int) -> None:
        self._x("xdotool", "windowactivate", "--sync", str(wid), timeout=10)

    # ---- mouse and keyboard ----------------------------------------------

    def to_root(self, x: int, y: int, window: Optional[int] = None) -> tuple:
        """Root coordinates of a point given relative to ``window``'s client area."""
        if window is None:
            return x, y
        g = self.geometry(window)
        return g.x + x, g.y + y

    def move_mouse(self, x: int, y: int, window: Optional[int] = None) -> None:
        """Move the pointer to x, y (root coordinates, or relative to ``window``)."""
        rx, ry = self.to_root(x, y, window)
        # xdotool's own --sync can wait forever when the pointer is already there
        self._x("xdotool", "mousemove", str(rx), str(ry))
        wait_for(lambda: self.mouse_position() == (rx, ry), 5, f"the pointer to reach {rx},{ry}",
                 interval=0.01)

    def mouse_position(self) -> tuple:
        """The pointer's root coordinates."""
        out = self._x("xdotool", "getmouselocation", "--shell")
        values = dict(line.split("=", 1) for line in out.split() if "=" in line)
        return int(values.get("X", -1)), int(values.get("Y", -1))

    def click(self, x: int, y: int, button: int = 1, window: Optional[int] = None,
              repeat: int = 1) -> None:
        """Click at x, y (root coordinates, or relative to ``window``'s client area)."""
        self.move_mouse(x, y, window)
        self._x("xdotool", "click", "--repeat", str(repeat), "--delay", "80", str(button))

    def mouse_down(self, button: int = 1) -> None:
        self._x("xdotool", "mousedown", str(button))

    def mouse_up(self, button: int = 1) -> None:
        self._x("xdotool", "mouseup", str(button))

    def key(self, *keys: str, window: Optional[int] = None, delay_ms: int = 50) -> None:
        """Press key combinations (xdotool names: "Return", "alt+F4", "Down")
        on the focused window, activating ``window`` first if given."""
        if window is not None:
            self.activate(window)
        self._x("xdotool", "key", "--clearmodifiers", "--delay", str(delay_ms), *keys)

    def type_text(self, text: str, window: Optional[int] = None, delay_ms: Optional[int] = None) -> None:
        """Type text; non-ASCII text goes slowly (xdotool needs ~150 ms a key).

        xdotool types a capital non-ASCII letter (Ü) as its small form, so
        those go as shift plus the letter's keysym.
        """
        if window is not None:
            self.activate(window)
        if delay_ms is None:
            delay_ms = 12 if text.isascii() else 150
        runs: list = []
        for ch in text:
            capital = not ch.isascii() and ch != ch.lower() and len(ch.lower()) == 1
            kind = "capital" if capital else "text"
            if runs and runs[-1][0] == kind == "text":
                runs[-1][1] += ch
            else:
                runs.append([kind, ch])
        for kind, chunk in runs:
            if kind == "capital":
                self._x("xdotool", "key", "--clearmodifiers", "--delay", str(delay_ms),
                        "shift+U%04X" % ord(chunk))
                time.sleep(delay_ms / 1000)
            else:
                self._x("xdotool", "type", "--clearmodifiers", "--delay", str(delay_ms), "--", chunk,
                        timeout=30 + len(chunk) * delay_ms / 1000)

    # ---- screenshots -----------------------------------------------------

    def grab(self, window: Optional[int] = None) -> Image:
        """The screen (or one window) as an Image."""
        argv = ["import", "-window", "root" if window is None else str(window), "-depth", "8", "ppm:-"]
        env = self.base_env()
        out = subprocess.run([_tool("import"), *argv[1:]], env=env, capture_output=True, timeout=60)
        if out.returncode != 0:
            raise Failure(f"import failed: {out.stderr.decode(errors='replace').strip()}")
        return Image.from_ppm(out.stdout)

    def screenshot(self, path: Union[str, Path], window: Optional[int] = None) -> Path:
        """Save the screen (or one window) as a picture (format from the suffix)."""
        return self.grab(window).save(path)


# --------------------------------------------------------------------------
# Running a test script


@dataclasses.dataclass
class TestContext:
    meridex: Path        # the binary under test
    source_dir: Path     # the repository
    work_dir: Path       # this test's folder in the build tree (emptied first)

    @property
    def assets(self) -> Path:
        return self.source_dir / "assets"


def _missing(tools: Iterable[str]) -> list:
    return [t for t in tools if shutil.which(t) is None]


def run_test(test: Callable[[TestContext], None], *, sound: bool = False,
             tools: Sequence[str] = ()) -> None:
    """Parse the CTest command line, run ``test`` and exit 0 / 1 / 77."""
    parser = argparse.ArgumentParser()
    parser.add_argument("--meridex", required=True, type=Path)
    parser.add_argument("--source-dir", type=Path, default=Path(__file__).resolve().parents[2])
    parser.add_argument("--work-dir", type=Path, default=None)
    args = parser.parse_args()
    name = Path(sys.argv[0]).stem
    work_dir = args.work_dir or Path(tempfile.gettempdir()) / f"meridex-e2e-{name}"
    shutil.rmtree(work_dir, ignore_errors=True)
    work_dir.mkdir(parents=True, exist_ok=True)
    started = time.monotonic()
    try:
        absent = _missing(["Xvfb", "openbox"])
        if absent:
            raise Skip(f"{' and '.join(absent)} not installed (bash scripts/install-deps.sh --test)")
        needed = ["xdotool", "xprop", "xwininfo", "wmctrl", "import", "convert", *tools]
        if sound:
            needed += ["pulseaudio", "pactl", "parec"]
        absent = _missing(needed)
        if absent:
            raise Failure(f"missing test tools: {', '.join(absent)} "
                          "(bash scripts/install-deps.sh --test)")
        test(TestContext(args.meridex.resolve(), args.source_dir.resolve(), work_dir.resolve()))
    except Skip as skip:
        print(f"SKIP {name}: {skip}")
        sys.exit(SKIP_RETURN_CODE)
    except (Failure, AssertionError) as failure:
        traceback.print_exc()
        print(f"FAIL {name}: {failure} (artifacts in {work_dir})")
        sys.exit(1)
    except BaseException as error:  # also KeyboardInterrupt from SIGTERM
        traceback.print_exc()
        print(f"ERROR {name}: {error!r} (artifacts in {work_dir})")
        sys.exit(1)
    print(f"PASS {name} in {time.monotonic() - started:.1f} s")
    sys.exit(0)
