#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Run: bash fuzz/fuzz.sh [seconds a target, default 600] [target...], or ctest -L fuzz in a build configured with -DMERIDEX_FUZZ=ON.
# Builds the libFuzzer targets with clang (ASan + UBSan; Debian: clang, libclang-rt-14-dev) in
# $MERIDEX_FUZZ_BUILD (default build-fuzz/) and runs each in turn; its corpus grows there, and
# an input that fails is kept there as <target>-crash-* (rerun it: <target> <file>).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${MERIDEX_FUZZ_BUILD:-$here/../build-fuzz}
[[ $# -gt 1 ]] || set -- "${1:-600}" fuzz_numeric fuzz_parsedate fuzz_readalarms
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$build" --target "${@:2}"
# The settings file fuzz_readalarms writes goes to memory: on disk it runs several times slower.
work=$(mktemp -d -p /dev/shm 2>/dev/null || mktemp -d) && trap 'rm -rf "$work"' EXIT && cd "$work"
# Qt reserves whatever a "@Variant(...)" value claims and copes when that fails: neither ASan
# nor libFuzzer's malloc limit may call such a reservation a crash.
export ASAN_OPTIONS=allocator_may_return_null=1
for target in "${@:2}"; do
    mkdir -p "$build/corpus/$target"
    "$build/$target" -max_total_time="$1" -malloc_limit_mb=1048576 \
        -dict="$here/${target#fuzz_}.dict" -artifact_prefix="$build/$target-" \
        "$build/corpus/$target" "$here/corpus/$target"
done
