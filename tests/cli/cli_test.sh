#!/usr/bin/env bash
# End-to-end checks of varsik-grep. Usage: cli_test.sh PATH-TO-VARSIK-GREP
set -u
VG=$1
source "$(dirname "$0")/../support/check.sh"

sjis() { printf '%s' "$1" | iconv -f UTF-8 -t CP932; }

mkdir -p "$T/tree/sub" "$T/tree/Sub2"
sjis $'日本語のテキスト\nmain 関数\n' > "$T/tree/a.txt"
sjis $'int main(void)\r\n{\r\n  return 0; // 表示\r\n}\r\n' > "$T/tree/b.c"
sjis $'ﾊﾝｶｸ カタカナ\n' > "$T/tree/sub/c.txt"
sjis $'nothing\n' > "$T/tree/Sub2/d.h"

# Options and exit codes.
"$VG" --help > /dev/null; check "--help exits 0" 0 $?
"$VG" --version | grep -q '^varsik-grep 1\.1\.1\.6$'; check "--version" 0 $?
"$VG" --bogus x 2> /dev/null; check "unknown option exits 2" 2 $?
"$VG" 2> /dev/null; check "missing word exits 2" 2 $?
"$VG" --output-encoding=latin1 x 2> /dev/null; check "bad encoding exits 2" 2 $?
err=$("$VG" '한국어' '*.*' "$T/tree" 2>&1 > /dev/null); rc=$?
check "word CP932 cannot hold exits 2" 2 $rc
case "$err" in *"CP932"*) ;; *) check "word CP932 cannot hold: message" "a message naming CP932" "$err" ;; esac

# File-name mode: walk order, masks, sub-folders, counts.
out=$("$VG" --file-names x '*.txt;*.c' "$T/tree" 2> "$T/stats" --stats); rc=$?
check "file names: exit" 0 $rc
check "file names: list" "$T/tree/a.txt
$T/tree/b.c
$T/tree/sub/c.txt" "$out"
check "file names: stats" "検索ファイル数 : 3   一致ファイル数 : 0   一致行数 : 0" "$(cat "$T/stats")"
out=$("$VG" --file-names --no-subfolders x '*.*' "$T/tree/"); rc=$?
check "no sub-folders" "$T/tree/a.txt
$T/tree/b.c" "$out"
"$VG" --file-names x '*.none' "$T/tree" > /dev/null; check "nothing listed exits 1" 1 $?
err=$("$VG" --file-names x '*.*' "$T/missing" 2>&1 > /dev/null); rc=$?
check "missing folder exits 2" 2 $rc
check "missing folder is named" "varsik-grep: no such folder: $T/missing" "$err"
out=$(cd "$T/tree" && "$VG" --file-names x '*.h'); check "default folder is the current one" "Sub2/d.h" "$out"

# Regular-expression mode.
mkdir -p "$T/re"
sjis $'表示する\r\nソース\r\nポート|番号\r\nabc\r\nxabc\r\nabc abc\r\nabc' > "$T/re/a.txt"
sjis $'nothing\n' > "$T/re/b.txt"
out=$("$VG" -E 'ab+c$' '*.txt' "$T/re" 2> "$T/stats" --stats); rc=$?
check "regex: exit" 0 $rc
check "regex: one header, one entry per line" "#\"$T/re/a.txt\"
 :4: abc
 :5: xabc
 :6: abc abc
 :7: abc" "$out"
check "regex: stats" "検索ファイル数 : 2   一致ファイル数 : 1   一致行数 : 4" "$(cat "$T/stats")"
out=$("$VG" -E '^abc' '*.txt' "$T/re" | tail -n +2); check "regex: line head" " :4: abc
 :6: abc abc
 :7: abc" "$out"
out=$("$VG" --regex 'ABC' '*.txt' "$T/re"); check "regex: case always matters" 1 $?
# 表 and ソ end in the byte of "\", ポ in the byte of "|": whole characters in the
# pattern, and no single-byte "\" or "|" in the text.
out=$("$VG" -E 'ソ|ポ' '*.txt' "$T/re" | tail -n +2); check "regex: trail bytes \\ and |" " :2: ソース
 :3: ポート|番号" "$out"
out=$("$VG" -E '[表ソ]' '*.txt' "$T/re" | tail -n +2); check "regex: class of double-byte characters" " :1: 表示する
 :2: ソース" "$out"
"$VG" -E '\\' '*.txt' "$T/re" > /dev/null; check "regex: a trail byte is not a backslash" 1 $?
out=$("$VG" -E 'ト\|番' '*.txt' "$T/re" | tail -n +2); check "regex: escaped bar" " :3: ポート|番号" "$out"
out=$("$VG" --output-encoding=cp932 -E '示' '*.txt' "$T/re" | tail -n +2 | iconv -f CP932 -t UTF-8)
check "regex: cp932 output" " :1: 表示する" "$out"
err=$("$VG" -E '(a' '*.txt' "$T/re" 2>&1 > "$T/out"); rc=$?
check "regex: bad pattern exits 2" 2 $rc
check "regex: bad pattern message" "varsik-grep: 右(閉じ)括弧が必要です" "$err"
check "regex: bad pattern prints no result" "" "$(cat "$T/out")"
"$VG" -E '(a' '*.none' "$T/re" 2> "$T/err" > /dev/null; rc=$?
check "regex: bad pattern without files is never compiled" "1 " "$rc $(cat "$T/err")"

finish
