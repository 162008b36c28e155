#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian 12 packages Meridex needs, and only those that are missing.
#
#   bash scripts/install-deps.sh            to build and run the clock
#   bash scripts/install-deps.sh --test     also what the tests use
#   bash scripts/install-deps.sh --bench    also what bench/ uses
#   bash scripts/install-deps.sh --xvfb     also the virtual display (xvfb-run)
#   bash scripts/install-deps.sh --list     print the chosen packages, install nothing
#
# A machine that has everything is checked in about a second (dpkg-query, no
# network).  Otherwise: one `apt-get update`, then one `apt-get install`.
# Runs as root, or through sudo for another user; never asks questions.
set -euo pipefail

# ---- The one list of packages ---------------------------------------------
# To build and run: compiler, CMake + Ninja, Qt 6 Widgets, the X11 and Wayland
# platform plugins, libsndfile and libsamplerate (decoding and resampling
# sounds), libpulse (playing them), OpenGL headers Qt's CMake files ask for,
# libxcb (a few requests to the window manager), and the Liberation fonts
# standing in for the design's fonts.
RUN_PACKAGES=(
    build-essential cmake ninja-build
    qt6-base-dev qt6-qpa-plugins qt6-wayland
    libsndfile1-dev libsamplerate0-dev libpulse-dev libgl-dev libxcb1-dev libfontconfig-dev
    fonts-liberation
)
# Virtual display for a machine without a screen.
XVFB_PACKAGES=(xvfb xauth)
# Tests: X server + window manager + X tools + clipboard + screenshots (end-to-end), a
# Wayland desktop with XWayland (weston), a
# sound server with its recorder, the wall clock moved from outside, sound
# files, the harness's Python, launcher/metadata validators and Debian's package checker
# (lintian), a session bus of its own and the autolaunch that must not be set off without one
# (one clock per display), the accessibility bus with its Python client (what a
# screen reader sees), the window managers of the common desktops (the
# window-manager matrix, ctest -C wm -L wm), clang with its
# sanitizer and libFuzzer runtimes, and GMT with its coastlines and
# borders, and Ghostscript for the time zone map.
TEST_PACKAGES=(
    "${XVFB_PACKAGES[@]}"
    openbox xdotool wmctrl xclip x11-utils imagemagick weston xwayland
    pulseaudio pulseaudio-utils faketime sox python3
    desktop-file-utils appstream lintian dbus-daemon dbus-x11 at-spi2-core python3-pyatspi
    xfwm4 marco mate-settings-daemon-common metacity mutter kwin-x11 kwin-style-breeze
    icewm fluxbox
    clang libclang-rt-14-dev
    gmt gmt-gshhg-low gmt-dcw ghostscript
)
# Benchmark: the reference clock (xclock) and tracing of the X traffic.
BENCH_PACKAGES=("${XVFB_PACKAGES[@]}" openbox x11-apps x11-utils xdotool strace python3)

want=("${RUN_PACKAGES[@]}")
list_only=0
for arg in "$@"; do
    case "$arg" in
        --test) want+=("${TEST_PACKAGES[@]}") ;;
        --bench) want+=("${BENCH_PACKAGES[@]}") ;;
        --xvfb) want+=("${XVFB_PACKAGES[@]}") ;;
        --list) list_only=1 ;;
        -h|--help) sed -n '2,11p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
        *) echo "install-deps.sh: unknown option '$arg' (try --help)" >&2; exit 2 ;;
    esac
done
mapfile -t want < <(printf '%s\n' "${want[@]}" | awk '!seen[$0]++')

if [[ $list_only -eq 1 ]]; then
    printf '%s\n' "${want[@]}"
    exit 0
fi

if ! command -v dpkg-query >/dev/null 2>&1 || ! command -v apt-get >/dev/null 2>&1; then
    echo "install-deps.sh: this needs Debian 12 (dpkg and apt-get); install by hand: ${want[*]}" >&2
    exit 1
fi

# Installed = dpkg's status "install ok installed".
mapfile -t installed < <(dpkg-query -W -f='${Package} ${Status}\n' "${want[@]}" 2>/dev/null \
    | awk '$2 == "install" && $4 == "installed" { print $1 }')
missing=()
for pkg in "${want[@]}"; do
    found=0
    for have in "${installed[@]}"; do
        if [[ "$have" == "$pkg" ]]; then found=1; break; fi
    done
    [[ $found -eq 1 ]] || missing+=("$pkg")
done

if [[ ${#missing[@]} -eq 0 ]]; then
    echo "install-deps.sh: all ${#want[@]} packages are installed."
    exit 0
fi

as_root=()
if [[ $(id -u) -ne 0 ]]; then
    if ! command -v sudo >/dev/null 2>&1; then
        echo "install-deps.sh: missing packages (${missing[*]}); run as root or install sudo." >&2
        exit 1
    fi
    as_root=(sudo)
fi

export DEBIAN_FRONTEND=noninteractive
apt_options=(-y -q -o Dpkg::Use-Pty=0 -o Acquire::Retries=3 -o DPkg::Lock::Timeout=300
             -o Dpkg::Options::=--force-confdef -o Dpkg::Options::=--force-confold)

echo "install-deps.sh: installing ${#missing[@]} missing packages: ${missing[*]}"
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get "${apt_options[@]}" update </dev/null
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive \
    apt-get "${apt_options[@]}" install "${missing[@]}" </dev/null
echo "install-deps.sh: done."
