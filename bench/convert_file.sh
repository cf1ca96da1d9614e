#!/usr/bin/env bash
# zefra-convert as a whole process on generated chat Romanesh, against wc -w on the same file in
# the same run: time, rate, the ratio, peak memory, the speed-up of --jobs 2, and the dictionary
# stage's words per second with 65,535 entries per section (from trans_bench).
# Usage: bench/convert_file.sh [BUILD_DIR] [MEGABYTES] [extra zefra-convert options]
set -euo pipefail
build=${1:-build}
megabytes=${2:-20}
shift $(($# > 2 ? 2 : $#))
input=$(mktemp --suffix=.txt)
trap 'rm -f "$input"' EXIT
"$build/bench/make_corpus" "$megabytes" >"$input"
bytes=$(stat -c %s "$input")

# Prints "seconds peak_kb" of the fastest of three runs of the command; its output is dropped.
fastest() {
  local best="" run
  for _ in 1 2 3; do
    run=$({ /usr/bin/time -f '%e %M' "$@" >/dev/null; } 2>&1 | tail -n 1)
    if [[ -z $best ]] || awk -v a="${run% *}" -v b="${best% *}" 'BEGIN { exit !(a < b) }'; then
      best=$run
    fi
  done
  echo "$best"
}

read -r wc_seconds _ <<<"$(fastest wc -w "$input")"
read -r seconds peak_kb <<<"$(fastest "$build/tools/zefra-convert" "$@" "$input")"
read -r jobs_seconds _ <<<"$(fastest "$build/tools/zefra-convert" --jobs 2 "$@" "$input")"
awk -v b="$bytes" -v w="$wc_seconds" -v s="$seconds" -v k="$peak_kb" -v j="$jobs_seconds" 'BEGIN {
  mb = b / 1048576
  printf "input %.1f MB of chat Romanesh\n", mb
  printf "wc -w:                %.2f s, %.1f MB/s\n", w, mb / w
  printf "zefra-convert:        %.2f s, %.1f MB/s, %.1f times wc -w, peak resident memory %.1f MB\n",
    s, mb / s, s / w, k / 1024
  printf "zefra-convert --jobs 2: %.2f s, %.1f MB/s, %.2f times as fast as one job\n", j, mb / j, s / j }'

"$build/bench/trans_bench" --benchmark_filter='BM_ConvertTextLargeDictionary$' \
  --benchmark_format=csv 2>/dev/null | awk -F, '/LargeDictionary/ {
  for (i = 1; i <= NF; i++) if ($i ~ /^[0-9.e+]+$/) last = $i
  printf "dictionary stage, 65,535 entries per section: %.0f words/s\n", last }'
