# The setup program's pages and questions answered as a user would: a folder without winamp.exe accepted
# with "Yes" is still tried for writing (a locked one is refused, and Cancel then exits 1); a player that
# holds the DLL is closed when the user agrees, and the finish page's ticked box then makes Skyburst its
# visualisation.
source "$(dirname "$0")/installer.inc"
enter_installer_run_dir installer_dialogs
locked="$RUN_DIR/Locked"
player="$RUN_DIR/Player"
make_player_folder "$player"
mkdir -p "$locked"
lock_folder "$locked"
run_setup /S "/D=$(winepath -w "$player")"
[ "$SETUP_STATUS" = 0 ] || fail "silent install: exit status $SETUP_STATUS"
start_player "$player" winamp.exe 'Plugins\vis_skyburst.dll'
# Rows: player folder | exit status | buttons clicked | the message boxes' texts, a pattern.
cases=(
    "$locked|1|Install Yes OK Cancel Yes|There is no winamp.exe*|Setup cannot write*|Are you sure*"
    "$player|0|Install Yes Finish|Setup cannot replace*The player is running*Close the player now*"
)
for row in "${cases[@]}"; do
    IFS='|' read -r folder want buttons texts <<<"$row"
    run_setup_dialogs "$folder" $buttons
    [[ "$DIALOGS" == $texts ]] || fail "$buttons in $folder: boxes '$DIALOGS', want '$texts'"
    [ "$SETUP_STATUS" = "$want" ] || fail "$buttons in $folder: exit status $SETUP_STATUS, want $want"
done
wait "$PLAYER_PID"
printf '[Winamp]\r\nvisplugin_name=vis_skyburst.dll\r\nvisplugin_num=0\r\n' | cmp - "$player/winamp.ini" ||
    fail "the finish page did not make Skyburst the player's visualisation"
echo ok
