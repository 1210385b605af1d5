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

# A hint strip makes the system repaint only the rows it uncovers, yet the repaint makes the
# renderer forget every bar and block it drew. Regression: the blocks of a loud start stayed
# frozen high up through the silence after a key, never erased again.
enter_run_dir blocks_after_hint
write_ini EffectEnabled=0 TitleEnabled=0 ImageEnabled=0
sox -V1 -R -n -r 44100 -c 2 -b 16 noise.wav synth 2 whitenoise vol 0.9 pad 0 8
play --seconds 10 --wav noise.wav --key 2600=X --shot "9200=$(shot_path quiet.bmp)"
[ "$RUN_STATUS" = 0 ] || { cat player.log player.out; fail "player exit status $RUN_STATUS"; }
# At rest the blocks take rows H - 6 to H - 4 and the bars nothing: no pixel above is lit.
lit=$(lit_pixels quiet.bmp 1024 $((H - 6)) 0 0)
[ "$lit" = 0 ] || fail "after the hint and the silence $lit pixels are lit above the resting blocks"
echo ok
