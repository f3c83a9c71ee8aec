#!/usr/bin/env bash
# Files and folders through Everything: the client in kestrune-cli and in the real launcher, under
# wine, against tools/everything-peer, which plays Everything's side of the window-message
# interface from a listing file and can refuse, stay silent, hang or answer late.
# Usage: everything.sh WINE_RUN PREFIX KESTRUNE_EXE CLI_EXE PEER_EXE MARKER_EXE
set -u
here=$(cd "$(dirname "$0")" && pwd)
source "$here/x_session.sh"
x_session_start "$1" "$2" "$3" || exit 1
CLI=$4 PEER=$5 MARKER=$6

failures=0
check() {  # check DESCRIPTION COMMAND...
  local what=$1; shift
  if "$@"; then echo "ok   $what"; else echo "FAIL $what"; failures=$((failures + 1)); fi
}
winpath() { echo "Z:${1//\//\\}"; }
run() { "$WINE_RUN" --prefix="$WINEPREFIX" "$@"; }

# --- fixtures: files the peer lists, one of them a program that reports being started ------------
F="$X_TMP/files"
mkdir -p "$F/evprobe"
cp "$MARKER" "$F/evprobe_fixture.exe"
export KESTRUNE_MARKER
KESTRUNE_MARKER=$(winpath "$X_TMP/marker.txt")
WF=$(winpath "$F")
long="evprobe$(printf 'x%.0s' $(seq 4090))"  # a name of 4097 units
{
  printf '%s\t%s\t%s\t%s\n' "$WF\\evprobe_fixture.exe" 12345 133000000000000001 0x20
  printf '%s\t%s\t%s\t%s\n' "$WF\\evprobe" 4096 133000000000000002 0x10
  printf '%s\t%s\t%s\t%s\n' "$WF\\$long" 1 1 0x20
  printf '%s\t%s\t%s\t%s\n' "$WF\\evprobez.txt" 7 133000000000000003 0x20
  for w in beta gamma delta; do printf '%s\t%s\t%s\t%s\n' "$WF\\$w.txt" 1 1 0x20; done
  for i in $(seq 100 160); do printf '%s\t%s\t%s\t%s\n' "$WF\\bulk_$i.txt" "$i" 1 0x20; done
} >"$X_TMP/listing.txt"
LISTING=$(winpath "$X_TMP/listing.txt")
LOG="$X_TMP/peer.log"

# peer ARGS...: a fresh peer with these switches, up once its window exists.
peer() {
  [ -n "${PEER_PID:-}" ] && peer_stop
  rm -f "$LOG"
  run "$PEER" --listing "$LISTING" --log "$(winpath "$LOG")" "$@" >/dev/null 2>&1 &
  PEER_PID=$!
  wait_until 30 grep -q ready "$LOG" || echo "FAIL the peer did not start"
}
peer_stop() {
  run "$PEER" --quit >/dev/null 2>&1
  wait_until 15 bash -c "! kill -0 $PEER_PID" || kill "$PEER_PID" 2>/dev/null
  PEER_PID=
}
ev() { run "$CLI" everything "$@" 2>&1 | tr -d '\r'; }
# field N of the row whose title is T (fields: score kind tag title subtitle path target folder size date)
field_of() { awk -F'\t' -v t="$1" -v n="$2" '$4 == t { print $n; exit }' "$X_TMP/out"; }
received() { grep -c "^$1 " "$LOG"; }

# --- code 18: kinds, titles, paths, folder flags, sizes, dates; the over-long name is skipped ----
peer
ev evprobe >"$X_TMP/out"
check "V2 query is answered" grep -qx "result 0 evprobe" "$X_TMP/out"
check "V2 rows: the file with its path, size and date" \
  test "$(field_of evprobe_fixture.exe 2),$(field_of evprobe_fixture.exe 3),$(field_of evprobe_fixture.exe 6),$(field_of evprobe_fixture.exe 8),$(field_of evprobe_fixture.exe 9),$(field_of evprobe_fixture.exe 10)" \
       = "1,E,$WF\\evprobe_fixture.exe,0,12345,133000000000000001"
check "V2 rows: the folder flagged, without a size" \
  test "$(field_of evprobe 8),$(field_of evprobe 9),$(field_of evprobe 10)" = "1,-,133000000000000002"
check "V2 rows: the 4097-unit name skipped, the item after it read" \
  test "$(grep -c '^[0-9]' "$X_TMP/out"),$(field_of evprobez.txt 6)" = "3,$WF\\evprobez.txt"

# kestrune-cli query with indexer=everything gives the launcher's rows from the peer.
printf '[set]\r\nindexer=everything\r\n' >"$X_TMP/data/settings.dat"
run "$CLI" query evprobe_fixture 2>&1 | tr -d '\r' >"$X_TMP/query.out"
# (awk reads the path from the environment: -v would take its backslashes for escapes)
check "kestrune-cli query lists the file from Everything" env P="$WF\\evprobe_fixture.exe" \
  awk -F'\t' '$3 == "E" && $4 == "evprobe_fixture.exe" && $6 == ENVIRON["P"] { f = 1 } END { exit !f }' "$X_TMP/query.out"

# The round trip for 50 results (the benchmark of the whole exchange).
bench=$(run "$CLI" everything-bench bulk 100 2>&1 | tr -d '\r')
echo "measure: $bench"
check "the benchmark got 50 results" grep -q "50 results" <<<"$bench"

# --- code 2: an Everything that does not know code 18 ------------------------------------------
peer --v1-only
ev evprobe >"$X_TMP/out"
check "V1 fall-back answered after code 18 was refused" \
  test "$(head -1 "$X_TMP/out"),$(received 18),$(received 2)" = "result 0 evprobe,1,1"
check "V1 rows: path, no folder flag, size or date" \
  test "$(field_of evprobe 6),$(field_of evprobe 8),$(field_of evprobe 9),$(field_of evprobe 10)" = "$WF\\evprobe,0,-,-"

# --- refusal, silence, a hung Everything ----------------------------------------------------------
peer --refuse
check "both records refused: result 3" test "$(ev evprobe | head -1),$(received 2)" = "result 3 evprobe,1"
peer --never
t0=$(now_ms)
out=$(ev evprobe | head -1)
took=$(( $(now_ms) - t0 ))
check "no answer: result 2 after the reply wait ($took ms)" test "$out" = "result 2 evprobe" -a "$took" -ge 1500
peer --hang 3000
check "a hung Everything: result 2 and no code 2 resend" \
  test "$(ev evprobe | head -1),$(received 18),$(received 2)" = "result 2 evprobe,1,0"

# --- a late answer never reaches the next query ----------------------------------------------------
peer --delay 50 --late beta:1700
ev beta gamma delta --pause 500 >"$X_TMP/out"
check "late answer: beta times out, gamma and delta get their own rows" \
  test "$(grep '^result' "$X_TMP/out" | tr '\n' ','),$(awk -F'\t' '/^[0-9]/ { printf "%s,", $4 }' "$X_TMP/out")" \
       = "result 2 beta,result 0 gamma,result 0 delta,,gamma.txt,delta.txt,"

# --- end to end: the launcher lists the file from Everything and Enter opens it ----------------
peer
W=768 H=460 LIST_TOP=62 ROW_H=52 MATCH='#D9B130'
xdotool mousemove 1900 1070
launch
if wait_until 90 bash -c "xdotool search --name '^Kestrune\$' >/dev/null"; then
  MAIN=$(first_window_named Kestrune)
  eval "$(geometry "$MAIN")"
  WX=$X WY=$Y
  sleep 1
  xdotool windowfocus --sync "$MAIN"
  xdotool type --delay 20 evprobe_fix
  first_row_matched() {
    shot_window "$X_TMP/w.png" "$WX" "$WY" "$W" "$H" &&
      [ "$(count_colour "$X_TMP/w.png" "700x26+50+$(( LIST_TOP + 2 ))" "$MATCH")" -gt 40 ]
  }
  check "the launcher lists the file Everything found" wait_until 20 first_row_matched
  check "the launcher asked Everything" grep -q "^18 evprobe_fix" "$LOG"
  xdotool key Return
  marker_started() { [ -s "$X_TMP/marker.txt" ] && iconv -f UTF-16LE -t UTF-8 "$X_TMP/marker.txt" | grep -q evprobe_fixture; }
  check "Enter opens it" wait_until 30 marker_started
else
  echo "FAIL no launcher window"; failures=$((failures + 1))
fi
peer_stop

echo "e2e: $failures failed"
[ "$failures" = 0 ]
