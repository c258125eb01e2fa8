#!/usr/bin/env bash
# varsik-grep in the user's language: under LANG=ja_JP.UTF-8 its help, its own error
# messages and the --stats labels are Japanese, under other locales English; the texts
# of the search itself are the same in every locale. Usage: cli_locale_test.sh
# PATH-TO-VARSIK-GREP
set -u
VG=$1
source "$(dirname "$0")/../support/check.sh"
source "$(dirname "$0")/../support/ja_locale.sh"
en() { LC_ALL= LANG="$1" "${@:2}"; }

sjis() { printf '%s' "$1" | iconv -f UTF-8 -t CP932; }
mkdir -p "$T/tree"
sjis $'日本語のテキスト\n' > "$T/tree/a.txt"
ln -s missing.txt "$T/tree/dangling.txt"

# Help.
out=$(ja "$VG" --help); rc=$?
check "Japanese help: exit" 0 $rc
check "Japanese help: usage line" "使用法: varsik-grep [オプション]... WORD [MASKS [FOLDER]]" \
  "$(head -n 1 <<< "$out")"
check "Japanese help: an option" "  -E, --regex                WORD を正規表現とする" \
  "$(grep -e '--regex' <<< "$out")"
for locale in C C.UTF-8 en_US.UTF-8 de_DE.UTF-8; do
  check "help under $locale is English" "Usage: varsik-grep [OPTION]... WORD [MASKS [FOLDER]]" \
    "$(en "$locale" "$VG" --help | head -n 1)"
done
out=$(ja "$VG" --bogus 2>&1 > /dev/null); rc=$?
check "Japanese: unknown option" "2 varsik-grep: 不明なオプション '--bogus'" \
  "$rc $(head -n 1 <<< "$out")"

# Error messages: the program's own in Japanese, with the system's reason in Japanese too.
check "Japanese: no such folder" "varsik-grep: フォルダーがありません: $T/missing" \
  "$(ja "$VG" x '*' "$T/missing" 2>&1)"
check "Japanese: write error" "varsik-grep: 書き込みエラー: デバイスに空き領域がありません" \
  "$(ja "$VG" テキスト a.txt "$T/tree" 2>&1 > /dev/full)"
check "Japanese: word CP932 cannot hold" \
  "varsik-grep: 検索語に Shift JIS (CP932) で表せない文字があります" \
  "$(ja "$VG" --encoding=cp932 '한국어' '*.*' "$T/tree" 2>&1)"

# The --stats labels: in Japanese the window's own status line, in English otherwise.
ja "$VG" --stats テキスト '*.txt' "$T/tree" > /dev/null 2> "$T/err"
check "Japanese stats" "varsik-grep: ファイル $T/tree/dangling.txt を読めません
検索ファイル数 : 2   一致ファイル数 : 1   一致行数 : 1" "$(cat "$T/err")"
en C.UTF-8 "$VG" --stats テキスト '*.txt' "$T/tree" > /dev/null 2> "$T/err"
check "English stats" "varsik-grep: cannot read file $T/tree/dangling.txt
Files searched: 2   Files matched: 1   Lines matched: 1" "$(cat "$T/err")"

# The search's own texts are the same in every locale: result lines, the unreadable-file
# line, the pattern engine's messages.
check "results alike in both languages" "$(en C "$VG" テキスト '*.txt' "$T/tree" 2> /dev/null)" \
  "$(ja "$VG" テキスト '*.txt' "$T/tree" 2> /dev/null)"
check "results in Japanese" "#\"$T/tree/a.txt\"
 :1: 日本語のテキスト
\"ファイル $T/tree/dangling.txt は開けませんでした。\"" "$(ja "$VG" テキスト '*.txt' "$T/tree" 2> /dev/null)"
for run in en ja; do
  if [ $run = en ]; then out=$(en C "$VG" -E '(a' '*.txt' "$T/tree" 2>&1); else
    out=$(ja "$VG" -E '(a' '*.txt' "$T/tree" 2>&1); fi
  check "pattern error under $run" "varsik-grep: 右(閉じ)括弧が必要です" "$out"
done

finish
