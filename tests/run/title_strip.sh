# The title strip at the bottom shows the song's title in TitleColor and the clock in ClockColor
# on the side ClockAlign says; players up to version 5811 give the title without its length; a
# moving title moves.
source "$(dirname "$0")/common.inc"
source "$(dirname "$0")/colours.inc"

TITLE=0,255,0      # TitleColor 65280
CLOCK=0,128,255    # ClockColor 16744448
base=(EffectEnabled=0 SpectrumsEnabled=0 vuEnabled=0 TitleColor=65280 ClockColor=16744448)

# Runs with the given extra ini lines and player options; leaves title and clock boxes of the
# 16-pixel strip in TITLE_BOX, LEFT_CLOCK and RIGHT_CLOCK (left and right 120 pixels).
strip_run() {
    local name=$1 ini=$2
    shift 2
    enter_run_dir "$name"
    # shellcheck disable=SC2086
    write_ini "${base[@]}" $ini
    play --seconds 3.5 --shot "2500=$(shot_path a.bmp)" --shot "3000=$(shot_path b.bmp)" "$@"
    [ "$RUN_STATUS" = 0 ] || { cat player.log player.out; fail "$name: player exit status $RUN_STATUS"; }
    read -r W H < <(screen_size a.bmp)
    TITLE_BOX=$(colour_box a.bmp "$W" 16 0 $((H - 16)) $TITLE)
    TITLE_BOX_LATER=$(colour_box b.bmp "$W" 16 0 $((H - 16)) $TITLE)
    LEFT_CLOCK=$(colour_box a.bmp 120 16 0 $((H - 16)) $CLOCK)
    RIGHT_CLOCK=$(colour_box a.bmp 120 16 $((W - 120)) $((H - 16)) $CLOCK)
    echo "$name: title $TITLE_BOX, clock left $LEFT_CLOCK, right $RIGHT_CLOCK"
}

strip_run clock-right "TitleScroll=0 ClockAlign=1"
[ "$TITLE_BOX" != none ] || fail "no title pixels in TitleColor"
[ "$RIGHT_CLOCK" != none ] && [ "$LEFT_CLOCK" = none ] || fail "ClockAlign 1: clock not at the right end"
[ "$TITLE_BOX" = "$TITLE_BOX_LATER" ] || fail "a static title moved: $TITLE_BOX then $TITLE_BOX_LATER"
expect_log_match '^requests version=1 length=[1-9][0-9]* position=[1-9][0-9]* title=[1-9][0-9]*$'
read -r l r _ <<<"$TITLE_BOX"
full_width=$((r - l))

strip_run clock-left "TitleScroll=0 ClockAlign=256"
[ "$LEFT_CLOCK" != none ] && [ "$RIGHT_CLOCK" = none ] || fail "ClockAlign 256: clock not at the left end"

strip_run old-player "TitleScroll=0" --version 5811
expect_log_match '^requests version=1 length=0 '
read -r l r _ <<<"$TITLE_BOX"
[ $((r - l)) -lt $((full_width - 20)) ] || fail "version 5811: title as wide as with its length ($((r - l)) vs $full_width)"

strip_run moving "TitleScroll=1"
[ "$TITLE_BOX" != none ] && [ "$TITLE_BOX" != "$TITLE_BOX_LATER" ] || fail "title right to left did not move"

strip_run disabled "TitleEnabled=0"
[ "$TITLE_BOX" = none ] && [ "$RIGHT_CLOCK" = none ] || fail "TitleEnabled=0 still shows the strip"
expect_log_match '^requests version=0 length=0 position=0 '
echo ok
