#!/usr/bin/env bash
# End to end under wine: drive rows from the real volume calls (C:, Z: and two fixture drives of
# other types made through wine's drive registry), a scoped search that walks a folder no indexer
# knows (past a symbolic link loop), and ":" in the real launcher window listing the drives with
# their usage bars.
# Usage: drives.sh WINE_RUN PREFIX KESTRUNE_EXE KESTRUNE_TESTS_EXE KESTRUNE_CLI_EXE
set -u
here=$(cd "$(dirname "$0")" && pwd)
source "$here/x_session.sh"
x_session_start "$1" "$2" "$3" || exit 1
TESTS=$4 CLI=$5

failures=0
check() {  # check DESCRIPTION COMMAND...
  local what=$1; shift
  if "$@"; then echo "ok   $what"; else echo "FAIL $what"; failures=$((failures + 1)); fi
}
run() { "$WINE_RUN" --prefix="$WINEPREFIX" "$@"; }
winpath() { local p=${1//\//\\}; echo "Z:$p"; }

# --- fixture drives: R: a CD-ROM, N: a network drive, both folders of ours seen through dosdevices ---
mkdir -p "$X_TMP/cdrom" "$X_TMP/share"
ln -sfn "$X_TMP/cdrom" "$WINEPREFIX/dosdevices/r:"
ln -sfn "$X_TMP/share" "$WINEPREFIX/dosdevices/n:"
run reg add 'HKLM\Software\Wine\Drives' /v 'r:' /d cdrom /f >/dev/null 2>&1
run reg add 'HKLM\Software\Wine\Drives' /v 'n:' /d network /f >/dev/null 2>&1
wineserver -w  # the mount manager reads the drive types when wine starts again

# --- the real calls through the engine (Windows unit tests of this run) -------------------------------
if KESTRUNE_FIXTURE_DRIVES='R=CD-ROM;N=Network Drive' run "$TESTS" --gtest_filter='DrivesWin32.*:Backends/VolumesContract.*:Backends/OleDbContract.*' \
    --gtest_brief=1 >"$X_TMP/unit.log" 2>&1 && ! grep -q 'DrivesWin32.*SKIPPED\|Skipped.*fixture' "$X_TMP/unit.log"; then
  echo "ok   drive, folder and Windows Search tests on the real calls"
else
  echo "FAIL drive, folder and Windows Search tests on the real calls:"; cat "$X_TMP/unit.log"; failures=$((failures + 1))
fi

out=$(run "$CLI" query ':' | tr -d '\r')
for title in 'Local Disk (C:)' 'Network Drive (N:)' 'CD-ROM (R:)' 'Local Disk (Z:)'; do
  check "\":\" lists $title" grep -qF $'\t'"$title"$'\t' <<<"$out"
done
check "every drive row is a D row with usage" bash -c '! grep -v $'"'"'^100\t1\tD\t.*free of'"'"' <<<"$1" | grep -q .' _ "$out"

# --- a scoped search no indexer answers: the walk finds the fixture, and a link loop stays unfollowed -
mkdir -p "$X_TMP/scoped/deeper"
: >"$X_TMP/scoped/deeper/zzzfixture_q.txt"
ln -s .. "$X_TMP/scoped/deeper/loop"
scope=$(winpath "$X_TMP/scoped")
out=$(run "$CLI" query zzzfixture --scope "$scope" | tr -d '\r')
want=$'100\t1\tF\tzzzfixture_q.txt\t'"$scope"'\deeper\zzzfixture_q.txt'
check "scoped search walks to the fixture, once" [ "$(cut -f1-5 <<<"$out")" = "$want" ]
out=$(run "$CLI" query '' --scope "$scope" | tr -d '\r')
check "the scope lists its children" grep -qF $'\tdeeper\t' <<<"$out"

# --- the launcher: ":" shows the four drives, each with a usage bar -----------------------------------
W=768 H=460 LIST_TOP=62 ROW_H=52 BG='#1E1E2E'
TRACK='#585B70' FILL='#89B4FA' FULL='#F38B8B'
win_shot() { shot_window "$X_TMP/w.png" "$WX" "$WY" "$W" "$H"; }
painted() { win_shot && [ "$(pixel "$X_TMP/w.png" 700 $(( H - 60 )))" = "$BG" ]; }
bar_band() { echo "700x14+50+$(( LIST_TOP + ROW_H * $1 + 31 ))"; }
bar_pixels() {
  local band; band=$(bar_band "$1")
  echo $(( $(count_colour "$X_TMP/w.png" "$band" "$TRACK") + $(count_colour "$X_TMP/w.png" "$band" "$FILL") \
           + $(count_colour "$X_TMP/w.png" "$band" "$FULL") ))
}
four_bars() {
  win_shot || return 1
  local k
  for k in 0 1 2 3; do [ "$(bar_pixels "$k")" -gt 3000 ] || return 1; done
  [ "$(bar_pixels 4)" -lt 100 ]
}
xdotool mousemove 1900 1070
launch
if wait_until 90 bash -c "xdotool search --name '^Kestrune\$' >/dev/null"; then
  MAIN=$(first_window_named Kestrune)
  eval "$(geometry "$MAIN")"
  WX=$X WY=$Y
  wait_until 30 painted
  xdotool windowfocus --sync "$MAIN"
  xdotool type --delay 20 ':'
  check "\":\" shows four drive rows with usage bars" wait_until 15 four_bars
  [ -n "${KESTRUNE_E2E_KEEP:-}" ] && cp "$X_TMP/w.png" "$KESTRUNE_E2E_KEEP/drives.png"
else
  echo "FAIL no launcher window"; failures=$((failures + 1))
fi

echo "e2e: $failures failed"
[ "$failures" = 0 ]
