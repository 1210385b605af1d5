#!/usr/bin/env bash
# bench/cpu/plugin_cpu.sh [SECONDS] [REPS] [plugin_cpu.py options]: what the running plug-in costs, at 1024 x 768 and
# 1920 x 1080, each screen on a private virtual display of its own.
set -euo pipefail
cd "$(dirname "$0")/../.."
export SKYBURST_BUILD_ROOT="${SKYBURST_BUILD_ROOT:-$PWD/build}"
seconds=${1:-10}
reps=${2:-5}
echo "share of one core: player with Skyburst minus player with a do-nothing plug-in, and minus player with a"
echo "plug-in that only makes the three player requests (player and wineserver; the X server apart)"
for screen in 1024x768 1920x1080; do
    (
        source scripts/wine-env.sh
        SKYBURST_SCREEN="${screen}x24" start_private_display
        export SKYBURST_XVFB_PID
        prepare_wine_prefix
        start_wineserver
        trap 'stop_wineserver; stop_private_display' EXIT
        python3 bench/cpu/plugin_cpu.py "$SKYBURST_BUILD_ROOT/win32" "$screen" --seconds "$seconds" --reps "$reps" "${@:3}"
    )
done
