#!/usr/bin/env bash
# scripts/sanitize.sh: the native unit tests once more, built with AddressSanitizer and
# UndefinedBehaviorSanitizer, and with ThreadSanitizer (the renderers' threads and hand-over).
# Exits non-zero on any failure or sanitizer report.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc 2>/dev/null || echo 2)

run_with() {
    local name=$1 flags=$2 filter=$3
    local build="build/$name"
    cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS="$flags" >"$build.configure.log" 2>&1 ||
        { cat "$build.configure.log"; return 1; }
    cmake --build "$build" -j"$jobs" --target skyburst_unit_tests >"$build.build.log" 2>&1 ||
        { tail -50 "$build.build.log"; return 1; }
    echo "== native unit tests under $name"
    "$build/skyburst_unit_tests" --gtest_brief=1 --gtest_filter="$filter"
}

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1
mkdir -p build
run_with asan "-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer" '*'
run_with tsan "-fsanitize=thread" 'Thread*:Rocket*:Light*'
