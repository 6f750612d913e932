#!/usr/bin/env bash
# run.sh FUZZER SECONDS [KVDAT]: a bounded libFuzzer run from a fresh seed corpus; prints the
# executions and fails on any finding. With KVDAT the seeds are real data files, otherwise
# packed texts (kept short, as the texts the program packs are).
set -euo pipefail
fuzzer=$1 seconds=$2 kvdat=${3:-}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/corpus" "$work/findings"
if [ -n "$kvdat" ]; then
  "$kvdat" write "$work/corpus/seed.dat" --data-dir 'C:\Data\' --download-dir 'D:\Shared\'
  head -c 3000 "$work/corpus/seed.dat" >"$work/corpus/head.dat"
  max_len=300000
else
  printf '\x9e\x8a\x40' >"$work/corpus/abc"
  printf '\x7d\x90' >"$work/corpus/www"
  printf '\x7c\xf0\xe0\x4d\xb8\x53\x88\x30' >"$work/corpus/remset"
  max_len=512
fi
"$fuzzer" -max_total_time="$seconds" -max_len="$max_len" -print_final_stats=1 -artifact_prefix="$work/findings/" \
  "$work/corpus" 2>"$work/log" || { tail -40 "$work/log"; exit 1; }
grep -E '^Done' "$work/log"
