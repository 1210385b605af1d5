# The setup program, silent, into a player folder named by the player's registry key: the DLL (the
# zip's, byte for byte) and the guide land in Plugins and the player runs it; an uninstaller is
# registered, one entry per player folder; the player that holds the DLL keeps it unattended, and is
# closed on the pages when the user agrees; installing again replaces a changed DLL; the uninstaller
# removes exactly what was installed and its own folder's entry, and the user's plugin.ini files and
# other plug-ins stay as they were. An uninstaller that cannot delete says so in its exit status and
# keeps its entry.
source "$(dirname "$0")/installer.inc"
enter_installer_run_dir installer_roundtrip
# No space in them: the uninstaller reads _?= to the end of its command line, unquoted.
second="$RUN_DIR/Second"
player="$RUN_DIR/Player"
plugins="$player/Plugins"
make_player_folder "$player"
make_player_folder "$second"
printf '[Skyburst]\r\nGravity=333\r\n' >"$player/plugin.ini"
printf '[Skyburst]\r\nSpeed=7\r\n' >"$plugins/plugin.ini"
printf 'another plug-in' >"$plugins/vis_other.dll"
keep=$(cd "$player" && sha256sum plugin.ini Plugins/plugin.ini Plugins/vis_other.dll)
set_registry <<REG
[$PLAYER_KEY]
@="$(reg_path "$player")"
REG

run_setup /S
[ "$SETUP_STATUS" = 0 ] || { cat setup.out; fail "silent install: exit status $SETUP_STATUS"; }
from_zip vis_skyburst.dll zip.dll
from_zip Skyburst.txt zip.txt
cmp -s zip.dll "$plugins/vis_skyburst.dll" || fail "the installed DLL is not the zip's"
cmp -s zip.txt "$plugins/Skyburst.txt" || fail "the installed guide is not the zip's"
[ -f "$plugins/uninstall-skyburst.exe" ] || fail "no uninstaller in Plugins"
# Each folder's entry names its own uninstaller.
run_setup /S "/D=$(winepath -w "$second")"
[ "$SETUP_STATUS" = 0 ] || { cat setup.out; fail "silent install into a second folder: exit status $SETUP_STATUS"; }
for folder in "$player" "$second"; do
    uninstaller_win=$(winepath -w "$folder/Plugins/uninstall-skyburst.exe")
    [ "$(reg_value "$(own_key "$folder")" UninstallString)" = "\"$uninstaller_win\"" ] ||
        fail "uninstall entry: '$(reg_value "$(own_key "$folder")" UninstallString)', expected '\"$uninstaller_win\"'"
done
for value in DisplayName Publisher DisplayIcon EstimatedSize; do
    [ -n "$(reg_value "$(own_key "$player")" $value)" ] || fail "the uninstall entry has no $value"
done
for file in "$SETUP_EXE" zip.dll; do
    python3 -c 'import sys; d = open(sys.argv[1], "rb").read()
sys.exit(not all(k.encode("utf-16-le") in d for k in ("CompanyName", "LegalCopyright")))' "$file" ||
        fail "no CompanyName or LegalCopyright in the version information of $file"
done

# The player, run from its folder, loads the installed DLL. While it holds it, the setup program
# cannot replace it: silent, it answers its retry question with Cancel and says so in its exit status.
# The player is then stopped, which lets go of the DLL.
start_player "$player" winamp.exe 'Plugins\vis_skyburst.dll'
run_setup /S
[ "$SETUP_STATUS" = 5 ] || fail "install while the player holds the DLL: exit status $SETUP_STATUS, expected 5"
# On its pages it offers to close the player; its finish page's ticked box then makes Skyburst the
# player's visualisation.
run_setup_dialogs "$player" Install Yes Finish
[[ "$DIALOGS" == "Setup cannot replace"*"The player is running"*"Close the player now"* ]] && [ "$SETUP_STATUS" = 0 ] ||
    fail "install on its pages while the player holds the DLL: exit status $SETUP_STATUS, boxes '$DIALOGS'"
wait "$PLAYER_PID"
printf '[Winamp]\r\nvisplugin_name=vis_skyburst.dll\r\nvisplugin_num=0\r\n' | cmp - "$player/winamp.ini" ||
    fail "the finish page did not make Skyburst the player's visualisation"
rm -f "$player/player.log" "$player/player.out" "$player/winamp.ini"

# An upgrade over a different DLL replaces it and keeps the settings.
printf 'an older build' >"$plugins/vis_skyburst.dll"
run_setup /S
[ "$SETUP_STATUS" = 0 ] || { cat setup.out; fail "install over an older DLL: exit status $SETUP_STATUS"; }
cmp -s zip.dll "$plugins/vis_skyburst.dll" || fail "installing again did not replace the DLL"

run_uninstaller "$player"
[ "$UNINSTALL_STATUS" = 0 ] || { cat uninstall.out; fail "silent uninstall: exit status $UNINSTALL_STATUS"; }
for file in vis_skyburst.dll Skyburst.txt; do
    [ ! -e "$plugins/$file" ] || fail "the uninstaller left $file"
done
[ -z "$(reg_value "$(own_key "$player")" UninstallString)" ] || fail "the uninstaller left its registry entry"
[ -n "$(reg_value "$(own_key "$second")" UninstallString)" ] || fail "the uninstaller removed the other folder's entry"
[ "$(cd "$player" && sha256sum plugin.ini Plugins/plugin.ini Plugins/vis_other.dll)" = "$keep" ] ||
    fail "the settings or another plug-in changed"
# Running in place, it cannot remove itself; run as the user runs it, it copies itself away first, so
# it removes itself too (and finds nothing else left to remove).
[ "$(ls "$plugins" | tr '\n' ' ')" = "plugin.ini uninstall-skyburst.exe vis_other.dll " ] ||
    fail "Plugins holds: $(ls "$plugins" | tr '\n' ' ')"
timeout -k 5 60 wine "$(winepath -w "$plugins/uninstall-skyburst.exe")" /S </dev/null >>uninstall.out 2>&1 ||
    fail "second uninstall: exit status $?"
for i in $(seq 1 300); do
    [ -e "$plugins/uninstall-skyburst.exe" ] || break
    sleep 0.1
done
[ "$(ls "$plugins" | tr '\n' ' ')" = "plugin.ini vis_other.dll " ] || fail "Plugins holds: $(ls "$plugins" | tr '\n' ' ')"

# A folder the uninstaller may not change (under Wine the delete even reports success there): it fails,
# and its files and its entry stay until it can remove them.
lock_folder "$second/Plugins"
run_uninstaller "$second"
[ "$UNINSTALL_STATUS" = 4 ] || fail "uninstall from a locked folder: exit status $UNINSTALL_STATUS, expected 4"
[ -f "$second/Plugins/vis_skyburst.dll" ] || fail "the DLL went from a locked folder"
[ -n "$(reg_value "$(own_key "$second")" UninstallString)" ] || fail "a failed uninstall removed its entry"
unlock_folder "$second/Plugins"
run_uninstaller "$second"
[ "$UNINSTALL_STATUS" = 0 ] && [ ! -e "$second/Plugins/vis_skyburst.dll" ] &&
    [ -z "$(reg_value "$(own_key "$second")" UninstallString)" ] || fail "uninstall once unlocked: exit status $UNINSTALL_STATUS"
echo ok
