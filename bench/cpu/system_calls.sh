#!/usr/bin/env bash
# bench/cpu/system_calls.sh [SECONDS] [DLL...]: what a steady second of the player with each plug-in asks of the
# system: the wineserver's requests by name (WINEDEBUG=+server) and the X server's requests and protocol errors
# (xtrace, from Debian's package of that name). Counts, which the machine's load does not change. Each DLL runs for
# SECONDS and for twice as long; the difference, divided by SECONDS, leaves out the start and the end. plugin.ini in
# build/win32 is the plug-in's settings; DLLs default to Skyburst and the plug-in that only makes the player requests.
set -euo pipefail
cd "$(dirname "$0")/../.."
export SKYBURST_BUILD_ROOT="${SKYBURST_BUILD_ROOT:-$PWD/build}"
build=$SKYBURST_BUILD_ROOT/win32
seconds=${1:-3}
shift || true
dlls=("$@")
[ ${#dlls[@]} -gt 0 ] || dlls=("$build/vis_skyburst.dll" "$build/requests_vis.dll")
command -v xtrace >/dev/null || { echo "xtrace is missing: apt-get install xtrace" >&2; exit 1; }
source scripts/wine-env.sh
start_private_display
trap 'stop_wineserver; stop_private_display' EXIT
prepare_wine_prefix
real_display=$DISPLAY
work=$(mktemp -d)
trap 'rm -rf "$work"; stop_wineserver; stop_private_display' EXIT
cp "$build/player.exe" "$work/"
[ -f "$build/plugin.ini" ] && cp "$build/plugin.ini" "$work/"

# run DLL SECONDS OUT: server requests by name into OUT.server, X requests and errors into OUT.x
run() {
    # The wineserver that the run starts writes its requests to the run's error output.
    stop_wineserver
    (cd "$work" && WINEDEBUG=+server xtrace -n -d "$real_display" -D :77 -o "$3.xtrace" -- env DISPLAY=:77 \
        wine player.exe "$1" --plugin-thread --seconds "$2" </dev/null >/dev/null 2>"$3.log") || true
    # A request's line names it with its arguments; its reply's line repeats the name before " = ".
    { grep -v ") = " "$3.log" | grep -oE "^[0-9a-f]{4}: [a-z_]+\(" || true; } | sed -E 's/^[0-9a-f]+: //; s/\($//' | sort | uniq -c >"$3.server"
    printf '%s x_requests\n%s x_errors\n' "$(grep -cE '^[0-9]+:<:' "$3.xtrace" || true)" \
        "$(grep -cE ':Error ' "$3.xtrace" || true)" >"$3.x"
    rm -f "$3.log" "$3.xtrace"
}

for dll in "${dlls[@]}"; do
    cp "$dll" "$work/"
    name=$(basename "$dll")
    run "$name" "$seconds" "$work/short"
    run "$name" $((2 * seconds)) "$work/long"
    echo "$name: per second of steady rendering"
    cat "$work/short.server" "$work/short.x" | awk '{print "short", $2, $1}' >"$work/counts"
    cat "$work/long.server" "$work/long.x" | awk '{print "long", $2, $1}' >>"$work/counts"
    awk -v s="$seconds" '{ n[$2] += ($1 == "long" ? $3 : -$3) } END { for (k in n) printf "%10.1f  %s\n", n[k] / s, k }' \
        "$work/counts" | sort -rn | head -n 16
done
