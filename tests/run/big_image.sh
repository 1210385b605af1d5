# A user's full-HD animation of 200 frames, beyond what the image budget holds: it shows and animates, the frames
# the budget cannot hold decoded from the file as they are shown. The file is made here (2 MB, 400 MB of pixels).
source "$(dirname "$0")/common.inc"

enter_run_dir big_image
python3 "$REPO/tests/run/big_gif.py" 1920 1080 200 big.gif || fail "cannot make big.gif"
write_ini EffectEnabled=0 SpectrumsEnabled=0 LoadGif=User "UserGif1A=$(winepath -w "$RUN_DIR/big.gif" 2>/dev/null)" \
    GifAlign1A=0 "UserGif1B=" GifAlign1B=3
play --seconds 6 --signal silence --shot "3000=$(shot_path a.bmp)" --shot "3300=$(shot_path b.bmp)" \
    --shot "3600=$(shot_path c.bmp)" --shot "5500=$(shot_path d.bmp)"
[ "$RUN_STATUS" = 0 ] || { cat player.log player.out; fail "player exit status $RUN_STATUS"; }
expect_log_line 'unload'
# The image covers the main area (1024 x 737) from its top left corner, with bands of colour everywhere.
for shot in a b c d; do
    n=$(lit_pixels $shot.bmp 1024 700 0 30)
    [ "$n" -gt 600000 ] || fail "$shot.bmp: the image is not shown ($n lit pixels)"
done
# Every frame moves the bands: shots 300 ms apart differ unless a whole cycle of four pictures lay between them.
differ() {
    "$CONVERT" "$1" "$2" -crop 1024x700+0+30 +repage -compose difference -composite -colorspace gray \
        -threshold 0 -format '%[fx:int(mean*w*h+0.5)]' info: | tail -n 1
}
moves=0
for pair in "a b" "b c" "c d"; do
    set -- $pair
    [ "$(differ $1.bmp $2.bmp)" -gt 10000 ] && moves=$((moves + 1))
done
[ "$moves" -ge 2 ] || fail "the animation does not move: $moves of 3 pairs of shots differ"
echo ok
