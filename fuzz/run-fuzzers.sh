#!/usr/bin/env bash
# Runs every fuzz target of a fuzz build for a bounded time, seeded with its corpus in
# fuzz/corpus/<name>/ (and the examples for the THK readers). New inputs go to a scratch copy,
# never into the repository. An input that takes longer than ORVELLE_FUZZ_TIMEOUT seconds (10:
# the test machine is shared) counts as a hang. Usage: run-fuzzers.sh BUILD_DIR SECONDS [flags]
set -euo pipefail
build=${1:?build dir}
seconds=${2:-20}
shift $(( $# >= 2 ? 2 : $# ))
here=$(cd "$(dirname "$0")/.." && pwd)
for target in "$build"/fuzz/orvelle_fuzz_*; do
  [ -x "$target" ] || continue
  name=$(basename "$target")
  short=${name#orvelle_fuzz_}
  corpus=$(mktemp -d)
  if [ -d "$here/fuzz/corpus/$short" ]; then cp "$here/fuzz/corpus/$short"/* "$corpus"/; fi
  case "$short" in
    thk* | conditioning)
      find "$here/examples" -type f \( -name '*.thk' -o -name '*.txt' \) -size -64k \
        -exec cp {} "$corpus"/ \; ;;
  esac
  echo "-- $name for ${seconds}s"
  set +e
  "$target" -max_total_time="$seconds" -max_len=4096 -timeout="${ORVELLE_FUZZ_TIMEOUT:-10}" -print_final_stats=1 "$@" \
    "$corpus" > "$corpus.log" 2>&1
  rc=$?
  set -e
  grep -E '^(stat::number_of_executed_units|stat::average_exec_per_sec)|ERROR|SUMMARY' \
    "$corpus.log" || true
  if [ "$rc" -ne 0 ]; then tail -n 40 "$corpus.log"; fi
  rm -rf "$corpus" "$corpus.log"
  if [ "$rc" -ne 0 ]; then echo "$name found a fault"; exit 1; fi
done
