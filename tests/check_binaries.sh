#!/bin/bash
# Checks the shipped binaries: they import only system DLLs (no MinGW runtime DLLs), and the
# plug-in exports ENTRYPOINT, undecorated, at ordinal 1.
set -euo pipefail
OBJDUMP="$1"; shift
status=0
ALLOWED='^(kernel32|user32|gdi32|comctl32|comdlg32|shell32|ole32|oleaut32|advapi32|msimg32|winmm|msvcrt|shlwapi|uxtheme|version|api-ms-win-.*)\.dll$'
for binary in "$@"; do
    imports=$("$OBJDUMP" -p "$binary" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z')
    for dll in $imports; do
        if ! [[ "$dll" =~ $ALLOWED ]]; then
            echo "FAIL: $binary imports $dll"; status=1
        fi
    done
    if [[ "$binary" == *.8bf ]]; then
        table=$("$OBJDUMP" -p "$binary")
        if ! grep -q 'Ordinal Base 1$' <<<"$table" ||
           ! grep -Eq '^\s*\[\s*0\] ENTRYPOINT$' <<<"$table" ||
           grep -Eq '^\s*\[\s*1\] ' <<<"$(sed -n '/Ordinal\/Name Pointer/,$p' <<<"$table")"; then
            echo "FAIL: $binary does not export ENTRYPOINT at ordinal 1"
            "$OBJDUMP" -p "$binary" | sed -n '/Ordinal\/Name Pointer/,/^$/p'
            status=1
        fi
    fi
done
[ $status = 0 ] && echo "binaries: $# checked"
exit $status
