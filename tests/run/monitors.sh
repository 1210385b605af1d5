# Two monitors, as Wine shows Xephyr's Xinerama screens: the primary at 0,0-1024,768 and a second
# at 1024,0-2304,1024. The display covers the monitor the player's window is on, or the one Monitor
# names, laid out for that monitor's size; the dialog lists both. At 150 % (LogPixels 144) the title
# strip and the hints are the pixels of 100 %, and no call changes the host thread's DPI awareness.
source "$(dirname "$0")/common.inc"
source "$(dirname "$0")/colours.inc"

# Wine keeps one desktop per wineserver: a prefix of the test's own, copied from the slot's.
PREFIX="$SKYBURST_BUILD_DIR/runs/monitors-prefix"
XEPHYR=
trap '[ "$WINEPREFIX" = "$PREFIX" ] && stop_wineserver; kill "$XEPHYR"; stop_private_display; rm -rf "$PREFIX"*' EXIT
mkdir -p "$(dirname "$PREFIX")"
SKYBURST_SCREEN=2304x1024x24 start_private_display || fail "no X server for Xephyr"
Xephyr -displayfd 3 +xinerama -extension RANDR -screen 1024x768+0+0 -screen 1280x1024+1024+0 -nolisten tcp \
    3>"$PREFIX.fd" </dev/null >/dev/null 2>&1 &
XEPHYR=$!
for _ in $(seq 1 100); do grep -q '^[0-9]' "$PREFIX.fd" 2>/dev/null && break || sleep 0.1; done
rm -rf "$PREFIX" && cp -a "$WINEPREFIX" "$PREFIX"
unset CTEST_RESOURCE_GROUP_0_WINE  # the slot's display and prefix stay as they are
export DISPLAY=":$(head -n 1 "$PREFIX.fd")" WINEPREFIX="$PREFIX"
start_wineserver

# The player's window at, Monitor, the display's left top width height, its flat bars' extent.
for row in "1100,100 0 1024 0 1280 1024 8-1085" "1100,100 1 0 0 1024 768 6-831" "100,100 3 0 0 1024 768 6-831"; do
    read -r window monitor left top width height bars <<<"$row"
    enter_run_dir "monitors-$monitor"
    write_ini Background=4210752 EffectEnabled=0 SpectrumStyle=0 EnhSpect=0 Monitor="$monitor"
    play --seconds 3 --signal full --window "$window" --shot "2000=$(shot_path shot.bmp)"
    [ "$RUN_STATUS" = 0 ] || { cat player.log player.out; fail "Monitor=$monitor: player exit status $RUN_STATUS"; }
    # Below the primary monitor lies no screen: blacked out, it cannot pass for the display.
    have=$("$CONVERT" shot.bmp -fill black -draw "rectangle 0,768 1023,1023" +opaque "rgb(64,64,64)" -trim \
        -format '%[fx:page.x] %[fx:page.y] %w %h' info:)
    [ "$have" = "$left $top $width $height" ] || fail "Monitor=$monitor: display at $have, want $left $top $width $height"
    read -r bl br _ < <(colour_box shot.bmp "$width" 1 "$left" $((top + height - 40)) 128,0,255)
    [ "$bl-$br" = "$bars" ] || fail "Monitor=$monitor: bars span $bl-$br, want $bars"
done

enter_run_dir monitors-dialog
cp "$SKYBURST_BUILD_DIR/skyburst_win_tests.exe" . || fail "build the skyburst_win_tests target"
"$REPO/scripts/wine-run" skyburst_win_tests.exe --gtest_filter=ConfigDialog.OpensOnTheOwners* >out.txt 2>&1 ||
    { cat out.txt; fail "the dialog on two monitors"; }

for dpi in 96 144; do
    enter_run_dir "monitors-dpi-$dpi"
    [ $dpi = 144 ] && printf 'REGEDIT4\r\n[HKEY_CURRENT_USER\\Control Panel\\Desktop]\r\n"LogPixels"=dword:90\r\n' >s.reg &&
        wine regedit /S s.reg </dev/null >/dev/null 2>&1
    write_ini EffectEnabled=0 SpectrumsEnabled=0 vuEnabled=0 ImageEnabled=0 TitleScroll=0
    play --seconds 2 --key 1000=X --shot "1250=$(shot_path shot.bmp)"
    expect_log_line "dpi-awareness Init kept" && expect_log_line "dpi-awareness Quit kept"
    play --config --seconds 1
    expect_log_line "dpi-awareness Config kept"
    # The hint strip at the top of the primary monitor and the title strip at its bottom.
    "$CONVERT" shot.bmp \( -clone 0 -crop 1024x18+0+0 \) \( -clone 0 -crop 1024x16+0+752 \) -delete 0 +repage \
        ../strips-$dpi.png
done
[ "$(colour_box ../strips-96-0.png 1024 18 0 0 0,0,255)" != none ] || fail "no hint shown"
for part in 0 1; do
    differ=$(compare -metric AE ../strips-96-$part.png ../strips-144-$part.png null: 2>&1)
    [ "$differ" = 0 ] || fail "strip $part at 150 %: $differ pixels differ from 100 %"
done
echo ok
