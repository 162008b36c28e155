#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, builds Meridex (Release, folder build) and starts
# it from the folder that holds the time zone map (assets/), where the
# program looks for it.  Arguments are passed to the program.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build"

if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
    # Make the suggested command below work on this machine too.
    bash "$root/scripts/install-deps.sh" --xvfb
else
    bash "$root/scripts/install-deps.sh"
fi

if [[ -f "$build/CMakeCache.txt" ]] && ! grep -q '^CMAKE_GENERATOR:INTERNAL=Ninja$' "$build/CMakeCache.txt"; then
    rm -rf "$build"
fi
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF
cmake --build "$build" --parallel "$(nproc 2>/dev/null || echo 2)" --target meridex

if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
    echo "start-clock.sh: no display (DISPLAY and WAYLAND_DISPLAY are empty); to run Meridex on a virtual display instead, use: xvfb-run -a bash scripts/start-clock.sh" >&2
    exit 3
fi

if [[ -d "$root/assets" ]]; then
    cd "$root/assets"
else
    cd "$root"
fi
exec "$build/meridex" "$@"
