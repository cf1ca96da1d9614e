#!/usr/bin/env bash
# Peak resident memory of zefra-convert on two size attacks: one 10 MB word (of two shapes), and a
# dictionary of 1,000,000 whole-word entries. Usage: bench/peak_memory.sh [BUILD_DIR]
set -euo pipefail
build=${1:-build}
convert="$build/tools/zefra-convert"
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT

# Prints "seconds peak_kb" of one run of zefra-convert with the given arguments.
measure() {
  { /usr/bin/time -f '%e %M' "$convert" "$@" >/dev/null; } 2>&1 | tail -n 1
}

# Ten million characters without a separator: a word of doubled consonants, and one letter
# repeated, for which the shadda's search over the word's own borders is the largest.
awk 'BEGIN { for (i = 0; i < 2000000; i++) printf "abbas"; print "" }' >"$dir/word.txt"
awk 'BEGIN { for (i = 0; i < 2000000; i++) printf "bbbbb"; print "" }' >"$dir/letter.txt"
# Distinct keys of four consonant-vowel syllables, each with a value one letter longer.
awk 'BEGIN {
  c = "bdghjkmnrstz"; v = "aeio"; print "[Whole Words]\r"
  for (i = 0; i < 1000000; i++) {
    k = ""; n = i
    for (s = 0; s < 4; s++) { k = k substr(c, n % 12 + 1, 1) substr(v, int(n / 12) % 4 + 1, 1); n = int(n / 48) }
    print k "=" k "a\r"
  } }' >"$dir/Zefra.txt"
echo salam >"$dir/line.txt"

read -r _ base_kb <<<"$(measure "$dir/line.txt")"
for shape in word letter; do
  read -r seconds word_kb <<<"$(measure "$dir/$shape.txt")"
  awk -v s="$seconds" -v k="$word_kb" -v w="$(head -c 10 "$dir/$shape.txt")" 'BEGIN {
    printf "one 10 MB word (%s...): %.2f s, peak %.1f MB, %.1f bytes per character\n", w, s, k / 1024, k * 1024 / 1e7 }'
done
read -r seconds dict_kb <<<"$(measure --dictionary "$dir/Zefra.txt" "$dir/line.txt")"
awk -v s="$seconds" -v k="$dict_kb" -v b="$base_kb" 'BEGIN {
  printf "1,000,000 whole-word entries: %.2f s, peak %.1f MB, %.0f bytes per entry above the %.1f MB of a run without them\n",
    s, k / 1024, (k - b) * 1024 / 1e6, b / 1024 }'
