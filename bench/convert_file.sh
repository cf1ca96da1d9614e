#!/usr/bin/env bash
# zefra-convert as a whole process on a generated 100 MB input: throughput and peak memory.
# Usage: bench/convert_file.sh [BUILD_DIR] [MEGABYTES] [extra zefra-convert options]
set -euo pipefail
build=${1:-build}
megabytes=${2:-100}
shift $(($# > 2 ? 2 : $#))
input=$(mktemp --suffix=.txt)
trap 'rm -f "$input"' EXIT
"$build/bench/make_corpus" "$megabytes" >"$input"
bytes=$(stat -c %s "$input")
report=$( { /usr/bin/time -f '%e %M' "$build/tools/zefra-convert" "$@" "$input" >/dev/null; } 2>&1 )
read -r seconds peak_kb <<<"$report"
awk -v b="$bytes" -v s="$seconds" -v k="$peak_kb" 'BEGIN {
  printf "input %.1f MB, %.2f s, %.1f MB/s, peak resident memory %.1f MB\n", b / 1048576, s, b / 1048576 / s, k / 1024 }'
