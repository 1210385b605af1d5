# Sourced by the run script and the test wrappers: a private 32-bit Wine prefix inside the build
# tree, a private X display when none is given, and a warm wineserver.
#   SKYBURST_BUILD_ROOT  the build folder (default: <repo>/build)

skyburst_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
: "${SKYBURST_BUILD_ROOT:=$skyburst_root/build}"
export WINEARCH=win32
export WINEPREFIX="${WINEPREFIX:-$SKYBURST_BUILD_ROOT/wineprefix}"
export WINEDEBUG=-all
# No Mono or Gecko: their installers would ask questions and fetch from the network.
export WINEDLLOVERRIDES="mscoree=;mshtml=;winemenubuilder.exe="

wine_prefix_ready() { [ -f "$WINEPREFIX/.skyburst-ready" ]; }

# Starts Xvfb on a display number it picks itself (no race with other runs starting theirs) and
# exports DISPLAY once the server accepts connections.
start_private_display() {
    local numfile n="" i
    numfile=$(mktemp)
    Xvfb -displayfd 3 -screen 0 "${SKYBURST_SCREEN:-1024x768x24}" -nolisten tcp 3>"$numfile" </dev/null \
        >/dev/null 2>&1 &
    SKYBURST_XVFB_PID=$!
    for i in $(seq 1 100); do
        # The number is written, with a line end, when the server is ready.
        if grep -q '^[0-9][0-9]*$' "$numfile"; then
            n=$(head -n 1 "$numfile")
            break
        fi
        kill -0 "$SKYBURST_XVFB_PID" 2>/dev/null || break
        sleep 0.1
    done
    rm -f "$numfile"
    if [ -z "$n" ]; then
        echo "Xvfb did not start" >&2
        stop_private_display
        return 1
    fi
    export DISPLAY=":$n"
}

stop_private_display() {
    if [ -n "${SKYBURST_XVFB_PID:-}" ]; then
        kill "$SKYBURST_XVFB_PID" 2>/dev/null
        wait "$SKYBURST_XVFB_PID" 2>/dev/null
        SKYBURST_XVFB_PID=
    fi
}

# Creates and configures the prefix once; later runs find it ready.
prepare_wine_prefix() {
    wine_prefix_ready && return 0
    mkdir -p "$WINEPREFIX"
    echo "creating the Wine prefix in $WINEPREFIX"
    timeout 300 wineboot -i </dev/null >/dev/null 2>&1 || true
    timeout 120 wineserver -w </dev/null >/dev/null 2>&1 || true
    local reg="$WINEPREFIX/skyburst.reg"
    cat >"$reg" <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"Managed"="N"
"Decorated"="N"

[HKEY_CURRENT_USER\Software\Wine\WineDbg]
"ShowCrashDialog"=dword:00000000

[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]
"Arial"="Liberation Sans"
"MS Sans Serif"="Liberation Sans"
REG
    timeout 120 wine regedit /S "$reg" </dev/null >/dev/null 2>&1
    timeout 120 wineserver -w </dev/null >/dev/null 2>&1 || true
    local fonts="$WINEPREFIX/drive_c/windows/Fonts"
    mkdir -p "$fonts"
    cp -n /usr/share/wine/fonts/* "$fonts/" 2>/dev/null || true
    cp -n /usr/share/fonts/truetype/liberation/LiberationSans*.ttf "$fonts/" 2>/dev/null || true
    touch "$WINEPREFIX/.skyburst-ready"
}

# One wineserver stays up for the whole run, so each process does not start its own. The first
# program also starts Wine's background services; started here with their output sent away, they
# cannot hold a caller's pipes open (ctest would wait for them forever).
start_wineserver() {
    wineserver -p </dev/null >/dev/null 2>&1 &
    timeout 120 wine cmd /c exit </dev/null >/dev/null 2>&1 || true
}

wineserver_running() {
    pgrep -u "$(id -u)" -x wineserver >/dev/null 2>&1 || pgrep -u "$(id -u)" -f 'wineserver' >/dev/null 2>&1
}

stop_wineserver() {
    timeout 30 wineserver -k </dev/null >/dev/null 2>&1 || true
}

# Side-by-side Wine tests. ./run test gives ctest a pool of Wine slots, each with its own prefix,
# wineserver and virtual display; a test that asked for one (ctest sets CTEST_RESOURCE_GROUP_0_WINE)
# runs in the slot it was given, so tests in other slots cannot see its windows, focus or keys.
# Outside such a run nothing changes.
use_wine_slot() {
    local group=${CTEST_RESOURCE_GROUP_0_WINE:-} id
    [ -n "$group" ] || return 0
    id=${group#id:}
    id=${id%%,*}
    # shellcheck disable=SC1090
    source "$SKYBURST_BUILD_ROOT/wine-slots/$id.env"
}
