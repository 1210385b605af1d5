#!/usr/bin/env bash
# Builds the release twice from fresh clones of one commit, in two folders of different names and depths,
# one after the other, and compares the DLLs, the zips and the setup programs byte for byte:
#   scripts/check-reproducible.sh [COMMIT]   (default HEAD; committed work only)
# Exits non-zero when they differ; the clones are then kept for a look (diffoscope, objdump -x).
set -euo pipefail
cd "$(dirname "$0")/.."
commit=$(git rev-parse "${1:-HEAD}")
work=$(mktemp -d "${TMPDIR:-/tmp}/skyburst-repro.XXXXXX")
first="$work/a"
second="$work/second/build-here/b"

build_in() {
    git clone -q --no-hardlinks . "$1"
    git -C "$1" checkout -q "$commit"
    echo "== building $commit in $1 ($(date -u +%H:%M:%S))"
    (cd "$1" && ./run dist >"$1.log" 2>&1) || { tail -30 "$1.log"; return 1; }
}

build_in "$first"
build_in "$second"

status=0
for file in build/dist/*/vis_skyburst.dll dist/*.zip dist/*-setup.exe; do
    a=$(cd "$first" && ls $file) b=$(cd "$second" && ls $file)
    if cmp -s "$first/$a" "$second/$b"; then
        echo "same: $a $(sha256sum <"$first/$a" | cut -d' ' -f1)"
    else
        echo "DIFFERENT: $a" >&2
        status=1
    fi
done
if [ "$status" = 0 ]; then
    rm -rf "$work"
else
    echo "the two clones are kept in $work" >&2
fi
exit "$status"
