# The background effects draw in the main area: rockets with the default settings, star
# streaks with Effect=1.
source "$(dirname "$0")/common.inc"
for effect in 0 1; do
    enter_run_dir "effect-$effect"
    write_ini "Effect=$effect" SpectrumsEnabled=0 vuEnabled=0 TitleEnabled=0
    play --seconds 4 --signal beat --shot "3000=$(shot_path shot.bmp)"
    [ "$RUN_STATUS" = 0 ] || { cat player.log player.out; fail "Effect=$effect: player exit status $RUN_STATUS"; }
    lit=$(lit_pixels shot.bmp 1024 700 0 0)
    [ "$lit" -ge 20 ] || fail "Effect=$effect: only $lit pixels drawn in the main area"
    echo "Effect=$effect: $lit pixels drawn"
done
echo ok
