# The DLL exports exactly the one entry the player looks for and imports only system DLLs.
source "$(dirname "$0")/common.inc"
table=$(i686-w64-mingw32-objdump -p "$PLUGIN_DLL") || fail "objdump could not read the DLL"
exports=$(echo "$table" | awk '/\[Ordinal\/Name Pointer\] Table/{on=1; next} on && /^[ \t]*\[/{print $NF} on && /^$/{on=0}')
[ "$exports" = "winampVisGetHeader" ] || fail "exports: '$exports'"
imports=$(echo "$table" | awk '/DLL Name:/{print toupper($3)}' | sort -u)
allowed="KERNEL32.DLL USER32.DLL GDI32.DLL COMCTL32.DLL COMDLG32.DLL MSVCRT.DLL ADVAPI32.DLL SHELL32.DLL"
for dll in $imports; do
    case " $allowed " in
        *" $dll "*) ;;
        *) fail "imports a non-system DLL: $dll" ;;
    esac
done
# Nor does it carry a pthreads layer or emulated thread-local storage: each load of theirs keeps TLS slots and
# handles that no unload gives back.
kept=$(i686-w64-mingw32-nm "$PLUGIN_DLL" | grep -E ' (_pthread_[a-z_]+|___emutls_get_address)$' | head -3)
[ -z "$kept" ] || fail "carries what a load keeps: $(echo $kept)"
echo "exports: $exports; imports: $(echo $imports)"
