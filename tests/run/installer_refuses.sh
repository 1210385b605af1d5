# In silent mode the setup program refuses a folder without winamp.exe with a non-zero exit status and
# writes nothing, and on its pages one it cannot write even once the user accepts it; with the player's
# own key gone it finds the player through the player's uninstall entry.
source "$(dirname "$0")/installer.inc"
enter_installer_run_dir installer_refuses
elsewhere="$RUN_DIR/Not a Player"
mkdir -p "$elsewhere"
printf '[Skyburst]\r\nGravity=333\r\n' >"$elsewhere/plugin.ini"
before=$(tree_listing "$elsewhere")
set_registry <<REG
[$PLAYER_KEY]
@="$(reg_path "$elsewhere")"
REG
run_setup /S
[ "$SETUP_STATUS" != 0 ] || fail "a folder without winamp.exe was accepted"
[ "$(tree_listing "$elsewhere")" = "$before" ] || { ls -lR "$elsewhere"; fail "something was written into the folder"; }
[ -z "$(skyburst_entries)" ] || fail "an uninstall entry was written"
# On the pages, such a folder accepted with "Yes" is still tried for writing: a locked one is refused,
# and Cancel then exits 1.
lock_folder "$elsewhere"
run_setup_dialogs "$elsewhere" Install Yes OK Cancel Yes
[[ "$DIALOGS" == "There is no winamp.exe"*"|Setup cannot write"*"|Are you sure"* ]] && [ "$SETUP_STATUS" = 1 ] ||
    fail "a locked folder without winamp.exe on the pages: exit status $SETUP_STATUS, boxes '$DIALOGS'"

# Only the player's uninstall entry names the folder, by its uninstaller's quoted command line.
player="$RUN_DIR/Found Player"
make_player_folder "$player"
set_registry <<REG
[-$PLAYER_KEY]
[$PLAYER_UNINSTALL_KEY]
"UninstallString"="\"$(reg_path "$player")\\\\UninstWA.exe\" /S"
REG
run_setup /S
[ "$SETUP_STATUS" = 0 ] || { cat setup.out; fail "install through the uninstall entry: exit status $SETUP_STATUS"; }
[ -f "$player/Plugins/vis_skyburst.dll" ] || fail "the player was not found through its uninstall entry"
echo ok
