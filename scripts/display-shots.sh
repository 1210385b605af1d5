#!/usr/bin/env bash
# Saves what the display looks like, for the README:  scripts/display-shots.sh [OUT_DIR]
# (default docs/display): skyburst.png, one full-size screenshot, and skyburst.gif, four seconds of
# the display at half size and ten frames a second. Needs the Windows build (vis_skyburst and player
# targets). The test player plays the demo's music through the DLL on a private virtual display and
# takes a screenshot every 100 ms; ImageMagick makes the pictures from those frames.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
out=$(realpath -m "${1:-docs/display}")
export SKYBURST_BUILD_ROOT="${SKYBURST_BUILD_ROOT:-$root/build}"
win="$SKYBURST_BUILD_ROOT/win32"
work="$SKYBURST_BUILD_ROOT/display-shots"
for f in player.exe vis_skyburst.dll; do
    [ -f "$win/$f" ] || { echo "missing $win/$f: build the vis_skyburst and player targets" >&2; exit 1; }
done
rm -rf "$work"
mkdir -p "$work" "$out"
cp "$win/player.exe" "$win/vis_skyburst.dll" "$work/"
bash player/make-sample.sh "$work/sample.wav"

source scripts/wine-env.sh
start_private_display
trap 'stop_wineserver; stop_private_display' EXIT
prepare_wine_prefix
start_wineserver

first_ms=2000 frames=40 step_ms=100 still=5
args=()
for i in $(seq 0 $((frames - 1))); do
    args+=(--shot "$((first_ms + i * step_ms))=$(printf 'frame%02d.bmp' "$i")")
done
# The second image set halfway through.
args+=(--key "$((first_ms + frames * step_ms / 2))=Space")
(cd "$work" && timeout 120 wine ./player.exe vis_skyburst.dll --seconds 7 --wav sample.wav \
    --title "Skyburst - the demo's own music" "${args[@]}" --log player.log </dev/null) ||
    echo "player exit status $?" >&2

convert=convert
[ -x /usr/bin/convert ] && convert=/usr/bin/convert  # ImageMagick itself, not a wrapper on PATH
shots=("$work"/frame*.bmp)
[ "${#shots[@]}" -eq "$frames" ] || { echo "only ${#shots[@]} of $frames frames were taken" >&2; exit 1; }
"$convert" "$work/$(printf 'frame%02d.bmp' "$still")" "$out/skyburst.png"
# One palette for all frames keeps the colours steady; unchanged pixels become transparent.
"$convert" -delay "$((step_ms / 10))" -loop 0 "${shots[@]}" -resize 50% +dither -colors 96 -layers Optimize \
    "$out/skyburst.gif"
ls -l "$out/skyburst.png" "$out/skyburst.gif"
