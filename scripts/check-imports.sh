#!/usr/bin/env bash
# Fails unless every DLL the given programs import is one that Windows always loads from its own
# folder: a Known DLL (HKLM\SYSTEM\CurrentControlSet\Control\Session Manager\KnownDLLs), or
# comctl32, which the manifest binds side by side. Any other name the loader looks for beside the
# program first, so a DLL planted in a Downloads folder would run inside it before WinMain.
set -euo pipefail
allowed='^(advapi32|clbcatq|combase|comdlg32|coml2|difxapi|gdi32|gdiplus|imagehlp|imm32|kernel32|msctf|msvcrt|normaliz|nsi|ole32|oleaut32|psapi|rpcrt4|sechost|setupapi|shcore|shell32|shlwapi|user32|wldap32|ws2_32|comctl32)\.dll$'
status=0
for exe in "$@"; do
  dlls=$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z')
  bad=$(printf '%s\n' "$dlls" | grep -Ev "$allowed" || true)
  echo "$(basename "$exe") imports: $(echo $dlls)"
  [ -z "$bad" ] || { echo "$(basename "$exe") imports a DLL the loader may take from its folder: $(echo $bad)" >&2; status=1; }
done
exit $status
