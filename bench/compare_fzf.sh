#!/usr/bin/env bash
# Times `kestrune-cli filter` against `fzf --filter` on the same million file-name-like lines and the
# same queries, in one run, and prints both times and their ratio (fzf time / kestrune time).
# Usage: bench/compare_fzf.sh [LINES]   (default 1000000; the corpus is deterministic)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build/native-release"
lines=${1:-1000000}

if [[ ! -x "$build/kestrune-cli" ]]; then
  (cd "$root" && cmake --preset native-release >/dev/null && cmake --build build/native-release -j2 --target kestrune-cli)
fi
command -v fzf >/dev/null || { echo "fzf is not installed" >&2; exit 1; }

corpus="$build/fzf_corpus_$lines.txt"
if [[ ! -s "$corpus" ]]; then
  # Park-Miller generator: integer products stay below 2^53, so every awk gives the same lines.
  awk -v n="$lines" 'BEGIN {
    seed = 20261210
    split("Users Program_Files Windows projects src docs build assets photos music Downloads Desktop " \
          "AppData Local Roaming kestrune website reports invoices backup node_modules include lib test", dirs, " ")
    split("report invoice notepad setup readme config main index fuzzy matcher query parser kernel32 " \
          "holiday budget resume thesis draft final summary screenshot archive install launcher update", words, " ")
    split("txt pdf docx xlsx exe dll cpp h png jpg mp3 json md zip lnk ini log html css js", exts, " ")
    nd = length(dirs); nw = length(words); ne = length(exts)
    for (i = 0; i < n; i++) {
      depth = 1 + rnd(4)
      path = "C:"
      for (d = 0; d < depth; d++) path = path "\\" dirs[1 + rnd(nd)]
      name = words[1 + rnd(nw)]
      r = rnd(4)
      if (r == 0) name = name "_" words[1 + rnd(nw)]
      else if (r == 1) name = name "-" rnd(1000)
      else if (r == 2) name = toupper(substr(name, 1, 1)) substr(name, 2) " (" rnd(10) ")"
      print path "\\" name "." exts[1 + rnd(ne)]
    }
  }
  function rnd(k) { seed = (seed * 16807) % 2147483647; return int(seed / 2147483647 * k) }' > "$corpus"
fi

queries=(n rep notepad fzm kestpdf invoice.pdf zzqx srcmain.cpp users)
now() { date +%s%N; }
total_k=0
total_f=0
printf '%-14s %10s %10s %8s %10s %10s\n' query kestrune_ms fzf_ms ratio k_matches f_matches
for q in "${queries[@]}"; do
  t0=$(now)
  km=$("$build/kestrune-cli" filter "$q" < "$corpus" | wc -l)
  t1=$(now)
  fm=$(fzf --filter "$q" < "$corpus" | wc -l)
  t2=$(now)
  k=$(( (t1 - t0) / 1000000 ))
  f=$(( (t2 - t1) / 1000000 ))
  total_k=$(( total_k + k ))
  total_f=$(( total_f + f ))
  printf '%-14s %10d %10d %8s %10d %10d\n' "$q" "$k" "$f" "$(awk -v a="$f" -v b="$k" 'BEGIN { printf "%.2f", b ? a / b : 0 }')" "$km" "$fm"
done
echo "lines: $lines  total kestrune: ${total_k} ms  total fzf: ${total_f} ms  ratio fzf/kestrune: $(awk -v a="$total_f" -v b="$total_k" 'BEGIN { printf "%.2f", b ? a / b : 0 }')"
