# The image overlays on the 1024 x 768 screen, whose main area is 1024 x 737 (15-pixel VU strip,
# 16-pixel title strip) with MainPanelRight 1023. No effect and no sound, so only the images, the
# resting peak blocks (rows 731 to 734 of each band cell) and the strips below are lit.
source "$(dirname "$0")/common.inc"
H=737

lit() { lit_pixels "$1" "$2" "$3" "$4" "$5"; }
expect_lit() {  # FILE W H X Y MIN WHAT
    local n
    n=$(lit "$1" "$2" "$3" "$4" "$5")
    [ "$n" -ge "$6" ] || fail "$1: $7: only $n lit pixels in $2x$3+$4+$5"
}
expect_dark() {  # FILE W H X Y WHAT
    local n
    n=$(lit "$1" "$2" "$3" "$4" "$5")
    [ "$n" = 0 ] || fail "$1: $6: $n lit pixels in $2x$3+$4+$5"
}
# Rows below 20 are left out where a key's hint may show.

# Built-in set 1: MYGIF1 at (840, 537), MYGIF3 at (983, 0); the bands end at 840 (cells 23 wide
# from x = 6, the last one ending at 832). Space: set 2, MYGIF2 at (826, 564) and the opaque MYGIF4
# at (0, 641), the bands between them from x = 105 (cells 20 wide); none, the bands over the whole
# width; set 1 again.
check_set1() {
    expect_lit "$1" 183 200 840 537 500 "MYGIF1"
    expect_lit "$1" 40 20 983 20 20 "MYGIF3"
    expect_dark "$1" 143 490 840 40 "above MYGIF1"
    expect_dark "$1" 1 $H 1023 0 "the last column"
    expect_dark "$1" 7 4 833 731 "between the bands and MYGIF1"
    expect_lit "$1" 21 4 811 731 20 "the last band's block"
}
enter_run_dir image_sets
write_ini EffectEnabled=0
play --seconds 5.5 --signal silence --shot "1500=$(shot_path set1.bmp)" --shot "1800=$(shot_path set1b.bmp)" \
    --key 2000=Space \
    --shot "2700=$(shot_path set2.bmp)" --key 3200=Space --shot "3900=$(shot_path none.bmp)" \
    --key 4400=Space --shot "5100=$(shot_path again.bmp)"
[ "$RUN_STATUS" = 0 ] || { cat player.log player.out; fail "player exit status $RUN_STATUS"; }
check_set1 set1.bmp
# The images animate: 300 ms later MYGIF1 shows another of its 200 ms frames.
changed=$("$CONVERT" set1.bmp set1b.bmp -crop 183x200+840+537 +repage -compose difference -composite \
    -colorspace gray -threshold 0 -format '%[fx:int(mean*w*h+0.5)]' info: | tail -n 1)
[ "$changed" -gt 50 ] || fail "MYGIF1 did not move: $changed pixels changed in 300 ms"
expect_lit set2.bmp 197 173 826 564 500 "MYGIF2"
expect_lit set2.bmp 104 96 0 641 9000 "the opaque MYGIF4"
expect_dark set2.bmp 40 20 983 20 "no top image in set 2"
expect_dark set2.bmp 700 500 110 20 "between the images"
expect_dark set2.bmp 3 4 823 731 "between the bands and MYGIF2"
expect_lit set2.bmp 18 4 105 731 20 "the first band's block"
expect_dark none.bmp 1024 700 0 20 "no images"
expect_lit none.bmp 26 4 987 731 20 "the last band at full width"
check_set1 again.bmp

# A user set whose first file is missing shows only the second image, here at the bottom right.
enter_run_dir image_user_missing
cp "$REPO/resources/MYGIF3.gif" star.gif
write_ini EffectEnabled=0 LoadGif=User "UserGif1A=$(winepath -w "$RUN_DIR/missing.gif" 2>/dev/null)" GifAlign1A=0 \
    "UserGif1B=$(winepath -w "$RUN_DIR/star.gif" 2>/dev/null)" GifAlign1B=3
play --seconds 2.5 --signal silence --shot "1500=$(shot_path shot.bmp)"
[ "$RUN_STATUS" = 0 ] || { cat player.log player.out; fail "player exit status $RUN_STATUS"; }
expect_lit shot.bmp 40 40 983 697 100 "the second image"
expect_dark shot.bmp 980 690 0 20 "nothing else"
# The bands make room for it: 983 pixels, cells 27 wide from x = 5, the last one ending at 975.
expect_dark shot.bmp 8 4 975 731 "between the bands and the image"
expect_lit shot.bmp 25 4 950 731 20 "the last band's block"

# Hostile files: a GIF cut off after 300 bytes and one that claims 65535 x 65535 pixels. The display
# keeps running (Space cycles through the user sets, the second of which names nothing).
enter_run_dir image_user_hostile
head -c 300 "$REPO/resources/MYGIF1.gif" >cut.gif
printf 'GIF89a\xff\xff\xff\xff\x80\x00\x00\x00\x00\x00\xff\xff\xff\x2c\x00\x00\x00\x00\xff\xff\xff\xff\x00\x08\x02\x00\x01\x00\x3b' >huge.gif
write_ini LoadGif=User "UserGif1A=$(winepath -w "$RUN_DIR/cut.gif" 2>/dev/null)" GifAlign1A=4 \
    "UserGif1B=$(winepath -w "$RUN_DIR/huge.gif" 2>/dev/null)" GifAlign1B=3
play --seconds 3 --signal beat --key 1000=Space --key 1500=Space --key 2000=Space
[ "$RUN_STATUS" = 0 ] || { cat player.log player.out; fail "player exit status $RUN_STATUS"; }
expect_log_match '^render count=[1-9][0-9]+ nonzero=0$'
expect_log_line 'unload'
echo ok
