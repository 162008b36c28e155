#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Benchmark: Meridex beside the Qt floor (bench/qtfloor) and xclock.
#
#   bash bench/run-bench.sh             full run: 5 runs x (start-up, RSS at 10 s,
#                                       60 s idle) per program, then 10 min of
#                                       tick tracing per program (about 50 min)
#   bash bench/run-bench.sh --quick     2 runs, 20 s idle, 60 s of ticks (~6 min)
#   bash bench/run-bench.sh --markdown  the table as Markdown (for RESULTS.md)
#   other options go to bench/bench.py (python3 bench/bench.py --help), e.g.
#   --runs N --idle S --accuracy S --programs meridex,qtfloor --tracer strace
#
# Installs the Debian packages it needs when missing (apt-get), builds Meridex
# (Release) in build-bench-meridex and the Qt floor in build-bench-qtfloor,
# then runs bench/bench.py, which starts its own Xvfb + openbox and stops
# everything it started. Work files and results.json: build-bench-run/.
# Exit status: 0 all targets met, 1 a target missed, 2 could not run.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
repo="$(cd "$here/.." && pwd)"
meridex_build="${MERIDEX_BENCH_BUILD:-$repo/build-bench-meridex}"
floor_build="${MERIDEX_BENCH_FLOOR_BUILD:-$repo/build-bench-qtfloor}"

# ---- what the bench needs, installed only when missing ------------------------
packages=(
    build-essential cmake ninja-build qt6-base-dev libpulse-dev libgl-dev libxcb1-dev
    libsndfile1-dev libsamplerate0-dev
    qt6-qpa-plugins fonts-liberation
    xvfb openbox xdotool x11-utils x11-apps wmctrl imagemagick dbus-daemon dbus-x11
    strace linux-perf iproute2 python3
)
missing=()
for pkg in "${packages[@]}"; do
    status="$(dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null || true)"
    [[ "$status" == "install ok installed" ]] || missing+=("$pkg")
done
if [[ ${#missing[@]} -gt 0 ]]; then
    echo "run-bench.sh: installing ${missing[*]}"
    sudo=()
    [[ $(id -u) -eq 0 ]] || sudo=(sudo)
    export DEBIAN_FRONTEND=noninteractive
    "${sudo[@]}" apt-get update -qq
    "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# ---- builds ----------------------------------------------------------------------
echo "run-bench.sh: building Meridex (Release) in $meridex_build"
cmake -S "$repo" -B "$meridex_build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
cmake --build "$meridex_build" --target meridex
echo "run-bench.sh: building the Qt floor in $floor_build"
cmake -S "$here/qtfloor" -B "$floor_build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$floor_build"

# ---- measure ---------------------------------------------------------------------
exec python3 "$here/bench.py" --meridex "$meridex_build/meridex" --qtfloor "$floor_build/qtfloor" "$@"
