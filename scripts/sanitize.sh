#!/usr/bin/env bash
# scripts/sanitize.sh: the native unit tests once more, built with AddressSanitizer and
# UndefinedBehaviorSanitizer, and with ThreadSanitizer (the renderers' threads and hand-over).
# Exits non-zero on any failure or sanitizer report.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc 2>/dev/null || echo 2)

# Built with clang, as the GIF reader's fuzzing builds are: the instrumented code compiles in less than
# half the time g++ takes (the sanitizers and their runtime are the same family).
cxx=clang++-14
command -v "$cxx" >/dev/null || cxx=clang++

# run_with NAME FLAGS FILTER [CMAKE_ARG...]
# Debug builds with line tables only (-g1): the sanitizers' reports name functions, files and lines, and
# the builds take a fifth less time than with full debug information.
run_with() {
    local name=$1 flags=$2 filter=$3
    local build="build/$name"
    cmake -S . -B "$build" -DCMAKE_CXX_COMPILER="$cxx" -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS="$flags" \
        -DCMAKE_CXX_FLAGS_DEBUG=-g1 "${@:4}" \
        >"$build.configure.log" 2>&1 ||
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
run_with asan "-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer" '*' \
    -DSKYBURST_UNIT_TEST_FILES=
# ThreadSanitizer runs the suites of the renderers' threads and hand-over, so only the files that hold
# them are built.
tsan_suites=(Thread Rocket Light)
tsan_files=$(grep -l -E "^TEST(_F|_P)?\(($(IFS='|'; echo "${tsan_suites[*]}"))" tests/unit/*.cpp | xargs -n 1 basename |
    paste -sd ';')
[ -n "$tsan_files" ] || { echo "no test files for ThreadSanitizer" >&2; exit 1; }
run_with tsan "-fsanitize=thread" "$(printf '%s*:' "${tsan_suites[@]}" | sed 's/:$//')" \
    -DSKYBURST_UNIT_TEST_FILES="$tsan_files"
