# Esc and a right click each end the display: the plug-in posts its quit request and the run
# ends well before its time, cleanly.
source "$(dirname "$0")/common.inc"
for input in "--key 2000=Esc" "--rclick 2000"; do
    enter_run_dir "ends-${input%% *}"
    # shellcheck disable=SC2086
    play --seconds 20 $input
    [ "$RUN_STATUS" = 0 ] || { cat player.log player.out; fail "$input: player exit status $RUN_STATUS"; }
    expect_log_line 'quit-request'
    expect_log_line 'quit'
    expect_log_line 'unload'
    [ "$RUN_MS" -lt 15000 ] || fail "$input: the run took ${RUN_MS} ms of its 20 s"
done
echo ok
