#!/usr/bin/env bash
# Saves a PNG of each page of the configuration dialog:  scripts/config-shots.sh [OUT_DIR]
# (default docs/config). Needs the Windows build (vis_skyburst and player targets). The dialog is
# opened by the test player's --config in a private folder, whose plugin.ini asks for the user's
# images so that the GIF sets show; Right on the focused tab strip turns the pages.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
out=$(realpath -m "${1:-docs/config}")
export SKYBURST_BUILD_ROOT="${SKYBURST_BUILD_ROOT:-$root/build}"
win="$SKYBURST_BUILD_ROOT/win32"
work="$SKYBURST_BUILD_ROOT/config-shots"
for f in player.exe vis_skyburst.dll; do
    [ -f "$win/$f" ] || { echo "missing $win/$f: build the vis_skyburst and player targets" >&2; exit 1; }
done
mkdir -p "$work" "$out"
cp "$win/player.exe" "$win/vis_skyburst.dll" "$work/"
printf '[Skyburst]\r\nLoadGif=User\r\nUserGif1A=C:\\gifs\\rocket.gif\r\nUserGif1B=C:\\gifs\\stars.gif\r\n' \
    >"$work/plugin.ini"

source scripts/wine-env.sh
start_private_display
trap 'stop_wineserver; stop_private_display' EXIT
prepare_wine_prefix
start_wineserver

pages=(effects spectrums vu-meters images misc about)
args=()
for i in "${!pages[@]}"; do
    ms=$((1000 + i * 600))
    args+=(--shot "$ms=${pages[$i]}.bmp")
    [ "$i" -lt 5 ] && args+=(--key "$((ms + 300))=Right")
done
(cd "$work" && timeout 120 wine ./player.exe vis_skyburst.dll --config --seconds 5 "${args[@]}" --log config.log \
    </dev/null) || echo "player exit status $?" >&2

convert=convert
[ -x /usr/bin/convert ] && convert=/usr/bin/convert  # ImageMagick itself, not a wrapper on PATH
for page in "${pages[@]}"; do
    # The dialog is centred on the screen; a little more than its frame, then the black trimmed.
    "$convert" "$work/$page.bmp" -gravity center -crop 480x376+0+0 +repage -trim +repage "$out/$page.png"
    echo "$out/$page.png"
done
