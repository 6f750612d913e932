#!/usr/bin/env bash
# Fails unless every DLL the given program imports is one of Windows' own.
set -euo pipefail
allowed='^(kernel32|user32|gdi32|shell32|ole32|oleaut32|comctl32|comdlg32|advapi32|wininet|msimg32|msvcrt|shlwapi|ws2_32|version|rpcrt4|bcrypt)\.dll$'
dlls=$(x86_64-w64-mingw32-objdump -p "$1" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z')
bad=$(printf '%s\n' "$dlls" | grep -Ev "$allowed" || true)
echo "imports: $(echo $dlls)"
[ -z "$bad" ] || { echo "not a Windows DLL: $bad" >&2; exit 1; }
