# In silent mode the setup program refuses a folder without winamp.exe with a non-zero exit status and
# writes nothing; with the player's own key gone it finds the player through the player's uninstall
# entry.
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
