#!/usr/bin/env bash
# Every include of the plug-in's folders runs down: a folder may include its own files and those of
# a lower floor, never a higher floor nor another folder of its own floor. Lists each offender and
# fails. tests/, bench/, fuzz/, player/ and tools/ stand outside the floors and are not read.
set -euo pipefail
cd "$(dirname "$0")/.."

# folder:floor, from the ground up.
floors="framework:1 settings:2 playerapi:2 controls:3 displaystate:4 effects:5 display:6 config:6 host:7"

floor_of() {
    local entry
    for entry in $floors; do
        [ "${entry%%:*}" = "$1" ] && echo "${entry#*:}" && return
    done
    echo 0  # not a floor
}

status=0
for entry in $floors; do
    from=${entry%%:*}
    from_floor=${entry#*:}
    [ -d "$from" ] || continue
    while IFS=: read -r file line text; do
        target=${text#*\"}
        target=${target%%\"*}
        to=${target%%/*}
        # A name without a folder is a file beside the includer.
        [ "$to" = "$target" ] || [ "$to" = "$from" ] && continue
        to_floor=$(floor_of "$to")
        if [ "$to_floor" -eq 0 ] || [ "$to_floor" -ge "$from_floor" ]; then
            [ "$to_floor" -eq 0 ] && to_floor="not a floor" || to_floor="floor $to_floor"
            echo "$file:$line: $from (floor $from_floor) includes $target ($to_floor)"
            status=1
        fi
    done < <(grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$from" | sort -t: -k1,1 -k2,2n)
done
[ $status -eq 0 ] && echo "includes: every one runs down"
exit $status
