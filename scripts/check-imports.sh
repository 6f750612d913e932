#!/usr/bin/env bash
# Fails unless every DLL the given program imports is one of Windows' own.
set -euo pipefail
allowed='^(kernel32|user32|gdi32|shell32|ole32|oleaut32|comctl32|comdlg32|advapi32|wininet|msimg32|msvcrt|shlwapi|ws2_32|version|rpcrt4|bcrypt)\.dll$'
dlls=$(x86_64-w64-mingw32-objdump -p "$1" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z')
bad=$(printf '%s\n' "$dlls" | grep -Ev "$allowed" || true)
echo "imports: $(echo $dlls)"
[ -z "$bad" ] || { echo "not a Windows DLL: $bad" >&2; exit 1; }

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
[ $ansi_bad -eq 0 ] || exit 1
echo "no ANSI imports in: $(for p in "$@"; do basename "$p"; done | tr '\n' ' ')"
# ---- end of wide calls only -------------------------------------------------------------------
