#!/usr/bin/env bash
# End to end: result rows show real icons instead of letter tiles, and a file row dragged out of
# the launcher window onto another program's drop target delivers exactly that file; Escape during
# a drag cancels it. The real kestrune.exe under wine on a private virtual X server, driven with
# xdotool; the drop target is the marker program's --drop-target mode.
# Usage: icons.sh WINE_RUN PREFIX KESTRUNE_EXE MARKER_EXE
set -u
here=$(cd "$(dirname "$0")" && pwd)
source "$here/x_session.sh"
x_session_start "$1" "$2" "$3" || exit 1
MARKER=$4

failures=0
check() {  # check DESCRIPTION COMMAND...
  local what=$1; shift
  if "$@"; then echo "ok   $what"; else echo "FAIL $what"; failures=$((failures + 1)); fi
}

# Dark theme, 96 DPI, 768 x 7 rows: the icon box of row n is 20 x 20 at (12, row top + 16).
BG='#1E1E2E' TILE='#585B70' MATCH='#D9B130'
W=768 H=460 LIST_TOP=62 ROW_H=52
row_centre() { echo $(( LIST_TOP + ROW_H * $1 + ROW_H / 2 )); }
icon_box() { echo "20x20+12+$(( LIST_TOP + ROW_H * $1 + 16 ))"; }
win_shot() { shot_window "$X_TMP/w.png" "$WX" "$WY" "$W" "$H"; }
painted() { win_shot && [ "$(pixel "$X_TMP/w.png" 700 $(( H - 60 )))" = "$BG" ]; }
matched_in_row() { win_shot && [ "$(count_colour "$X_TMP/w.png" "700x26+50+$(( LIST_TOP + ROW_H * $1 + 2 ))" "$MATCH")" -gt 10 ]; }
# A tile fills most of its box with the tile colour; an icon leaves little or none of it. The fuzz
# is tight: the selected row's background is close to the tile colour.
tile_pixels() {
  convert "$1" -crop "$2" +repage -fuzz 3% -fill white -opaque "$TILE" -fill black +opaque white \
    -format '%[fx:round(mean*w*h)]' info:
}
has_icon() { win_shot && [ "$(tile_pixels "$X_TMP/w.png" "$(icon_box "$1")")" -lt 120 ]; }

# Files for the rows, pinned so that a search finds them (the file indexers are not needed).
files="$X_TMP/files"
mkdir -p "$files/kestrunefolder"
echo "notes" >"$files/kestrunenotes.txt"
cp "$MARKER" "$files/kestruneprogram.exe"
win() { echo "Z:${1//\//\\}"; }
esc() { local p; p=$(win "$1"); echo "${p//\\/\\\\}"; }
{
  for f in kestrunenotes.txt kestruneprogram.exe kestrunefolder; do
    printf '[pin]\npath=%s\nact=1\n' "$(esc "$files/$f")"
  done
} >"$X_TMP/data/quick_access.dat"

xdotool mousemove 1900 1070
launch; first=$LAUNCHED
wait_until 90 bash -c "xdotool search --name '^Kestrune\$' >/dev/null" || { echo "FAIL no launcher window"; echo "e2e: 1 failed"; exit 1; }
MAIN=$(first_window_named Kestrune)
eval "$(geometry "$MAIN")"
WX=$X WY=$Y
check "first frame painted" wait_until 30 painted

xdotool windowfocus --sync "$MAIN"
xdotool type --delay 20 kestrune
check "the pinned rows are found" wait_until 15 matched_in_row 2
for n in 0 1 2; do check "row $n shows an icon, not its letter tile" wait_until 15 has_icon "$n"; done
[ -n "${KESTRUNE_E2E_KEEP:-}" ] && cp "$X_TMP/w.png" "$KESTRUNE_E2E_KEEP/icons-rows.png" 2>/dev/null

# Which row is the text file: the pins keep their order only for equal scores, so search it alone.
xdotool type --delay 20 notes
check "the text file's row" wait_until 15 matched_in_row 0

"$WINE_RUN" --prefix="$WINEPREFIX" "$MARKER" --drop-target "$(win "$X_TMP/drop.log")" >/dev/null 2>&1 &
wait_until 60 bash -c "xdotool search --name '^Kestrune drop target\$' >/dev/null" || echo "FAIL no drop target"
sleep 1

# drag FROM_X FROM_Y (window) then steps onto the target at the screen's top-left corner.
drag_to_target() {
  xdotool mousemove $(( WX + 300 )) $(( WY + $(row_centre 0) ))
  sleep 0.3
  xdotool mousedown 1
  local x y
  for step in 1 2 3 4 5 6; do
    x=$(( WX + 300 - (WX + 300 - 120) * step / 6 ))
    y=$(( WY + $(row_centre 0) - (WY + $(row_centre 0) - 120) * step / 6 ))
    xdotool mousemove "$x" "$y"
    sleep 0.15
  done
}

xdotool windowfocus --sync "$MAIN"
drag_to_target
xdotool key Escape
sleep 0.3
xdotool mouseup 1
sleep 1.5
check "Escape during the drag drops nothing" test ! -e "$X_TMP/drop.log"

xdotool windowfocus --sync "$MAIN"
drag_to_target
xdotool mouseup 1
check "the drop target received a drop" wait_until 10 test -s "$X_TMP/drop.log"
want="path $(win "$files/kestrunenotes.txt")"
check "exactly one file in CF_HDROP" grep -qx 'files 1' "$X_TMP/drop.log"
check "the dragged path is the row's file" grep -qxF "$want" "$X_TMP/drop.log"
check "the preferred effect is copy" grep -qx 'preferred 1' "$X_TMP/drop.log"
[ "$failures" = 0 ] || { echo "--- drop.log"; cat "$X_TMP/drop.log" 2>/dev/null; echo "--- want: $want"; }

echo "e2e: $failures failed"
[ "$failures" = 0 ]
