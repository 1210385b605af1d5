#!/usr/bin/env bash
# bench/memory/plugin_memory.sh [CYCLES] [PLUGIN.dll]: how much a host's process grows when it loads, starts,
# stops and unloads the plug-in over and over, for user GIFs, the built-in images and everything off.
set -euo pipefail
cd "$(dirname "$0")/../.."
export SKYBURST_BUILD_ROOT="${SKYBURST_BUILD_ROOT:-$PWD/build}"
cycles=${1:-1000}
bin="$SKYBURST_BUILD_ROOT/win32"
plugin=$(realpath "${2:-$bin/vis_skyburst.dll}")
gif() { winepath -w "$PWD/$1"; }
source scripts/wine-env.sh
start_private_display
prepare_wine_prefix
start_wineserver
trap 'rm -f "$bin/plugin.ini" "$bin/restore_previous.gif"; stop_wineserver; stop_private_display' EXIT
# A small animation whose sprites restore what was under them ("restore to previous"), over an opaque first
# frame: the kind of user image whose saved pictures a cycle must give back.
convert -size 160x120 xc:none -dispose none -delay 6 \( -size 160x120 xc:none -fill navy -draw 'rectangle 4,4 155,115' \) \
    -dispose previous \( -size 32x32 xc:none -fill red -draw 'circle 16,16 16,2' -repage +8+8 \) \
    \( -size 32x32 xc:none -fill yellow -draw 'circle 16,16 16,2' -repage +48+40 \) \
    \( -size 32x32 xc:none -fill lime -draw 'circle 16,16 16,2' -repage +90+70 \) -loop 0 "$bin/restore_previous.gif"
declare -A setups=(
    ["user GIFs"]="LoadGif=User
UserGif1A=$(gif resources/MYGIF1.gif)
UserGif1B=$(winepath -w "$bin/restore_previous.gif")
GifAlign1A=3
GifAlign1B=1"
    ["built-in images"]="LoadGif=Default"
    ["everything off"]="ImageEnabled=0
EffectEnabled=0
SpectrumsEnabled=0
vuEnabled=0
TitleEnabled=0"
)
for name in "user GIFs" "built-in images" "everything off"; do
    printf '[Skyburst]\r\n%s\r\n' "${setups[$name]//$'\n'/$'\r\n'}" >"$bin/plugin.ini"
    echo "== $name"
    timeout 3600 wine "$bin/plugin_memory.exe" "$(winepath -w "$plugin")" "$cycles" </dev/null
done
