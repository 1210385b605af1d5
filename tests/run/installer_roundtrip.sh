# The setup program, silent, into a player folder named by the player's registry key: the DLL (the
# zip's, byte for byte) and the guide land in Plugins and the player runs it; an uninstaller is
# registered; installing again replaces a changed DLL; the uninstaller removes exactly what was
# installed and its entry, and the user's plugin.ini files and other plug-ins stay as they were.
source "$(dirname "$0")/installer.inc"
enter_run_dir installer_roundtrip
trap forget_player_and_plugin EXIT
# No space in it: the uninstaller reads _?= to the end of its command line, unquoted.
player="$RUN_DIR/Player"
plugins="$player/Plugins"
make_player_folder "$player"
printf '[Skyburst]\r\nGravity=333\r\n' >"$player/plugin.ini"
printf '[Skyburst]\r\nSpeed=7\r\n' >"$plugins/plugin.ini"
printf 'another plug-in' >"$plugins/vis_other.dll"
keep=$(cd "$player" && sha256sum plugin.ini Plugins/plugin.ini Plugins/vis_other.dll)
forget_player_and_plugin
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
uninstaller_win=$(winepath -w "$plugins/uninstall-skyburst.exe")
[ "$(reg_value "$OWN_KEY" UninstallString)" = "\"$uninstaller_win\"" ] ||
    fail "uninstall entry: '$(reg_value "$OWN_KEY" UninstallString)', expected '\"$uninstaller_win\"'"
[ -n "$(reg_value "$OWN_KEY" DisplayName)" ] || fail "the uninstall entry has no DisplayName"

# The player, run from its folder, loads the installed DLL. While it holds it, the setup program
# cannot replace it: silent, it answers its retry question with Cancel and says so in its exit status.
# The player is then stopped, which lets go of the DLL.
(cd "$player" && exec timeout -k 5 120 wine winamp.exe 'Plugins\vis_skyburst.dll' --seconds 100 --signal beat \
    --log player.log </dev/null >player.out 2>&1) &
player_pid=$!
for i in $(seq 1 600); do
    grep -qxF 'init result=0' "$player/player.log" 2>/dev/null && break
    kill -0 "$player_pid" 2>/dev/null || break
    sleep 0.1
done
grep -qxF 'init result=0' "$player/player.log" || { cat "$player/player.log"; fail "the installed DLL did not start"; }
run_setup /S
kill "$player_pid"
wait "$player_pid"
[ "$SETUP_STATUS" = 5 ] || fail "install while the player holds the DLL: exit status $SETUP_STATUS, expected 5"
rm -f "$player/player.log" "$player/player.out"

# An upgrade over a different DLL replaces it and keeps the settings.
printf 'an older build' >"$plugins/vis_skyburst.dll"
run_setup /S
[ "$SETUP_STATUS" = 0 ] || { cat setup.out; fail "install over an older DLL: exit status $SETUP_STATUS"; }
cmp -s zip.dll "$plugins/vis_skyburst.dll" || fail "installing again did not replace the DLL"

# _?= runs the uninstaller in place and waits for it (it would otherwise copy itself away and return).
timeout -k 5 120 wine "$uninstaller_win" /S "_?=$(winepath -w "$plugins")" </dev/null >uninstall.out 2>&1
status=$?
[ "$status" = 0 ] || { cat uninstall.out; fail "silent uninstall: exit status $status"; }
for file in vis_skyburst.dll Skyburst.txt; do
    [ ! -e "$plugins/$file" ] || fail "the uninstaller left $file"
done
[ -z "$(reg_value "$OWN_KEY" UninstallString)" ] || fail "the uninstaller left its registry entry"
[ "$(cd "$player" && sha256sum plugin.ini Plugins/plugin.ini Plugins/vis_other.dll)" = "$keep" ] ||
    fail "the settings or another plug-in changed"
# Running in place, it cannot remove itself; run as the user runs it, it copies itself away first, so
# it removes itself too (and finds nothing else left to remove).
[ "$(ls "$plugins" | tr '\n' ' ')" = "plugin.ini uninstall-skyburst.exe vis_other.dll " ] ||
    fail "Plugins holds: $(ls "$plugins" | tr '\n' ' ')"
timeout -k 5 60 wine "$uninstaller_win" /S </dev/null >>uninstall.out 2>&1 || fail "second uninstall: exit status $?"
for i in $(seq 1 300); do
    [ -e "$plugins/uninstall-skyburst.exe" ] || break
    sleep 0.1
done
[ "$(ls "$plugins" | tr '\n' ' ')" = "plugin.ini vis_other.dll " ] || fail "Plugins holds: $(ls "$plugins" | tr '\n' ' ')"
echo ok
