# Unattended, /SETVIS makes Skyburst the player's visualisation in winamp.ini beside winamp.exe, and
# keeps every other line byte for byte (the system's profile functions would rewrite them); a plain /S
# leaves the file alone, and so does /SETVIS while the player runs, saying so in its exit status.
source "$(dirname "$0")/installer.inc"
enter_installer_run_dir installer_setvis
player="$RUN_DIR/Player"
make_player_folder "$player"
vis='visplugin_name=vis_skyburst.dll\r\nvisplugin_num=0\r\n'
ini='; note\r\n[Other]\r\nvisplugin_num=2\r\n\r\n[winamp]\r\n  first = 1 \r\nVisPlugin_Name = vis_other.dll\r\nmid=\xe9\x81\r\nvisplugin_num=3\r\n[After]\r\nk=v'
# Rows: arguments | whether the player runs | exit status | winamp.ini before ("-": none) | after.
cases=(
    "/SETVIS|no|0|$ini|; note\r\n[Other]\r\nvisplugin_num=2\r\n\r\n[winamp]\r\n$vis  first = 1 \r\nmid=\xe9\x81\r\n[After]\r\nk=v"
    "/SETVIS|no|0|[Other]\r\nk=v|[Other]\r\nk=v\r\n[Winamp]\r\n$vis"
    "/SETVIS|no|0|-|[Winamp]\r\n$vis"
    "|no|0|$ini|$ini"
    "/SETVIS|yes|6|$ini|$ini"
)
for row in "${cases[@]}"; do
    IFS='|' read -r args running want before after <<<"$row"
    rm -f "$player/winamp.ini"
    [ "$before" = - ] || printf "$before" >"$player/winamp.ini"
    # The running player holds the run folder's DLL, not the one the setup program replaces.
    [ "$running" = no ] || start_player "$RUN_DIR" player.exe vis_skyburst.dll
    run_setup /S $args "/D=$(winepath -w "$player")"
    [ "$running" = no ] || { kill "$PLAYER_PID"; wait "$PLAYER_PID"; }
    printf "$after" >want.ini
    [ "$SETUP_STATUS" = "$want" ] || fail "/S $args with ini '$before': exit status $SETUP_STATUS, want $want"
    cmp "$player/winamp.ini" want.ini || { od -c "$player/winamp.ini"; fail "/S $args with ini '$before'"; }
done
echo ok
