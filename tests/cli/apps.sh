#!/bin/bash
# kestrune-cli apps: the application rows, one tab-separated line each.
set -u
IFS=';' read -ra CLI <<< "$1"
fail() { echo "FAIL: $*" >&2; exit 1; }
settings=$'\t1\tA\tWindows Settings\tApplication\t\tms-settings:'

out=$("${CLI[@]}" apps) || fail "apps exited $?"
out=${out//$'\r'/}
[ "$(grep -c "^100${settings}\$" <<< "$out")" = 1 ] || fail "listing without one Windows Settings row: [$out]"
while IFS= read -r line; do
  [ -z "$line" ] && continue
  fields=$(printf '%s' "$line" | awk -F'\t' '{print NF}')
  [ "$fields" = 7 ] || fail "row with $fields fields: [$line]"
  kind=$(cut -f2 <<< "$line")
  [ "$kind" = 1 ] || fail "app row of kind $kind: [$line]"
  tag=$(cut -f3 <<< "$line")
  target=$(cut -f7 <<< "$line")
  if [ "$tag" = T ]; then
    case "$target" in [Ss][Hh][Ee][Ll][Ll]:*) ;; *) fail "packaged row not started through shell: [$line]" ;; esac
  fi
done <<< "$out"

out=$("${CLI[@]}" apps "windows settings") || fail "apps query exited $?"
out=${out//$'\r'/}
[ "$out" = "110${settings}" ] || fail "exact query: [$out]"

out=$("${CLI[@]}" apps "zzqqxxkestrune") || fail "apps nonsense exited $?"
[ -z "${out//$'\r'/}" ] || fail "nonsense query found rows: [$out]"

"${CLI[@]}" apps one two >/dev/null 2>&1 && fail "two queries accepted"
exit 0
