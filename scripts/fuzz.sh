#!/usr/bin/env bash
# scripts/fuzz.sh [SECONDS]: builds the GIF reader's sanitizer builds with clang in build/fuzz, runs the GIF
# unit tests under ASan and UBSan (the fast decoder's plain code and its SSE2 code both), then fuzzes the
# reader for SECONDS seconds (default 60) over a working copy of the public GIF corpus. Exits non-zero on any
# test failure, crash or sanitizer report.
# scripts/fuzz.sh --build-only: only the builds (./run test makes them early, below the tests in priority).
set -euo pipefail

seconds=${1:-60}
cd "$(dirname "$0")/.."
repo=$(pwd)
build=build/fuzz
seeds="$repo/../shared/gif-corpus"

cxx=clang++-14
command -v "$cxx" >/dev/null || cxx=clang++

cmake -S fuzz -B "$build" -DCMAKE_CXX_COMPILER="$cxx" -DCMAKE_BUILD_TYPE=None >/dev/null
cmake --build "$build" -j2
[ "$seconds" = --build-only ] && exit 0

if [ -x "$build/gif_unit_tests_asan" ]; then
    echo "== GIF unit tests under ASan and UBSan"
    "$build/gif_unit_tests_asan" --gtest_brief=1
fi

echo "== fuzzing the GIF reader for ${seconds}s"
work="$build/corpus"
rm -rf "$work"
mkdir -p "$work"
if [ -d "$seeds" ]; then
    # Prefixed with their folder so that equal names in two suites do not collide.
    for f in "$seeds"/*/*.gif; do
        cp "$f" "$work/$(basename "$(dirname "$f")")-$(basename "$f")"
    done
else
    echo "no seed corpus at $seeds; starting from nothing" >&2
fi

set +e
"$build/gif_fuzz" "$work" -dict=fuzz/gif.dict -max_total_time="$seconds" -timeout=30 -rss_limit_mb=4096 \
    -max_len=65536 -print_final_stats=1 -artifact_prefix="$build/crash-" >"$build/fuzz.log" 2>&1
status=$?
set -e
grep -E '^(Done [0-9]+ runs|stat::number_of_executed_units|==[0-9]+==ERROR|SUMMARY)|runtime error' "$build/fuzz.log" || true
if [ "$status" -ne 0 ]; then
    echo "fuzzing found a problem (exit $status); see $build/fuzz.log and $build/crash-*" >&2
    exit "$status"
fi
echo "fuzzing: no crash"
