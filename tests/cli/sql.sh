#!/usr/bin/env bash
# kestrune-cli sql: the two statements of the Windows Search client, byte for byte.
set -u
IFS=';' read -ra CLI <<< "$1"
fail=0

H='SELECT TOP 50 System.ItemName, System.ItemFolderPathDisplay FROM SYSTEMINDEX WHERE '
H2000='SELECT TOP 2000 System.ItemName, System.ItemFolderPathDisplay FROM SYSTEMINDEX WHERE '
X=" AND (System.ItemFolderPathDisplay = 'C:\\X' OR System.ItemFolderPathDisplay LIKE 'C:\\X\\%')"

# expect CONTAINS LIKE ARGS...: the two printed lines.
expect() {
  local want="$1"$'\n'"$2"$'\n.'
  shift 2
  local got
  got=$("${CLI[@]}" sql "$@" | tr -d '\r'; echo .)  # the dot keeps empty lines from being dropped
  if [[ "$got" != "$want" ]]; then
    printf 'FAIL: sql %s\n  want: %q\n  got:  %q\n' "$*" "$want" "$got"
    fail=1
  fi
}

expect "${H}CONTAINS(System.FileName, '\"terminal*\"')" "${H}System.FileName LIKE '%terminal%'" terminal
expect "${H}CONTAINS(System.FileName, '\"quarterly*\"') AND CONTAINS(System.FileName, '\"report*\"')" \
       "${H}System.FileName LIKE '%quarterly%report%'" "quarterly report"
expect "${H}(System.FileExtension = '.pdf')" "${H}System.FileName LIKE '%' AND (System.FileExtension = '.pdf')" '*.pdf'
expect "${H}(System.FileExtension = '.png')" "${H}System.FileName LIKE '%' AND (System.FileExtension = '.png')" ext:.png
expect "${H}CONTAINS(System.FileName, '\"report.pdf*\"')" "${H}System.FileName LIKE '%report%.pdf%'" 'report*.pdf'
expect "${H}CONTAINS(System.FileName, '\"o''brien*\"')" "${H}System.FileName LIKE '%o''brien%'" "o'brien"
ext="(System.FileExtension = '.exe' OR System.FileExtension = '.lnk')"
expect "${H2000}CONTAINS(System.FileName, '\"report*\"') AND ${ext}${X}" \
       "${H2000}System.FileName LIKE '%report%' AND ${ext}${X}" report --scope 'C:\X\' --ext 'exe;lnk' --limit 2000
# The scope gets its trailing backslash as the result view hands it over.
expect "${H2000}CONTAINS(System.FileName, '\"report*\"') AND ${ext}${X}" \
       "${H2000}System.FileName LIKE '%report%' AND ${ext}${X}" report --scope 'C:\X' --ext 'exe;lnk' --limit 2000
expect "" "${H}System.FileName LIKE '%%%'" '*'
# The limit rules apply to a given limit.
expect "${H}CONTAINS(System.FileName, '\"a*\"')" "${H}System.FileName LIKE '%a%'" a --limit 0
expect "${H}CONTAINS(System.FileName, '\"a*\"')" "${H}System.FileName LIKE '%a%'" a --limit -7
expect "${H/50/10000}CONTAINS(System.FileName, '\"a*\"')" "${H/50/10000}System.FileName LIKE '%a%'" a --limit 99999999999
# A list of nothing but separators builds neither form.
expect "" "" a --ext ';'

"${CLI[@]}" sql >/dev/null 2>&1 && { echo "FAIL: sql without QUERY succeeded"; fail=1; }
"${CLI[@]}" sql a --limit x >/dev/null 2>&1 && { echo "FAIL: --limit x succeeded"; fail=1; }
"${CLI[@]}" sql a --scope >/dev/null 2>&1 && { echo "FAIL: --scope without a folder succeeded"; fail=1; }
exit $fail
