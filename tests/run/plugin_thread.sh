# The player's own threading: Init, Render and Quit on a plug-in thread, the main window on
# another. The requests cross threads and are answered; Esc's quit request reaches the thread
# that called Init and ends the run there.
source "$(dirname "$0")/common.inc"
enter_run_dir plugin_thread
play --seconds 4 --signal beat --plugin-thread --key 1000=Esc
[ "$RUN_STATUS" = 0 ] || { cat player.log player.out; fail "player exit status $RUN_STATUS"; }
expect_log_line 'init result=0'
expect_log_line 'key Esc'
expect_log_line 'quit-request'
expect_log_match '^render count=[1-9][0-9]* nonzero=0$'
expect_log_match '^requests version=1 length=[1-9][0-9]* position=[1-9][0-9]* title=[1-9][0-9]*$'
[ "$(tail -n 1 player.log)" = unload ] || fail "unload is not the last event"
echo ok
