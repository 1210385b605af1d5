# Full scale: 36 bars of MaxSpectrumH stand on the bottom of the main area, in the spectrum
# colour family, and both VU bars reach full length. Silence: no bars, blocks at rest.
source "$(dirname "$0")/common.inc"

# The 1024 x 768 screen gives MainPanelRight 1023 and, without the title strip, a main area
# 768 - 15 = 753 high; with the images switched off
# the cells are 28 wide from x = 7, bar k covering columns 28k + 7 to 28k + 32.
H=753
bar_centre() { echo $((28 * $1 + 7 + 13)); }

vu_colour() { [ "$1" -ge 200 ] && [ "$3" -lt 200 ]; }

enter_run_dir bars_full
write_ini EffectEnabled=0 TitleEnabled=0 ImageEnabled=0 vusegmented=0
SERIES_ARGS=()
add_shot_series full 1600
play --seconds 3 --signal full "${SERIES_ARGS[@]}"
[ "$RUN_STATUS" = 0 ] || { cat player.log player.out; fail "player exit status $RUN_STATUS"; }
shot=$(first_shot_where full "$(bar_centre 0)" $((H - 1)) bar_colour) || fail "no shot shows bar 0 standing"
for k in 0 1 17 35; do
    x=$(bar_centre $k)
    for y in $((H - 1)) $((H - 110)) $((H - 220)); do
        IFS=, read -r r g b <<<"$(pixel "$shot" "$x" "$y")"
        bar_colour "$r" "$g" "$b" || fail "bar $k at ($x,$y) is $r,$g,$b"
    done
    [ "$(pixel "$shot" "$x" $((H - 240)))" = "0,0,0" ] || fail "bar $k is taller than 220"
    [ "$(pixel "$shot" $((28 * k + 7 + 27)) $((H - 50)))" = "0,0,0" ] || fail "no gap after bar $k"
done
# VU bars: left 13..505, right 517..1009, rows 2..12 of the strip below the main area.
shot=$(first_shot_where full 504 $((H + 7)) vu_colour) || fail "no shot shows the left VU bar at full length"
for x in 14 300 504 518 700 1008; do
    IFS=, read -r r g b <<<"$(pixel "$shot" "$x" $((H + 7)))"
    vu_colour "$r" "$g" "$b" || fail "VU bar at ($x,$((H + 7))) is $r,$g,$b"
done

enter_run_dir bars_silent
write_ini EffectEnabled=0 TitleEnabled=0 ImageEnabled=0
play --seconds 2 --signal silence --shot "1500=$(shot_path shot.bmp)"
[ "$RUN_STATUS" = 0 ] || { cat player.log player.out; fail "player exit status $RUN_STATUS"; }
for k in 0 35; do
    x=$(bar_centre $k)
    [ "$(pixel shot.bmp "$x" $((H - 1)))" = "0,0,0" ] || fail "bar $k stands in silence"
    # Resting block: rows H - BarB - 3 to H - 4.
    [ "$(pixel shot.bmp "$x" $((H - 5)))" != "0,0,0" ] || fail "bar $k has no resting block"
done
# Loud for 2 s, then silent: the bars fall back to nothing and the blocks sink to rest (one row a
# frame, so 220 rows take under 4 s at the default 15 ms; 7 s leaves room for a loaded machine's
# slower frames, as the shots of the loud part up to 1.8 s do for its slower start).
enter_run_dir bars_fall
write_ini EffectEnabled=0 TitleEnabled=0 ImageEnabled=0
sox -n -r 44100 -c 2 -b 16 loud.wav synth 2 whitenoise vol 0.9 &&
    sox -n -r 44100 -c 2 -b 16 quiet.wav trim 0 8 &&
    sox loud.wav quiet.wav music.wav || fail "sox could not make the test sound"
SERIES_ARGS=()
add_shot_series loud 1400
play --seconds 9.5 --wav "$(shot_path music.wav)" "${SERIES_ARGS[@]}" --shot "9200=$(shot_path rest.bmp)"
[ "$RUN_STATUS" = 0 ] || { cat player.log player.out; fail "player exit status $RUN_STATUS"; }
risen=0
for i in $(seq 1 $SERIES_LENGTH); do
    standing=0
    for k in $(seq 0 35); do
        [ "$(pixel "loud$i.bmp" "$(bar_centre "$k")" $((H - 30)))" != "0,0,0" ] && standing=$((standing + 1))
    done
    [ "$standing" -gt "$risen" ] && risen=$standing
    [ "$risen" -ge 30 ] && break
done
[ "$risen" -ge 30 ] || fail "only $risen bars stood while the sound was loud"
for k in 0 9 18 27 35; do
    x=$(bar_centre "$k")
    [ "$(pixel rest.bmp "$x" $((H - 30)))" = "0,0,0" ] || fail "bar $k did not fall back"
    [ "$(pixel rest.bmp "$x" $((H - 5)))" != "0,0,0" ] || fail "bar $k has no block at rest"
    [ "$(pixel rest.bmp "$x" $((H - 8)))" = "0,0,0" ] || fail "bar $k's block is not at rest yet"
done
echo ok
