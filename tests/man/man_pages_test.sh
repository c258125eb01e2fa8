#!/usr/bin/env bash
# The man pages as built: each option that the program's --help lists is on its page in
# both languages, the pages hold the sections that --help cannot give, man formats them
# without a warning, and the Japanese include files have each English section's
# counterpart. Usage: man_pages_test.sh MAN-FOLDER SOURCE-FOLDER PROGRAM...
set -u
MAN=$1
SOURCES=$2
shift 2
source "$(dirname "$0")/../support/check.sh"

# The page as man shows it, in plain text; man's and groff's warnings in $T/warnings
# (Japanese text, which has no blanks, gives them unless the page sets it as Japanese).
shown() {
  MANWIDTH=80 man --warnings -E UTF-8 -l "$1" 2> "$T/warnings" | col -b
}

for program in "$@"; do
  name=$(basename "$program")
  for page in "$MAN/$name.1.gz" "$MAN/ja/$name.1.gz"; do
    text=$(shown "$page")
    check "$page formats without warnings" "" "$(cat "$T/warnings")"
    check "$page names the program" "1" "$(grep -c -e "^ *$name - " <<< "$text")"
    # Every option of --help, one word each ("--output-encoding" from "--output-encoding=ENC").
    for option in $(LC_ALL=C "$program" --help | grep -e '^ *-' |
      grep -o -e ' --\?[a-zA-Z][-a-zA-Z]*'); do
      check "$page has $option" "$option" "$(grep -o -e "$option\b" <<< "$text" | head -n 1)"
    done
  done
done

text=$(shown "$MAN/varsik-grep.1.gz")
for section in NAME SYNOPSIS DESCRIPTION OPTIONS OUTPUT MASKS EXAMPLES "SEE ALSO"; do
  check "varsik-grep(1) has $section" "$section" "$(grep -x -e "$section" <<< "$text")"
done
check "varsik-grep(1) gives the exit status" "Exit status:" "$(grep -o -e 'Exit status:' <<< "$text")"
text=$(shown "$MAN/ja/varsik-grep.1.gz")
for section in 名前 書式 説明 オプション 出力 マスク 例 関連項目; do
  check "Japanese varsik-grep(1) has $section" "$section" "$(grep -x -e "$section" <<< "$text")"
done
check "Japanese varsik-grep(1) gives the exit status" "終了ステータス:" \
  "$(grep -o -e '終了ステータス:' <<< "$text")"
if [ -e "$MAN/varsik.1.gz" ]; then
  text=$(shown "$MAN/varsik.1.gz")
  for section in DESCRIPTION MASKS "TAG JUMP" FILES EXAMPLES; do
    check "varsik(1) has $section" "$section" "$(grep -x -e "$section" <<< "$text")"
  done
  # The settings' section names in the examples are text, not sections of the page.
  check "varsik(1): [Editor] is no section" "" "$(grep -x -e EDITOR <<< "$text")"
  for editor in gvim emacs kate "code -g"; do
    check "varsik(1) shows the jump to $editor" "$editor" "$(grep -o -e "$editor" <<< "$text" | head -n 1)"
  done
  text=$(shown "$MAN/ja/varsik.1.gz")
  for section in 説明 マスク タグジャンプ ファイル 例; do
    check "Japanese varsik(1) has $section" "$section" "$(grep -x -e "$section" <<< "$text")"
  done
fi

# Each include file's Japanese has as many sections and examples as the English.
for include in "$SOURCES"/*.h2m; do
  ja=$SOURCES/ja/$(basename "$include")
  for mark in '^\[' '^\.TP' '^\.nf' '^\.RS'; do
    check "$(basename "$include"): as many '$mark' in Japanese" "$(grep -c -e "$mark" "$include")" \
      "$(grep -c -e "$mark" "$ja" 2>&1)"
  done
done

finish
