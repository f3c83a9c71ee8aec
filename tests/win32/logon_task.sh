#!/usr/bin/env bash
# kestrune.exe --install-task / --remove-task under wine, against our schtasks.exe stand-in placed
# where the launcher looks for it (wine runs its own built-in schtasks unless told otherwise), from
# a folder whose name holds "&" and "'".
# Usage: logon_task.sh WINE_RUN PREFIX KESTRUNE_EXE SCHTASKS_PEER_EXE
set -u
WINE_RUN=$1 PREFIX=$2 EXE=$3 PEER=$4
failures=0
pass() { echo "ok   $*"; }
fail() { echo "FAIL $*"; failures=$((failures + 1)); }
run() { "$WINE_RUN" --prefix="$PREFIX" "$@" </dev/null >/dev/null 2>&1; }

run "$PEER"  # sets the prefix up (the peer alone exits at once)
c="$PREFIX/drive_c"
cp "$PEER" "$c/windows/system32/schtasks.exe" || { echo "e2e: cannot place the peer"; exit 1; }
dir="$c/Tools/R&D O'Brien"
mkdir -p "$dir" && cp "$EXE" "$dir/kestrune.exe"
win_exe="C:\\Tools\\R&D O'Brien\\kestrune.exe"
rm -f "$c/task.xml" "$c/schtasks.log" "$c/refuse"
export KESTRUNE_SCHTASKS_STORE='C:\task.xml' KESTRUNE_SCHTASKS_LOG='C:\schtasks.log' KESTRUNE_SCHTASKS_REFUSE='C:\refuse'
export WINEDLLOVERRIDES="schtasks.exe=n;mscoree,mshtml="

run "$win_exe" --install-task; code=$?
[ "$code" = 0 ] && pass "--install-task exits 0" || fail "--install-task exited $code"
if [ -f "$c/task.xml" ]; then
  if python3 - "$c/task.xml" "$win_exe" <<'PY'
import sys, xml.etree.ElementTree as ET
raw = open(sys.argv[1], 'rb').read()
assert raw[:2] == b'\xff\xfe', 'no UTF-16 LE byte-order mark'
text = raw[2:].decode('utf-16-le')
assert '\r\n' in text and '\n' not in text.replace('\r\n', ''), 'lines must end in CR LF'
ns = {'t': 'http://schemas.microsoft.com/windows/2004/02/mit/task'}
root = ET.fromstring(text)  # well-formed, or this raises
cmd = root.find('t:Actions/t:Exec/t:Command', ns).text
assert cmd == '"' + sys.argv[2] + '"', 'command is %r' % cmd
user = root.find('t:Principals/t:Principal/t:UserId', ns).text
assert user.startswith('S-1-5-'), 'principal is %r' % user
assert root.find('t:Triggers/t:LogonTrigger/t:UserId', ns).text == user, 'trigger user differs'
PY
  then pass "the stored definition is well-formed and names the exact path and this user"; else fail "stored definition"; fi
else
  fail "no task was stored"
fi
grep -q '^"C:\\windows\\system32\\schtasks.exe" /create /tn "Kestrune" /xml "' "$c/schtasks.log" \
  && pass "schtasks runs by its full system path" || { fail "schtasks command line:"; cat "$c/schtasks.log"; }
left=$(find "$c/users" -name 'KestruneTask*.xml' 2>/dev/null | wc -l)
[ "$left" = 0 ] && pass "the definition file is removed" || fail "$left definition files left behind"

run "$win_exe" --remove-task; code=$?
[ "$code" = 0 ] && [ ! -f "$c/task.xml" ] && pass "--remove-task removes the task" || fail "--remove-task exited $code"
run "$win_exe" --remove-task; code=$?
[ "$code" = 1 ] && pass "--remove-task without a task exits 1" || fail "--remove-task without a task exited $code"
touch "$c/refuse"
run "$win_exe" --install-task; code=$?
[ "$code" = 1 ] && [ ! -f "$c/task.xml" ] && pass "a refused create exits 1" || fail "a refused create exited $code"
rm -f "$c/refuse"

echo "logon task: $failures failed"
[ "$failures" = 0 ]
