#!/usr/bin/env bash
# Runs every benchmark binary that the build produced.
set -euo pipefail
BUILD=${1:-build}
shopt -s nullglob
status=0
for b in "$BUILD"/bench/bench_*; do
  [ -x "$b" ] || continue
  echo "== $(basename "$b")"
  "$b" || status=1
done
exit $status
