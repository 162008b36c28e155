#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (AddressSanitizer + UndefinedBehaviorSanitizer) and
# runs each for a bounded time. The suite runs them for 20 s each; run longer on demand:
#
#   bash fuzz/fuzz.sh                               every target, 10 minutes each
#   bash fuzz/fuzz.sh --seconds 3600 fuzz_parsedate one target for an hour
#   bash fuzz/fuzz.sh --build-only                  only build
#
# Options: --build-dir DIR (default: build-fuzz beside this folder), --seconds N, --build-only,
# --no-build (use what DIR holds). The corpus grows in DIR/corpus/<target> (seeded from
# fuzz/corpus/<target>); an input that crashes or breaks a property is kept in DIR/artifacts/.
# Exit status: 0 nothing found, 1 a finding (or a failed build), 77 clang or libFuzzer missing.
set -uo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
build="$here/../build-fuzz"
seconds=600
build_only=0
no_build=0
targets=()
while [[ $# -gt 0 ]]; do
    case "$1" in
        --build-dir) build="$2"; shift 2 ;;
        --seconds) seconds="$2"; shift 2 ;;
        --build-only) build_only=1; shift ;;
        --no-build) no_build=1; shift ;;
        -h|--help) sed -n '2,15p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
        -*) echo "fuzz.sh: unknown option $1" >&2; exit 2 ;;
        *) targets+=("$1"); shift ;;
    esac
done
[[ ${#targets[@]} -gt 0 ]] || targets=(fuzz_numeric fuzz_parsedate fuzz_section_names fuzz_readalarms)

clang=$(command -v clang++ || true)
if [[ -z "$clang" ]]; then
    echo "fuzz.sh: SKIP: clang++ is not installed (bash scripts/install-deps.sh --test)"
    exit 77
fi
if ! compgen -G "/usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a" >/dev/null &&
   ! echo 'extern "C" int LLVMFuzzerTestOneInput(const char*, unsigned long){return 0;}' |
     "$clang" -x c++ -fsanitize=fuzzer -o /dev/null - 2>/dev/null; then
    echo "fuzz.sh: SKIP: the libFuzzer runtime is missing (Debian package libclang-rt-14-dev)"
    exit 77
fi

if [[ $no_build -eq 0 ]]; then
    generator=()
    command -v ninja >/dev/null && [[ ! -f "$build/CMakeCache.txt" ]] && generator=(-G Ninja)
    mkdir -p "$build"
    cmake -S "$here" -B "$build" "${generator[@]}" -DCMAKE_CXX_COMPILER="$clang" \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo >"$build/configure.log" 2>&1 ||
        { cat "$build/configure.log"; echo "fuzz.sh: configuring failed"; exit 1; }
    cmake --build "$build" --parallel "$(nproc 2>/dev/null || echo 2)" || { echo "fuzz.sh: build failed"; exit 1; }
fi
[[ $build_only -eq 1 ]] && exit 0

mkdir -p "$build/artifacts"
# Qt's stream reader (QSettings' "@Variant(...)" values) first reserves whatever length the
# bytes claim, gigabytes included, and copes when the allocation fails. AddressSanitizer would
# abort on such a failed allocation and libFuzzer would call it a crash; here a failed
# allocation returns null as it does without the sanitizers, so that Qt's own handling of it is
# what gets tested. What memory is really used stays limited by -rss_limit_mb.
export ASAN_OPTIONS="allocator_may_return_null=1${ASAN_OPTIONS:+:$ASAN_OPTIONS}"
status=0
for target in "${targets[@]}"; do
    binary="$build/$target"
    [[ -x "$binary" ]] || { echo "fuzz.sh: $binary is not built"; status=1; continue; }
    corpus="$build/corpus/$target"
    mkdir -p "$corpus"
    dict=()
    [[ -f "$here/${target#fuzz_}.dict" ]] && dict=(-dict="$here/${target#fuzz_}.dict")
    log="$build/$target.log"
    # -timeout: one input taking longer counts as a hang; -rss_limit_mb: as a memory blow-up.
    # The outer timeout only guards against the fuzzer itself hanging on its way out.
    timeout --kill-after=15 $((seconds + 120)) \
        "$binary" -max_total_time="$seconds" -timeout=30 -rss_limit_mb=3072 \
        -malloc_limit_mb=1048576 -print_final_stats=1 \
        -artifact_prefix="$build/artifacts/$target-" "${dict[@]}" \
        "$corpus" "$here/corpus/$target" >"$log" 2>&1
    rc=$?
    runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$')
    cov=$(grep -o 'cov: [0-9]*' "$log" | tail -n 1 | grep -o '[0-9]*')
    inputs=$(find "$corpus" -type f | wc -l)
    if [[ $rc -eq 0 ]]; then
        echo "$target: ${runs:-?} inputs tried in ${seconds} s, coverage ${cov:-?} edges, corpus $inputs inputs, no finding"
    else
        status=1
        echo "$target: FINDING (exit $rc) after ${runs:-?} inputs; the input is in $build/artifacts/"
        grep -E 'ERROR|PROPERTY BROKEN|SUMMARY|runtime error|==[0-9]+==' "$log" | head -n 20
        echo "(full log: $log; reproduce: $binary <artifact>)"
    fi
done
exit $status
