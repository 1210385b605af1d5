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
play --seconds 4 --signal full --key 1000=Space --shot "1600=$(shot_path space.bmp)" \
    --key 2000=X --shot "3200=$(shot_path hint.bmp)"
[ "$RUN_STATUS" = 0 ] || { cat player.log player.out; fail "player exit status $RUN_STATUS"; }
for shot in space hint; do
    for k in 0 1 17 34 35; do
        x=$(bar_centre $k)
        for y in $((H - 1)) $((H - 110)) $((H - 219)); do
            IFS=, read -r r g b <<<"$(pixel $shot.bmp "$x" "$y")"
            [ "$b" -ge 200 ] && [ "$r" -ge 100 ] || fail "after the $shot repaint bar $k at ($x,$y) is $r,$g,$b"
        done
        [ "$(pixel $shot.bmp "$x" $((H - 240)))" = "0,0,0" ] || fail "after the $shot repaint bar $k is too tall"
    done
done
echo ok
