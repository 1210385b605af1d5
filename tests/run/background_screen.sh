# With every moving part switched off, the display covers the whole screen in Background.
source "$(dirname "$0")/common.inc"
enter_run_dir background_screen
# Blue 153, green 102, red 51.
write_ini Background=10053171 EffectEnabled=0 SpectrumsEnabled=0 vuEnabled=0 TitleEnabled=0 ImageEnabled=0
play --seconds 3 --shot "1500=$(winepath -w "$RUN_DIR/shot.bmp" 2>/dev/null)"
[ "$RUN_STATUS" = 0 ] || { cat player.log player.out; fail "player exit status $RUN_STATUS"; }
[ -f shot.bmp ] || fail "no screenshot"
size=$("$CONVERT" shot.bmp -format '%w %h' info:)
[ "$size" = "1024 768" ] || fail "screenshot size $size"
for xy in "0 0" "1023 0" "512 384" "0 767" "1023 767" "300 700"; do
    set -- $xy
    got=$(pixel shot.bmp "$1" "$2")
    [ "$got" = "51,102,153" ] || fail "pixel ($1,$2) is $got, want 51,102,153"
done
echo ok
