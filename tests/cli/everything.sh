#!/usr/bin/env bash
# kestrune-cli everything and query with indexer=everything when no Everything runs: the result
# code and the one explanatory row, never a hang or a crash.
set -u
IFS=';' read -ra CLI <<< "$1"
fail() { echo "FAIL: $*" >&2; exit 1; }

out=$("${CLI[@]}" everything abc def) || fail "everything exited $?"
out=$(printf '%s' "$out" | tr -d '\r')
[ "$out" = $'result 1 abc\nresult 1 def' ] || fail "no Everything: [$out]"
"${CLI[@]}" everything >/dev/null 2>&1 && fail "everything without TEXT succeeded"
"${CLI[@]}" everything x --max >/dev/null 2>&1 && fail "--max without a number succeeded"

# With the Everything indexer chosen, a search says why Everything gave nothing (under wine: the
# native tool runs on a blank fake machine without a data folder).
case "${CLI[0]}" in *wine-run.sh) ;; *) exit 0 ;; esac
data=$(mktemp -d)
trap 'rm -rf "$data"' EXIT
printf '[set]\r\nindexer=everything\r\n' >"$data/settings.dat"
export KESTRUNE_DATA_DIR="Z:${data//\//\\}"
out=$("${CLI[@]}" query zzqqfile) || fail "query exited $?"
out=$(printf '%s' "$out" | tr -d '\r')
grep -q $'^100\t0\t?\tEverything IPC error\tEverything is not running or IPC is disabled\t' <<<"$out" \
  || fail "no explanatory row: [$out]"
exit 0
