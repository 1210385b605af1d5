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

# Starts Xvfb on a free display number unless DISPLAY is already usable (or forced private).
start_private_display() {
    local n
    for n in $(seq 91 120); do
        if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then
            Xvfb ":$n" -screen 0 "${SKYBURST_SCREEN:-1024x768x24}" -nolisten tcp </dev/null >/dev/null 2>&1 &
            SKYBURST_XVFB_PID=$!
            export DISPLAY=":$n"
            local i
            for i in $(seq 1 50); do
                [ -e "/tmp/.X11-unix/X$n" ] && return 0
                sleep 0.1
            done
            echo "Xvfb did not start on :$n" >&2
            return 1
        fi
    done
    echo "no free X display number" >&2
    return 1
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
