# Every command key reaches the player as its menu command, and the hint strip at the top shows
# each hint in its colour, for as long as it should; after a stop the jump hints grow their long
# form.
source "$(dirname "$0")/common.inc"
source "$(dirname "$0")/colours.inc"

enter_run_dir keys-commands
write_ini EffectEnabled=0 SpectrumsEnabled=0 vuEnabled=0
play --seconds 6 --key 1000=Up --key 1300=Down --key 1600=Z --key 1900=X --key 2200=C --key 2500=C --key 2800=V \
    --key 3100=B --key 3400=X --key 3700=Period --key 4000=Comma --key 4300=Space
[ "$RUN_STATUS" = 0 ] || { cat player.log player.out; fail "player exit status $RUN_STATUS"; }
have=$(grep '^command ' player.log | tr '\n' ' ')
want="command id=40058 command id=40059 command id=40044 command id=40045 command id=40046 command id=40046 \
command id=40047 command id=40048 command id=40045 command id=40060 command id=40061 "
[ "$have" = "$want" ] || { cat player.log; fail "commands: have '$have', want '$want'"; }

enter_run_dir keys-hints
write_ini EffectEnabled=0 SpectrumsEnabled=0 vuEnabled=0
# Z: the short jump hint (500 ms); X at 2000 shows a blue hint that is gone by 3200; V then Z:
# the long form, which stays.
play --seconds 5 --key 1000=Z --shot "1250=$(shot_path short.bmp)" --key 2000=X --shot "2200=$(shot_path play.bmp)" \
    --shot "3200=$(shot_path gone.bmp)" --key 3400=V --shot "3600=$(shot_path stop.bmp)" --key 3900=Z \
    --shot "4200=$(shot_path long.bmp)"
[ "$RUN_STATUS" = 0 ] || { cat player.log player.out; fail "player exit status $RUN_STATUS"; }
read -r width _ < <(screen_size short.bmp)
strip() { colour_box "$1" "$width" 18 0 0 "$2"; }
short=$(strip short.bmp 128,0,128)
long=$(strip long.bmp 128,0,128)
[ "$short" != none ] && [ "$long" != none ] || fail "jump hints not seen: short '$short', long '$long'"
read -r sl sr _ <<<"$short"
read -r ll lr _ <<<"$long"
[ $((lr - ll)) -gt $((sr - sl + 100)) ] || fail "after stop the jump hint is not the long form: $short vs $long"
[ "$(strip play.bmp 0,0,255)" != none ] || fail "play hint not shown in blue"
[ "$(strip gone.bmp 0,0,255)" = none ] || fail "play hint still shown after its 500 ms"
[ "$(strip stop.bmp 255,0,0)" != none ] || fail "stop hint not shown in red"
echo "short hint $short, long hint $long"
echo ok
