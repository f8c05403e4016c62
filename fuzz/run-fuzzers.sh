#!/usr/bin/env bash
# Runs every fuzz target of a fuzz build for a bounded time, seeded with the examples and the
# test fixtures. Usage: run-fuzzers.sh BUILD_DIR SECONDS
set -euo pipefail
build=${1:?build dir}
seconds=${2:-20}
here=$(cd "$(dirname "$0")/.." && pwd)
for target in "$build"/fuzz/orvelle_fuzz_*; do
  [ -x "$target" ] || continue
  name=$(basename "$target")
  corpus=$(mktemp -d)
  find "$here/examples" "$here/tests/fixtures" -type f \( -name '*.thk' -o -name '*.txt' \) \
    -size -64k -exec cp {} "$corpus"/ \; 2>/dev/null || true
  echo "-- $name for ${seconds}s"
  "$target" -max_total_time="$seconds" -max_len=4096 -print_final_stats=1 "$corpus" 2>&1 | tail -n 4
  rc=${PIPESTATUS[0]}
  rm -rf "$corpus"
  if [ "$rc" -ne 0 ]; then echo "$name found a fault"; exit 1; fi
done
