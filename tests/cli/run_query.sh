#!/bin/bash
# kestrune-cli query TEXT [--scope FOLDER]: rows of the search pipeline, one tab-separated line each.
set -u
IFS=';' read -ra CLI <<< "$1"
fail() { echo "FAIL: $*" >&2; exit 1; }

out=$("${CLI[@]}" query exit) || fail "query exit exited $?"
out=${out%$'\r'}
[ "$out" = $'1000\t4\tX\tExit Kestrune\tQuit the launcher\t\t' ] || fail "exit row: [$out]"

out=$("${CLI[@]}" query bluetooth) || fail "query bluetooth exited $?"
echo "$out" | grep -q $'\t2\tS\tBluetooth\t' || fail "no Bluetooth settings row: [$out]"
lines=$(printf '%s\n' "$out" | grep -c .)
[ "$lines" -le 50 ] || fail "more than 50 rows: $lines"
while IFS= read -r line; do
  fields=$(printf '%s' "${line%$'\r'}" | awk -F'\t' '{print NF}')
  [ "$fields" = 7 ] || fail "row with $fields fields: [$line]"
done <<< "$out"

# A scoped search that neither the indexer nor the walk answers names what it looked for (the
# folder exists and holds something here and under wine; Windows Search is off in both).
programs='C:\ProgramData\Microsoft\Windows'
out=$("${CLI[@]}" query zzqqnothing --scope "$programs") || fail "scoped query exited $?"
echo "$out" | grep -q 'No Everything results' || fail "scoped info row: [$out]"
echo "$out" | grep -qF "path:\"$programs\\\" zzqqnothing" || fail "scoped info subtitle: [$out]"

"${CLI[@]}" query >/dev/null 2>&1 && fail "query without TEXT succeeded"
"${CLI[@]}" query x --scope >/dev/null 2>&1 && fail "--scope without a folder succeeded"
exit 0
