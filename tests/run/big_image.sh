# A user's full-HD animation of 200 frames, beyond what the image budget holds: it shows and animates, the frames
# the budget cannot hold decoded from the file as they are shown. The file is made here (2 MB, 400 MB of pixels).
source "$(dirname "$0")/common.inc"

enter_run_dir big_image
python3 "$REPO/tests/run/big_gif.py" 1920 1080 200 big.gif || fail "cannot make big.gif"
write_ini EffectEnabled=0 SpectrumsEnabled=0 LoadGif=User "UserGif1A=$(winepath -w "$RUN_DIR/big.gif" 2>/dev/null)" \
    GifAlign1A=0 "UserGif1B=" GifAlign1B=3
times="2500 2730 3010 3370 4150 5500"
shots=""
for t in $times; do shots="$shots --shot $t=$(shot_path s$t.bmp)"; done
# shellcheck disable=SC2086
play --seconds 6 --signal silence $shots
[ "$RUN_STATUS" = 0 ] || { cat player.log player.out; fail "player exit status $RUN_STATUS"; }
expect_log_line 'unload'
# The image covers the main area (1024 x 737) from its top left corner, with bands of colour everywhere.
for t in $times; do
    n=$(lit_pixels s$t.bmp 1024 700 0 30)
    [ "$n" -gt 600000 ] || fail "s$t.bmp: the image is not shown ($n lit pixels)"
done
# Every frame moves the bands (five pictures in turn): shots taken at uneven times mostly differ.
differ() {
    "$CONVERT" "$1" "$2" -crop 1024x700+0+30 +repage -compose difference -composite -colorspace gray \
        -threshold 0 -format '%[fx:int(mean*w*h+0.5)]' info: | tail -n 1
}
moves=0
previous=""
for t in $times; do
    if [ -n "$previous" ] && [ "$(differ s$previous.bmp s$t.bmp)" -gt 10000 ]; then
        moves=$((moves + 1))
    fi
    previous=$t
done
[ "$moves" -ge 3 ] || fail "the animation does not move: $moves of 5 pairs of shots differ"
echo ok
