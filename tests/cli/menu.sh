#!/usr/bin/env bash
# kestrune-cli menu and scope: the context menu entries of a row (kind, title, subtitle, target,
# argument in menu order) and the folder scope a typed text enters, on the machine it runs on.
set -u
IFS=';' read -ra CLI <<< "$1"
fail=0
mark=$' \xC2\xB7 Kestrune'
T=$'\t'

expect() {  # expect WANT ARGS...  ("Open in Terminal" and "Choose shell..." depend on the shells installed)
  local want=$1
  shift
  local got
  got=$("${CLI[@]}" "$@" | tr -d '\r' | grep -v $'^3[67]\t')
  if [[ "$got" != "$want" ]]; then
    printf 'FAIL: %s\n  want: %q\n  got:  %q\n' "$*" "$want" "$got"
    fail=1
  fi
}

expect "8${T}Pin to Quick Access${T}Pin - shows up at the top of results${mark}${T}${T}Sleep
9${T}Copy title${T}Sleep${mark}${T}Sleep${T}
9${T}Copy details${T}Put the PC to sleep${mark}${T}Put the PC to sleep${T}" \
  menu 16 "" --title Sleep --subtitle "Put the PC to sleep"

expect "2${T}Open${T}Bluetooth${T}ms-settings:bluetooth${T}
8${T}Pin to Quick Access${T}Pin - shows up at the top of results${mark}${T}ms-settings:bluetooth${T}Bluetooth
9${T}Copy title${T}Bluetooth${mark}${T}Bluetooth${T}
9${T}Copy details${T}Devices${mark}${T}Devices${T}" \
  menu 2 ms-settings:bluetooth --title Bluetooth --subtitle Devices

app='shell:AppsFolder\Microsoft.WindowsTerminal_8wekyb3d8bbwe!App'
expect "1${T}Open${T}Terminal${T}${app}${T}
8${T}Pin to Quick Access${T}Pin - shows up at the top of results${mark}${T}${app}${T}Terminal
9${T}Copy app ID${T}${app}${mark}${T}${app}${T}" \
  menu 1 "$app" --title Terminal

dir='C:\Windows\System32'
expect "1${T}Open${T}System32${T}${dir}${T}
5${T}Open containing folder${T}C:\\Windows${T}${dir}${T}
8${T}Pin to Quick Access${T}Pin - shows up at the top of results${mark}${T}${dir}${T}System32
9${T}Copy path${T}${dir}${mark}${T}${dir}${T}
9${T}Copy name${T}System32${mark}${T}System32${T}
10${T}Copy file${T}Paste it into Explorer with Ctrl+V${mark}${T}${dir}${T}" \
  menu 1 "$dir" --title System32

expect "3${T}End process${T}PID 42${mark}${T}${T}np.exe" menu 3 "" --number 42 --argument np.exe
expect "3${T}End all processes${T}np.exe${mark}${T}${T}np.exe" menu 3 "" --argument np.exe

# When a shell is there, the folder offers it and the chooser, right after "Open".
shells=$("${CLI[@]}" menu 1 "$dir" --title System32 | tr -d '\r' | cut -f1 | tr '\n' ' ')
[[ "$shells" == "1 5 8 9 9 10 " || "$shells" == "1 36 37 5 8 9 9 10 " ]] || { echo "FAIL: folder entries: $shells"; fail=1; }

"${CLI[@]}" menu >/dev/null 2>&1 && { echo "FAIL: menu without KIND accepted"; fail=1; }
"${CLI[@]}" menu x "" >/dev/null 2>&1 && { echo "FAIL: a KIND that is no number accepted"; fail=1; }
"${CLI[@]}" menu 1 "" --number >/dev/null 2>&1 && { echo "FAIL: --number without a value accepted"; fail=1; }

# Use counts from menu_usage.dat reorder the entries (under wine, where the data folder is real).
if [[ "${CLI[*]}" == *wine* ]]; then
  data=$(mktemp -d)
  trap 'rm -rf "$data"' EXIT
  printf '\xEF\xBB\xBF5\tcopy:Copy details\r\n' > "$data/menu_usage.dat"
  got=$(KESTRUNE_DATA_DIR="Z:${data//\//\\}" "${CLI[@]}" menu 16 "" --title Sleep --subtitle zzz | tr -d '\r' | cut -f2 | tr '\n' ',')
  [[ "$got" == "Copy details,Pin to Quick Access,Copy title," ]] || { echo "FAIL: use counts not applied: $got"; fail=1; }
fi

# The scope a typed text enters (drive letters upper-cased, a trailing backslash).
shopt -s nocasematch
scope_is() {  # scope_is WANT ARGS...
  local want=$1
  shift
  local got
  got=$("${CLI[@]}" scope "$@" | tr -d '\r')
  [[ "$got" == "$want" ]] || { printf 'FAIL: scope %s\n  want: %q\n  got:  %q\n' "$*" "$want" "$got"; fail=1; }
}
scope_is 'C:\' 'c:'
scope_is 'C:\Windows\' 'c:/windows'
scope_is 'C:\Windows\System32\' 'System32\' --in 'C:\Windows\'
scope_is 'C:\Windows\' '\Windows\' --in 'C:\Windows\System32\'
"${CLI[@]}" scope 'no such folder\' --in 'C:\' >/dev/null 2>&1 && { echo "FAIL: a missing folder entered a scope"; fail=1; }
"${CLI[@]}" scope 'Windows' --in 'C:\' >/dev/null 2>&1 && { echo "FAIL: a text without a separator entered a scope"; fail=1; }
got=$("${CLI[@]}" scope 'c:\windows' --repeat 200 | tr -d '\r' | grep -c '^time')
[[ "$got" == 1 ]] || { echo "FAIL: --repeat reports no time"; fail=1; }
exit $fail
