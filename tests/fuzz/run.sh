#!/usr/bin/env bash
# run.sh FUZZER RUNS MAX_LEN CORPUS: a bounded, repeatable libFuzzer run. The seed is fixed and the
# committed corpus (findings kept as regression inputs among the seeds) is replayed first, so
# one commit always gives one result. New inputs go to a scratch folder, never the corpus.
set -euo pipefail
fuzzer=$1 runs=$2 max_len=$3 corpus=$4
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/new" "$work/findings"
"$fuzzer" -seed=1 -runs="$runs" -max_len="$max_len" -print_final_stats=1 -artifact_prefix="$work/findings/" \
  "$work/new" "$corpus" 2>"$work/log" || { tail -40 "$work/log"; exit 1; }
grep -E '^Done|stat::number_of_executed_units' "$work/log"
