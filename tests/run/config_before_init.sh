# Config as the first and only call: the dialog shows over the player, writes the keys whose
# controls changed while filling, closes when asked, and nothing of it outlives the call.
source "$(dirname "$0")/common.inc"
enter_run_dir config_before_init
write_ini "Gravity=333"
# The dialog can take more than a second to appear on a loaded machine.
play --config --seconds 3 --shot 2000=dialog.bmp --key 2200=Right
[ "$RUN_STATUS" = 0 ] || { cat player.log player.out; fail "player exit status $RUN_STATUS"; }
expect_log_line 'shot dialog.bmp'
expect_log_line 'config'
[ "$(tail -n 1 player.log)" = unload ] || fail "unload is not the last event"
grep -qxF $'SkyburstLatency=20\r' plugin.ini || { cat plugin.ini; fail "the filling wrote no SkyburstLatency"; }
grep -qxF $'Gravity=333\r' plugin.ini || fail "a value inside its range was rewritten"
[ "$(pixel dialog.bmp 512 384)" != "0,0,0" ] || fail "no dialog in the middle of the screen"
echo ok
