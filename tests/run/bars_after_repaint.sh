# A steady sound keeps its bars through repaints of the main area: after Space (the next image
# set) and after a hint strip comes and goes, every bar stands whole again within a few frames.
# Regression: the bars vanished for good, as a steady bar never rose past the height it had drawn.
source "$(dirname "$0")/common.inc"

# 1024 x 768 without the title strip: the main area is 768 - 15 = 753 high. Built-in set 2 puts
# a 197-pixel image at the bottom right and a 104-pixel one at the bottom left, which leaves
# 722 pixels: cells 20 wide from x = 104 + 1, bar k covering columns 20k + 105 to 20k + 122.
H=753
bar_centre() { echo $((20 * $1 + 105 + 9)); }

enter_run_dir bars_after_repaint
write_ini EffectEnabled=0 TitleEnabled=0
SERIES_ARGS=()
add_shot_series space 1500
add_shot_series hint 3000
play --seconds 4 --signal full --key 1000=Space --key 2000=X "${SERIES_ARGS[@]}"
[ "$RUN_STATUS" = 0 ] || { cat player.log player.out; fail "player exit status $RUN_STATUS"; }
for series in space hint; do
    shot=$(first_shot_where $series "$(bar_centre 0)" $((H - 1)) bar_colour) ||
        fail "after the $series repaint no shot shows bar 0 standing"
    for k in 0 1 17 34 35; do
        x=$(bar_centre $k)
        for y in $((H - 1)) $((H - 110)) $((H - 219)); do
            IFS=, read -r r g b <<<"$(pixel "$shot" "$x" "$y")"
            bar_colour "$r" "$g" "$b" || fail "after the $series repaint bar $k at ($x,$y) is $r,$g,$b"
        done
        [ "$(pixel "$shot" "$x" $((H - 240)))" = "0,0,0" ] || fail "after the $series repaint bar $k is too tall"
    done
done
echo ok
