#!/usr/bin/env bash
# End to end: the folder scope, the context menu and Enter on freshly typed text, in the real
# kestrune.exe under wine on a private virtual X server.
# Usage: menu_scope.sh WINE_RUN PREFIX KESTRUNE_EXE MARKER_EXE
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
win_path() { local p=${1//\//\\}; echo "Z:$p"; }

# Dark theme at 96 DPI, 768 x 7 rows; chips are key-cap rectangles in the box's band (y 16 to 42).
BG='#1E1E2E' CHIP='#45475A' SELECTED='#45475A'
W=768 H=460 LIST_TOP=62 ROW_H=52 CHIP_Y=17
win_shot() { shot_window "$X_TMP/w.png" "$WX" "$WY" "$W" "$H"; }
# Chips drawn now: runs of the chip colour along one line of the band, left of the text.
chip_count() {
  win_shot || return 1
  convert "$X_TMP/w.png" -crop "${W}x1+0+$CHIP_Y" +repage txt:- | tail -n +2 | awk -v c="$CHIP" '
    { on = (toupper($3) == c) } on && !was { n++ } { was = on } END { print n + 0 }'
}
chips_are() { [ "$(chip_count)" = "$1" ]; }
row_selected() { win_shot && [ "$(pixel "$X_TMP/w.png" 600 $(( LIST_TOP + ROW_H * $1 + ROW_H / 2 )))" = "$SELECTED" ]; }

# A folder to type, a file to pin (its row is the menu's target) and the pin itself.
mkdir -p "$X_TMP/scope/alpha"
echo note > "$X_TMP/scope/menu-probe-note.txt"
NOTE=$(win_path "$X_TMP/scope/menu-probe-note.txt")
# The marker program stands in for an application: Enter on its pin starts it, and it writes its
# command line to $KESTRUNE_MARKER (inherited through the launcher).
PROBE=$(win_path "$MARKER")
export KESTRUNE_MARKER=$(win_path "$X_TMP/marker.txt")
printf '\xEF\xBB\xBF# Kestrune data v1\r\n\r\n[pin]\r\npath=%s\r\ntitle=menu probe note\r\nact=1\r\n\r\n[pin]\r\npath=%s\r\ntitle=probe marker run\r\nact=1\r\n' \
  "${NOTE//\\/\\\\}" "${PROBE//\\/\\\\}" > "$X_TMP/data/quick_access.dat"

xdotool mousemove 1900 1070
launch
wait_until 90 bash -c "xdotool search --name '^Kestrune\$' >/dev/null" || { echo "FAIL no launcher window"; exit 1; }
MAIN=$(first_window_named Kestrune)
eval "$(geometry "$MAIN")"
WX=$X WY=$Y
wait_until 30 is_viewable "$MAIN"
xdotool windowfocus --sync "$MAIN"

# --- a typed path, key by key: every step is read against the scope it already entered ----------
FOLDER=$(win_path "$X_TMP/scope/alpha")
segments=$(( $(tr -cd '\\' <<< "$FOLDER" | wc -c) + 1 ))
xdotool type --delay 40 "$FOLDER\\"
check "typing $FOLDER\\ enters it: $segments chips" wait_until 15 chips_are "$segments"
cp "$X_TMP/w.png" "$X_TMP/scope.png" 2>/dev/null
for (( n = segments - 1; n >= 0; n-- )); do
  xdotool key Escape
  check "Escape goes up one level ($n chips)" wait_until 5 chips_are "$n"
done
check "the window stays while Escape peels the scope" is_viewable "$MAIN"

# --- Tab on a file row, "Copy path": the clipboard holds the path, the window hides ---------------
xdotool type --delay 30 "menu probe note"
check "the pinned file is listed and selected" wait_until 15 row_selected 0
xdotool key Tab
sleep 0.5
xdotool type --delay 30 "copy path"
sleep 0.5
xdotool key Return
check "the window hides after the copy" wait_until 10 is_unmapped "$MAIN"
clip_is_note() {
  "$WINE_RUN" --prefix="$WINEPREFIX" "$MARKER" --save-clipboard "$(win_path "$X_TMP/clip.txt")" >/dev/null 2>&1 &&
    [ "$(iconv -f UTF-16LE -t UTF-8 "$X_TMP/clip.txt")" = "$NOTE" ]
}
check "Copy path put the file's path on the clipboard" wait_until 10 clip_is_note
usage_counted() { tr -d '\r' < "$X_TMP/data/menu_usage.dat" | sed $'1s/^\xEF\xBB\xBF//' | grep -q $'^1\tcopy:Copy path$'; }
check "the choice is counted in menu_usage.dat" wait_until 5 usage_counted

# --- Enter right after typing runs the row of the typed text ------------------------------------
TRAY=$(first_window_named "Wine System Tray")
[ -n "$TRAY" ] && xdotool windowfocus --sync "$TRAY"
xdotool key alt+space
wait_until 10 is_viewable "$MAIN" && xdotool windowfocus --sync "$MAIN"
xdotool type --delay 0 "probe marker run" && xdotool key Return
started() { [ -s "$X_TMP/marker.txt" ]; }
check "Enter with no pause starts the typed row" wait_until 20 started
recorded() { grep -qi "kestrune_marker.exe" "$X_TMP/data/history.dat" 2>/dev/null; }
check "history records that launch" wait_until 5 recorded
one_launch() { [ "$(grep -c '^\[hist\]' "$X_TMP/data/history.dat")" = 1 ]; }
check "and nothing else was launched" one_launch

echo "e2e: $failures failed"
[ "$failures" = 0 ]
