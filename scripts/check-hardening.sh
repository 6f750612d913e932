#!/usr/bin/env bash
# Fails unless each given program is hardened as the build means it to be:
#  - DllCharacteristics with DYNAMIC_BASE, HIGH_ENTROPY_VA and NX_COMPAT (ASLR, above 4 GiB too;
#    data never runs);
#  - relocations kept (a base relocation directory, and not marked stripped): without them Windows
#    loads the image at its fixed base whatever DYNAMIC_BASE says;
#  - a stack protector: the programs are stripped, so the linker's map beside each (PROGRAM.map)
#    tells where __stack_chk_fail was linked (only kept sections have an address there), and the
#    program's own code must call it there. Only code built with -fstack-protector* calls it.
set -euo pipefail
status=0
fail() { echo "$(basename "$exe"): $*" >&2; status=1; }
for exe in "$@"; do
  headers=$(x86_64-w64-mingw32-objdump -p "$exe")
  dll=$((16#$(sed -n 's/^DllCharacteristics\s\+\([0-9a-fA-F]\+\)$/\1/p' <<<"$headers")))
  for bit in 0x40:DYNAMIC_BASE 0x20:HIGH_ENTROPY_VA 0x100:NX_COMPAT; do
    (( dll & ${bit%%:*} )) || fail "no ${bit#*:} in DllCharacteristics"
  done
  (( $(sed -n 's/^Characteristics 0x\([0-9a-fA-F]\+\)$/0x\1/p' <<<"$headers") & 0x1 )) && fail "relocations stripped"
  relocs=$(sed -n 's/^Entry 5 [0-9a-fA-F]\+ \([0-9a-fA-F]\+\) Base Relocation Directory.*/\1/p' <<<"$headers")
  (( 16#${relocs:-0} > 0 )) || fail "no base relocations"

  map="$exe.map"
  [ -f "$map" ] || { fail "no linker map $map"; continue; }
  guard_fail=$(sed -n '/^Linker script and memory map/,$ s/^ \+0x0*\([0-9a-f]\+\) \+__stack_chk_fail$/\1/p' "$map")
  if [ -z "$guard_fail" ]; then
    fail "no stack protector: __stack_chk_fail is not linked"
    continue
  fi
  calls=$(x86_64-w64-mingw32-objdump -d --no-show-raw-insn "$exe" | grep -Ec "\scall +(0x)?$guard_fail( |$)" || true)
  [ "$calls" -gt 0 ] || fail "no stack protector: nothing calls __stack_chk_fail (0x$guard_fail)"
  printf '%s: DllCharacteristics 0x%x, base relocations 0x%s bytes, %d calls to __stack_chk_fail\n' \
    "$(basename "$exe")" "$dll" "$relocs" "$calls"
done
exit $status
