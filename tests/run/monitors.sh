# The display on a desktop of two monitors, the primary at 0,0-1024,768 and a second at
# 1024,0-2304,1024 (Xephyr's two Xinerama screens, which Wine shows as monitors): it covers the
# monitor that holds the player's window, or the one Monitor names, with the layout of that
# monitor's size, and the dialog lists both. Then at 150 % scaling (LogPixels 144) the title strip
# and the hints are the pixels they are at 100 %, and Init, Config and Quit leave the host thread's
# DPI awareness as they found it.
source "$(dirname "$0")/common.inc"
source "$(dirname "$0")/colours.inc"

WIN_TESTS="$SKYBURST_BUILD_DIR/skyburst_win_tests.exe"
[ -f "$WIN_TESTS" ] || fail "missing $WIN_TESTS: build the skyburst_win_tests target"

# The desktop: Xephyr inside an X server of its size. Wine keeps one desktop per wineserver, so the
# test has a prefix of its own, copied from the slot's, whose scaling it may change.
PREFIX="$SKYBURST_BUILD_DIR/runs/monitors-prefix"
XEPHYR_PID=
cleanup() {
    [ -n "${WINEPREFIX:-}" ] && [ "$WINEPREFIX" = "$PREFIX" ] && stop_wineserver
    [ -n "$XEPHYR_PID" ] && kill "$XEPHYR_PID" 2>/dev/null && wait "$XEPHYR_PID" 2>/dev/null
    stop_private_display
    rm -rf "$PREFIX"
}
trap cleanup EXIT
SKYBURST_SCREEN=2304x1024x24 start_private_display || fail "no X server for Xephyr"
numfile=$(mktemp)
Xephyr -displayfd 3 +xinerama -extension RANDR -screen 1024x768+0+0 -screen 1280x1024+1024+0 -nolisten tcp \
    3>"$numfile" </dev/null >/dev/null 2>&1 &
XEPHYR_PID=$!
for _ in $(seq 1 100); do
    grep -q '^[0-9][0-9]*$' "$numfile" && break
    sleep 0.1
done
n=$(head -n 1 "$numfile")
rm -f "$numfile"
[ -n "$n" ] || fail "Xephyr did not start"
rm -rf "$PREFIX"
mkdir -p "$(dirname "$PREFIX")"
cp -a "$WINEPREFIX" "$PREFIX"
# The slot's display and prefix are left alone from here on.
unset CTEST_RESOURCE_GROUP_0_WINE
export DISPLAY=":$n" WINEPREFIX="$PREFIX"
start_wineserver

BACKGROUND=64,64,64 # Background 4210752
BARS=128,0,255      # Spectrums 16711808, flat

# The player's window at   Monitor   the display covers (left top width height)   its bars span
placements=(
    "1100,100 0 1024 0 1280 1024 8-1085"
    "1100,100 1 0 0 1024 768 6-831"
    "100,100 3 0 0 1024 768 6-831"
)
for row in "${placements[@]}"; do
    read -r window monitor left top width height bars <<<"$row"
    enter_run_dir "monitors-$monitor"
    write_ini Background=4210752 EffectEnabled=0 SpectrumStyle=0 EnhSpect=0 Monitor="$monitor"
    play --seconds 3 --signal full --window "$window" --shot "2000=$(shot_path shot.bmp)"
    [ "$RUN_STATUS" = 0 ] || { cat player.log player.out; fail "Monitor=$monitor: player exit status $RUN_STATUS"; }
    # What lies below the primary monitor is on no screen: blacked out, it cannot pass for the display.
    have=$("$CONVERT" shot.bmp -fill black -draw "rectangle 0,768 1023,1023" -fill black +opaque "rgb($BACKGROUND)" \
        -trim -format '%[fx:page.x] %[fx:page.y] %w %h' info:)
    [ "$have" = "$left $top $width $height" ] ||
        fail "player at $window, Monitor=$monitor: the display covers $have, want $left $top $width $height"
    read -r bl br _ < <(colour_box shot.bmp "$width" 1 "$left" $((top + height - 40)) $BARS)
    [ "$bl-$br" = "$bars" ] || fail "player at $window, Monitor=$monitor: bars span $bl-$br, want $bars"
    [ "$monitor" = 0 ] && cp shot.bmp ../monitors-second.bmp
done

# The dialog on a desktop of two monitors: the Windows test asks Wine for them itself.
enter_run_dir monitors-dialog
cp "$WIN_TESTS" .
timeout -k 5 120 "$REPO/scripts/wine-run" skyburst_win_tests.exe \
    --gtest_filter=ConfigDialog.OpensOnTheOwnersMonitorAndListsEveryMonitor >tests.out 2>&1 ||
    { cat tests.out; fail "the dialog's monitors"; }

# The same title strip and hint at 100 % and at 150 %; the thread's awareness kept by each call.
scaled_run() {
    enter_run_dir "monitors-dpi-$1"
    write_ini EffectEnabled=0 SpectrumsEnabled=0 vuEnabled=0 ImageEnabled=0 TitleScroll=0
    play --seconds 2 --key 1000=X --shot "1250=$(shot_path shot.bmp)"
    [ "$RUN_STATUS" = 0 ] || { cat player.log player.out; fail "at $1 dpi: player exit status $RUN_STATUS"; }
    expect_log_line "dpi-awareness Init kept"
    expect_log_line "dpi-awareness Quit kept"
    play --config --seconds 1
    expect_log_line "dpi-awareness Config kept"
    # The primary monitor's hint strip at the top and title strip at the bottom.
    "$CONVERT" shot.bmp -crop 1024x18+0+0 +repage ../hints-"$1".png
    "$CONVERT" shot.bmp -crop 1024x16+0+752 +repage ../title-"$1".png
}
scaled_run 96
printf 'REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Control Panel\\Desktop]\r\n"LogPixels"=dword:00000090\r\n' >scale.reg
timeout 60 wine regedit /S scale.reg </dev/null >/dev/null 2>&1 || fail "LogPixels not set"
scaled_run 144
cd .. || exit 1
for part in hints title; do
    differ=$(compare -metric AE "$part-96.png" "$part-144.png" null: 2>&1)
    [ "$differ" = 0 ] || fail "$part at 150 %: $differ pixels differ from 100 %"
done
# Not two empty strips: the play hint is blue.
[ "$("$CONVERT" hints-96.png -fill black +opaque "rgb(0,0,255)" -format '%[fx:maxima>0]' info:)" = 1 ] ||
    fail "no hint in the shot"
echo ok
