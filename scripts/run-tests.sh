#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing (build and test tools), builds Meridex with its
# tests and runs every test: unit, widget (offscreen), end-to-end (Xvfb +
# openbox, PulseAudio null sink, faketime), install checks.
#
#   bash scripts/run-tests.sh              everything, then the window-manager matrix
#   bash scripts/run-tests.sh -L e2e       extra arguments go to ctest (no matrix then)
#
# Build folder: build-tests (RelWithDebInfo).  MERIDEX_CMAKE_ARGS adds
# configure options.  The exit status is ctest's.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build-tests"
jobs="$(nproc 2>/dev/null || echo 2)"

bash "$root/scripts/install-deps.sh" --test

# A folder configured with another generator cannot be reused.
if [[ -f "$build/CMakeCache.txt" ]] && ! grep -q '^CMAKE_GENERATOR:INTERNAL=Ninja$' "$build/CMakeCache.txt"; then
    rm -rf "$build"
fi

# shellcheck disable=SC2086
cmake -S "$root" -B "$build" -G Ninja \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=ON ${MERIDEX_CMAKE_ARGS:-}
cmake --build "$build" --parallel "$jobs"

cd "$build"
set +e
ctest --output-on-failure --no-tests=error -j "$jobs" "$@"
status=$?
# The clock under the window managers of the common desktops: a few minutes, one desktop at a
# time, so only in the full run.
if [[ $# -eq 0 ]]; then
    ctest --output-on-failure --no-tests=error -C wm -L wm
    wm_status=$?
    [[ $status -ne 0 ]] || status=$wm_status
fi
exit "$status"
