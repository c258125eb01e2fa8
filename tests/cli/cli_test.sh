#!/usr/bin/env bash
# End-to-end checks of varsik-grep. Usage: cli_test.sh PATH-TO-VARSIK-GREP
set -u
VG=$1
T=$(mktemp -d)
trap 'rm -rf "$T"' EXIT
failures=0

check() {  # check NAME EXPECTED ACTUAL
  if [ "$2" != "$3" ]; then
    echo "FAIL: $1"
    echo "  expected: $(printf '%q' "$2")"
    echo "  actual:   $(printf '%q' "$3")"
    failures=$((failures + 1))
  fi
}

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
"$VG" --file-names x '*.*' "$T/missing" > /dev/null; check "missing folder exits 1" 1 $?
out=$(cd "$T/tree" && "$VG" --file-names x '*.h'); check "default folder is the current one" "Sub2/d.h" "$out"

if [ $failures -gt 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "all checks passed"
