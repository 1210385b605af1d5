# No plugin.ini value, however absurd, crashes or hangs the plug-in: every number key set to 0,
# to the extremes of 32 bits, and to garbage, in turn; the run must end cleanly each time.
source "$(dirname "$0")/common.inc"
numbers="Background MeterForeground MeterBackground Spectrums SpectrumStyle vustyle Effect SkyburstLatency
SpectrumsLatency vuLatency LightLatency StarQty Brightness LightSpeed LightCenterX LightCenterY Gravity
MaxRocketNumber RocketStyleVar MaxRocketPatchNumber MaxRocketPatchLength MaxRocketEnergy MaxSpectrumH BarB
vumeterH vuB VUsegW TitleScroll TitleColor ClockAlign ClockColor GifAlign1A GifAlign1B GifAlign2A GifAlign2B"
for value in 0 -1 -2147483648 2147483647 "garbage$(printf "%05000d" 7)"; do
    for effect in 0 1; do
        name="absurd-${value:0:12}-$effect"
        enter_run_dir "$name"
        args=(LoadGif=user "UserGif1A=$(printf 'x%.0s' $(seq 1 1500))")
        for key in $numbers; do
            args+=("$key=$value")
        done
        # The effect chooser last, so both effects meet the absurd values.
        args+=("Effect=$effect")
        write_ini "${args[@]}"
        PLAY_TIMEOUT=60 play --seconds 2 --signal noise
        [ "$RUN_STATUS" = 0 ] || { tail -5 player.log; cat player.out; fail "$name: player exit status $RUN_STATUS"; }
        expect_log_line 'unload'
    done
done
echo ok
