#!/usr/bin/env bash
# zefra-convert as a whole process on generated chat Romanesh, against wc -w on the same file in
# the same run: time, rate, the ratio, peak memory, the speed-up of --jobs 2, and the dictionary
# stage's words per second with 65,535 entries per section (from trans_bench), and smart spelling
# on the same file and on new words (from SmartSpelling_bench).
# Usage: bench/convert_file.sh [BUILD_DIR] [MEGABYTES] [extra zefra-convert options]
set -euo pipefail
build=${1:-build}
megabytes=${2:-20}
shift $(($# > 2 ? 2 : $#))
input=$(mktemp --suffix=.txt)
dictionary=$(mktemp --suffix=.txt)
trap 'rm -f "$input" "$dictionary"' EXIT
"$build/bench/make_corpus" "$megabytes" >"$input"
bytes=$(stat -c %s "$input")
words=$(wc -w <"$input")
# 65,535 distinct keys of three to five syllables in each section, each value one letter longer.
awk 'BEGIN {
  split("sa la kh oo bi mi ra na be man to ke ba dar az ha ye sh ch gh zh aa ee ou", syllable, " ")
  split("Whole Words,Prefix Words,Suffix Words,Middle Words,Polite Words,English Words", name, ",")
  for (s = 1; s <= 6; s++) {
    print "[" name[s] "]\r"
    for (i = 0; i < 65535; i++) {
      k = ""; n = i * 6 + s
      do { k = k syllable[n % 24 + 1]; n = int(n / 24) } while (n > 0 || length(k) < 6)
      print k "=" (s == 6 ? (i % 2 ? "Whole" : "Prefix") : k "a") "\r"
    }
    print "\r"
  } }' >"$dictionary"

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
# The cores are shared: what else was running says how far the speed-up of --jobs can be trusted.
load=$(cut -d ' ' -f 1 /proc/loadavg)
cores=$(nproc)
read -r dict_seconds dict_kb <<<"$(fastest "$build/tools/zefra-convert" --dictionary "$dictionary" \
  --suffix=on --polite=on "$@" "$input")"
read -r smart_seconds smart_kb <<<"$(fastest "$build/tools/zefra-convert" --smart=on "$@" "$input")"
awk -v b="$bytes" -v w="$wc_seconds" -v s="$seconds" -v k="$peak_kb" -v j="$jobs_seconds" \
  -v l="$load" -v c="$cores" -v n="$words" -v d="$dict_seconds" -v dk="$dict_kb" \
  -v m="$smart_seconds" -v mk="$smart_kb" 'BEGIN {
  mb = b / 1048576
  printf "input %.1f MB of chat Romanesh\n", mb
  printf "wc -w:                %.2f s, %.1f MB/s\n", w, mb / w
  printf "zefra-convert:        %.2f s, %.1f MB/s, %.2f times wc -w, peak resident memory %.1f MB\n",
    s, mb / s, s / w, k / 1024
  printf "zefra-convert --jobs 2: %.2f s, %.1f MB/s, %.2f times as fast as one job",
    j, mb / j, s / j
  printf " (load %s on %d cores)\n", l, c
  printf "zefra-convert, 65,535 entries in each section: %.2f s, %.0f words/s, peak %.1f MB\n",
    d, n / d, dk / 1024
  printf "zefra-convert --smart=on: %.2f s, %.0f words/s, %.1f times wc -w, peak %.1f MB\n",
    m, n / m, m / w, mk / 1024 }'

# The engine alone, every word converted anew (no remembered words), and its dictionary stage by
# itself: the English test and the lookups before normalisation.
"$build/bench/trans_bench" --benchmark_filter='(BM_ConvertText|BM_DictionaryStage)FullDictionary$' \
  --benchmark_format=csv 2>/dev/null | awk -F, '/FullDictionary/ {
  for (i = 1; i <= NF; i++) if ($i ~ /^[0-9.e+]+$/) last = $i
  what = /DictionaryStage/ ? "dictionary stage alone" : "engine alone"
  printf "%s, 65,535 entries in each section: %.0f words/s\n", what, last }'

# Smart spelling on text where nearly every word is new (each word's choice searched anew).
"$build/bench/SmartSpelling_bench" --benchmark_filter='BM_SmartGeneratedText$' \
  --benchmark_format=csv 2>/dev/null | awk -F, '/SmartGeneratedText/ {
  for (i = 1; i <= NF; i++) if ($i ~ /^[0-9.e+]+$/) last = $i
  printf "smart spelling, nearly every word new: %.0f words/s\n", last }'
