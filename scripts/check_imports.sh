#!/usr/bin/env bash
# Refuses an exe whose import table names a DLL outside the KnownDLLs, which Windows loads
# from the system folder alone: it looks for any other DLL in the program's own folder
# first, where a file of that name may lie. Used by the test command and the release.
#   scripts/check_imports.sh build/win32/kivo.exe   (or build/win64/kivo.exe)
set -euo pipefail
allowed=" kernel32.dll user32.dll gdi32.dll shell32.dll ole32.dll msvcrt.dll advapi32.dll "
# The x86_64 objdump reads the 32-bit exe (PE32) as well as its 64-bit twin (PE32+).
names=$(x86_64-w64-mingw32-objdump -p "$1" | sed -n 's/^\tDLL Name: //p' | tr '[:upper:]' '[:lower:]')
[ -n "$names" ] || { echo "imports: no import table in $1" >&2; exit 1; }
refused=0
for name in $names; do
    case $allowed in
        *" $name "*) ;;
        *) echo "imports: $1 imports $name, which Windows may load from the exe's folder" >&2
           refused=1 ;;
    esac
done
exit "$refused"
