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

# ---- Wide calls only -------------------------------------------------------------------------
# Fails when any given program imports the ANSI form of a call that has a wide twin: a text
# through the ANSI code page loses every character outside it. A twin is a name ending in "W"
# in the same DLL's import library.
# What survives comes from the static runtime, never with our texts:
#   CreateEventA, CreateSemaphoreA  winpthreads, unnamed objects
#   GetModuleHandleA                winpthreads and mingwex, for "kernel32.dll"
#   OutputDebugStringA              winpthreads' debug output
#   FormatMessageA                  libstdc++'s system_error messages
ansi_exceptions='^(CreateEventA|CreateSemaphoreA|GetModuleHandleA|OutputDebugStringA|FormatMessageA)$'
implib_dir=$(dirname "$(x86_64-w64-mingw32-gcc -print-file-name=libkernel32.a)")
ansi_bad=0
declare -A ansi_twins
for program in "$@"; do
  while read -r dll name; do
    [[ $name =~ [a-z0-9_]A$ ]] || continue
    [[ $name =~ $ansi_exceptions ]] && continue
    [[ -v "ansi_twins[$dll]" ]] ||
      ansi_twins[$dll]=$(x86_64-w64-mingw32-nm "$implib_dir/lib${dll%.dll}.a" 2>/dev/null | sed -n 's/^.* I __imp_//p')
    grep -qx "${name%A}W" <<<"${ansi_twins[$dll]}" || continue
    echo "ANSI import in $(basename "$program"): $dll!$name" >&2
    ansi_bad=1
  done < <(x86_64-w64-mingw32-objdump -p "$program" |
           awk '/DLL Name:/ { dll = tolower($3) } /^\t[0-9a-f]+\t +[0-9]+ +[A-Za-z_0-9]+$/ { print dll, $3 }')
done
[ $ansi_bad -eq 0 ] && echo "no ANSI imports in: $(for p in "$@"; do basename "$p"; done | tr '\n' ' ')"
# ---- end of wide calls only -------------------------------------------------------------------
[ $status -eq 0 ] && [ $ansi_bad -eq 0 ]
