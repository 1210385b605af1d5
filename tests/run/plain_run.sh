# A plain run: the player loads the plug-in, sees its records, drives it and unloads it cleanly.
source "$(dirname "$0")/common.inc"
enter_run_dir plain_run
play --seconds 2 --signal beat
[ "$RUN_STATUS" = 0 ] || { cat player.log player.out; fail "player exit status $RUN_STATUS"; }
expect_log_line 'header version=257 description="Skyburst Plugin"'
expect_log_line 'module 0 description="Skyburst v2.21" latencyMs=25 delayMs=10 spectrumNch=2 waveformNch=0'
expect_log_line 'module 1 null'
expect_log_line 'init result=0'
expect_log_match '^render count=[1-9][0-9]* nonzero=0$'
expect_log_line 'quit'
expect_log_line 'unload'
[ "$(tail -n 1 player.log)" = unload ] || fail "unload is not the last event"
echo ok
