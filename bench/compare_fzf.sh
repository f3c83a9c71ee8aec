#!/usr/bin/env bash
# Times `kestrune-cli filter` against `fzf --filter` on the same lines and the same queries, in one
# run, and prints for every query the median of REPEAT runs of each (taken in turn), their ratio
# (fzf time / kestrune time) and the number of matches of each, then the totals of the medians.
# Usage: bench/compare_fzf.sh [LINES | FILE]
#   LINES: that many deterministic file-name-like lines (default 1000000);
#   FILE: the lines of an existing file, e.g. a real file list made with
#         find /usr /etc /var /opt > /tmp/paths.txt
# REPEAT (default 3) sets the runs per query. fzf may use every core; kestrune-cli uses one.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build/native-release"
arg=${1:-1000000}
repeat=${REPEAT:-3}

if [[ ! -x "$build/kestrune-cli" ]]; then
  (cd "$root" && cmake --preset native-release >/dev/null && cmake --build build/native-release -j2 --target kestrune-cli)
fi
command -v fzf >/dev/null || { echo "fzf is not installed" >&2; exit 1; }

if [[ -f "$arg" ]]; then
  corpus=$arg
else
  lines=$arg
  corpus="$build/fzf_corpus_$lines.txt"
fi
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
median() { printf '%s\n' "$@" | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
total_k=0
total_f=0
echo "corpus: $corpus ($(wc -l < "$corpus") lines)  runs per query: $repeat  load: $(cut -d' ' -f1-3 /proc/loadavg 2>/dev/null || uptime)"
printf '%-14s %10s %10s %8s %10s %10s\n' query kestrune_ms fzf_ms ratio k_matches f_matches
for q in "${queries[@]}"; do
  ks=()
  fs=()
  for ((r = 0; r < repeat; r++)); do
    t0=$(now)
    km=$("$build/kestrune-cli" filter "$q" < "$corpus" | wc -l)
    t1=$(now)
    fm=$( (fzf --filter "$q" < "$corpus" || true) | wc -l)  # fzf exits with 1 when nothing matches
    t2=$(now)
    ks+=($(( (t1 - t0) / 1000000 )))
    fs+=($(( (t2 - t1) / 1000000 )))
  done
  k=$(median "${ks[@]}")
  f=$(median "${fs[@]}")
  total_k=$(( total_k + k ))
  total_f=$(( total_f + f ))
  printf '%-14s %10d %10d %8s %10d %10d\n' "$q" "$k" "$f" "$(awk -v a="$f" -v b="$k" 'BEGIN { printf "%.2f", b ? a / b : 0 }')" "$km" "$fm"
done
echo "total kestrune: ${total_k} ms  total fzf: ${total_f} ms  ratio fzf/kestrune: $(awk -v a="$total_f" -v b="$total_k" 'BEGIN { printf "%.2f", b ? a / b : 0 }')  load: $(cut -d' ' -f1-3 /proc/loadavg 2>/dev/null || uptime)"
