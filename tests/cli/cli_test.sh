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
"$VG" --encoding=latin1 x 2> /dev/null; check "bad file encoding exits 2" 2 $?
err=$("$VG" --encoding=cp932 '한국어' '*.*' "$T/tree" 2>&1 > /dev/null); rc=$?
check "word CP932 cannot hold exits 2" 2 $rc
case "$err" in *"CP932"*) ;; *) check "word CP932 cannot hold: message" "a message naming CP932" "$err" ;; esac
# Read each file in its own encoding, such a word is one that no Shift JIS file holds.
"$VG" '한국어' '*.*' "$T/tree" > /dev/null; check "word CP932 lacks: found nowhere" 1 $?

# File-name mode: walk order, masks, sub-folders, counts.
out=$("$VG" --file-names x '*.txt;*.c' "$T/tree" 2> "$T/stats" --stats); rc=$?
check "file names: exit" 0 $rc
check "file names: list" "$T/tree/a.txt
$T/tree/b.c
$T/tree/sub/c.txt" "$out"
check "file names: stats" "Files searched: 3   Files matched: 0   Lines matched: 0" "$(cat "$T/stats")"
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
check "regex: stats" "Files searched: 2   Files matched: 1   Lines matched: 4" "$(cat "$T/stats")"
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
# The pattern is compiled before the walk, so it fails whether or not a file is taken up.
"$VG" -E '(a' '*.none' "$T/re" 2> "$T/err" > /dev/null; rc=$?
check "regex: bad pattern without files exits 2" "2 varsik-grep: 右(閉じ)括弧が必要です" \
  "$rc $(cat "$T/err")"
"$VG" --file-names -E '(a' '*.txt' "$T/re" > /dev/null; rc=$?
check "regex: file-name mode does not use the word" 0 $rc

# Arguments that are mistakes.
err=$("$VG" "$(sjis '日本')" '*.*' "$T/tree" 2>&1 > /dev/null); rc=$?
check "word in raw Shift JIS exits 2" 2 $rc
case "$err" in *"must be UTF-8"*) ;; *) check "word in raw Shift JIS: message" "must be UTF-8" "$err" ;; esac
err=$(cd "$T/tree" && timeout 10 "$VG" x '*' '' 2>&1 > /dev/null); rc=$?
check "empty folder exits 2 at once" 2 $rc
case "$err" in *"folder is empty"*) ;; *) check "empty folder: message" "folder is empty" "$err" ;; esac
for bad in '' abc -1 12x 99999999999999999999999; do
  "$VG" --max-line-bytes="$bad" x '*.*' "$T/tree" > /dev/null 2>&1; rc=$?
  check "--max-line-bytes=$bad exits 2" 2 $rc
done
out=$("$VG" --max-line-bytes=0 main '*.c' "$T/tree"); rc=$?
check "--max-line-bytes=0 shows lines whole" "0 #\"$T/tree/b.c\"
 :1: int main(void)" "$rc $out"
# A longer hit line is cut at a character, with … behind it, in both modes; so is a line
# of 3 MB at the default of 1 MiB.
for mode in "" -E; do
  out=$("$VG" $mode --max-line-bytes=5 テキスト '*.txt' "$T/tree"); rc=$?
  check "--max-line-bytes=5 $mode" "0 #\"$T/tree/a.txt\"
 :1: 日本…" "$rc $out"
  out=$("$VG" $mode --output-encoding=cp932 --max-line-bytes=5 テキスト '*.txt' "$T/tree" | iconv -f CP932 -t UTF-8)
  check "--max-line-bytes=5 $mode in CP932" " :1: 日本…" "$(tail -n 1 <<< "$out")"
done
mkdir -p "$T/long"
{ head -c $((3 << 20)) /dev/zero | tr '\0' x; printf 'needle\n'; } > "$T/long/l.txt"
for mode in "" -E; do
  out=$("$VG" $mode needle '*.txt' "$T/long" | tail -n 1)
  shape=other
  case "$out" in " :1: xxx"*"x…") shape=cut ;; esac
  check "a 3 MB line is cut at 1 MiB $mode" "$((1048576 + 8)) cut" \
    "$(printf '%s' "$out" | wc -c) $shape"
done

# Threads: any number of them prints what one prints, byte for byte, with the same
# status line and exit status.
for args in "main" "-E ^[a-z]+" "-w --fuzzy ｶﾀｶﾅ" "--file-names x"; do
  one=$("$VG" -j 1 --stats $args '*.*' "$T" 2>&1; echo "rc $?")
  for j in -j3 "-j 2" --threads=8 --threads=0; do
    many=$("$VG" $j --stats $args '*.*' "$T" 2>&1; echo "rc $?")
    check "$j $args prints what -j 1 prints" "$one" "$many"
  done
done
for bad in '' x -1 2x; do
  "$VG" --threads="$bad" x '*.*' "$T/tree" > /dev/null 2>&1; rc=$?
  check "--threads=$bad exits 2" 2 $rc
done
"$VG" x '*.*' "$T/tree" -j > /dev/null 2>&1; check "-j without a number exits 2" 2 $?

# Files and folders that cannot be read: their lines stay in the output, each is named
# on standard error, and the exit status is 2 even when something was found.
mkdir -p "$T/bad"
echo needle > "$T/bad/a.txt"
ln -s missing.txt "$T/bad/dangling.txt"
ln -s loop.txt "$T/bad/loop.txt"
out=$("$VG" needle '*.txt' "$T/bad" 2> "$T/err"); rc=$?
check "unreadable files: exit" 2 $rc
check "unreadable files: output" "#\"$T/bad/a.txt\"
 :1: needle
\"ファイル $T/bad/dangling.txt は開けませんでした。\"
\"ファイル $T/bad/loop.txt は開けませんでした。\"" "$out"
check "unreadable files: named" "varsik-grep: cannot read file $T/bad/dangling.txt
varsik-grep: cannot read file $T/bad/loop.txt" "$(cat "$T/err")"
# A folder past the system's path length: skipped, named, exit 2.
mkdir -p "$T/deep"
long=$(printf 'd%.0s' $(seq 1 200))
(cd "$T/deep" && for _ in $(seq 1 25); do mkdir "$long" && cd "$long" || exit 1; done && echo needle > f.txt)
echo needle > "$T/deep/top.txt"
out=$("$VG" needle '*.txt' "$T/deep" 2> "$T/err"); rc=$?
check "folder past PATH_MAX: exit" 2 $rc
check "folder past PATH_MAX: the rest is found" "#\"$T/deep/top.txt\"
 :1: needle" "$out"
case "$(cat "$T/err")" in
  "varsik-grep: cannot read folder $T/deep/"*": File name too long") ;;
  *) check "folder past PATH_MAX: named" "cannot read folder ...: File name too long" "$(cat "$T/err")" ;;
esac
rm -rf "$T/deep" 2> /dev/null || (cd "$T/deep" && find . -depth -delete 2> /dev/null)

# Binary files: with --skip-binary a file whose first 64 KiB hold a NUL (and that are not
# UTF-16) is counted but not searched, nor read past its head; the hit at the end of a
# large one, or in a copy of a program, is not reported.
mkdir -p "$T/bin"
printf 'needle\n' > "$T/bin/a.txt"
printf 'needle\n\0' > "$T/bin/b.dat"
printf '\xff\xfe\n\0n\0e\0e\0d\0l\0e\0\n\0\0\0' > "$T/bin/c.txt"
{ head -c $((4 << 20)) /dev/urandom; printf '\nneedle\n'; } > "$T/bin/d.dat"
# The program itself (in a cross build $VG is the emulator's script: a program all the same).
program=$VG
head -c 4 "$program" | grep -q ELF || program=/bin/sh
cp "$program" "$T/bin/e.dat"
printf '\nneedle\n' >> "$T/bin/e.dat"
out=$("$VG" -E --skip-binary needle '*.*' "$T/bin" 2> "$T/stats" --stats); rc=$?
check "--skip-binary: only text is reported" "0 #\"$T/bin/a.txt\"
 :1: needle
#\"$T/bin/c.txt\"
 :2: needle" "$rc $out"
check "--skip-binary: binary files are counted" "Files searched: 5   Files matched: 2   Lines matched: 2" "$(cat "$T/stats")"
"$VG" -E needle '*.dat' "$T/bin" 2> "$T/stats" --stats > /dev/null
check "without --skip-binary every file is searched" "Files searched: 3   Files matched: 3   Lines matched: 3" "$(cat "$T/stats")"
out=$("$VG" --skip-binary --file-names x '*.dat' "$T/bin" | wc -l)
check "--skip-binary: file names are all listed" 3 "$out"
# UTF-16 without a byte order mark is text too (its "n" is found however it is read).
mkdir -p "$T/bin16"
printf 'n\0e\0e\0d\0l\0e\0\n\0' > "$T/bin16/f.txt"
out=$("$VG" -E --skip-binary n '*.*' "$T/bin16" 2>&1 > /dev/null --stats)
check "--skip-binary: UTF-16 is searched" "Files searched: 1   Files matched: 1   Lines matched: 1" "$out"

# Exclusion masks: "!" files, "#" folders (not entered); only exclusions take every other
# file.
mkdir -p "$T/ex/sub" "$T/ex/build" "$T/ex/node_modules"
for f in main.c test_main.c a.h sub/x.c sub/test_y.c build/z.c node_modules/m.c README; do
  printf 'needle\n' > "$T/ex/$f"
done
out=$("$VG" --file-names x '*.c;*.h;!test_*;#build*;#node_modules' "$T/ex")
check "exclusion masks" "$T/ex/main.c
$T/ex/a.h
$T/ex/sub/x.c" "$out"
out=$("$VG" --file-names x '!*.c;#sub;#node*' "$T/ex")
check "only exclusions" "$T/ex/a.h
$T/ex/README" "$out"
out=$("$VG" needle '*.c;!TEST_*;#BUILD' "$T/ex" 2>&1 > /dev/null --stats)
check "exclusions in a search, regardless of case" "Files searched: 3   Files matched: 3   Lines matched: 3" "$out"

# --gitignore: what git ignores in the repository that holds the files is left out; git
# lists the same files as not ignored. The user's own git settings stay out of it.
if command -v git > /dev/null; then
  export HOME="$T/home" XDG_CONFIG_HOME="" GIT_CONFIG_NOSYSTEM=1
  mkdir -p "$T/git/src/gen" "$T/git/logs" "$T/git/inner" "$HOME"
  git init -q "$T/git" && git init -q "$T/git/inner"
  printf '*.log\n/logs/\nsrc/gen/\n!keep.log\n*.o\n' > "$T/git/.gitignore"
  printf '!*.o\nsecret*\n' > "$T/git/src/.gitignore"
  printf 'local.txt\n' > "$T/git/.git/info/exclude"
  for f in a.c b.log keep.log logs/c.c src/d.c src/e.o src/secret.c src/gen/f.c local.txt \
    inner/g.log x.o; do
    printf 'needle\n' > "$T/git/$f"
  done
  out=$("$VG" --gitignore --file-names x '*.*' "$T/git" | sed "s|^$T/git/||" | sort)
  # git names the nested repository, not its files.
  expected=$(cd "$T/git" && git ls-files --others --exclude-standard | sort)
  check "--gitignore lists what git does" "$(grep -v '^inner/' <<< "$expected")" \
    "$(grep -v '^inner/' <<< "$out")"
  check "--gitignore: the files" ".gitignore
a.c
inner/g.log
keep.log
src/.gitignore
src/d.c
src/e.o" "$out"
  out=$(cd "$T/git/src" && "$VG" --gitignore needle '*.*' 2>&1 > /dev/null --stats)
  check "--gitignore from a folder inside the repository" "Files searched: 3   Files matched: 2   Lines matched: 2" "$out"
  out=$("$VG" --gitignore --file-names x '*.*' "$T/git/logs"); rc=$?
  check "--gitignore inside an ignored folder finds nothing" "1 " "$rc $out"
  out=$("$VG" --gitignore --file-names x '*.*' "$T/ex" | wc -l)
  check "--gitignore outside a repository leaves everything" 8 "$out"
fi

# Output that cannot be written is an error, not a success.
for i in $(seq 1 20000); do echo "foo $i"; done > "$T/many.txt"
err=$("$VG" foo 'many.txt' "$T" 2>&1 > /dev/full); rc=$?
check "full disk: exit" 2 $rc
case "$err" in "varsik-grep: write error: No space left on device") ;;
  *) check "full disk: message" "write error: No space left on device" "$err" ;; esac
err=$("$VG" foo 'many.txt' "$T" 2>&1 >&-); rc=$?
check "closed standard output: exit" 2 $rc
case "$err" in "varsik-grep: write error: "*) ;; *) check "closed standard output: message" "write error" "$err" ;; esac
# shellcheck disable=SC2016
rc=$(bash -c 'trap "" PIPE; "$1" foo many.txt "$2" 2> "$2/err" | head -n 1 > /dev/null; echo "${PIPESTATUS[0]}"' _ "$VG" "$T")
check "broken pipe with SIGPIPE ignored: exit" 2 "$rc"
check "broken pipe: message" "varsik-grep: write error: Broken pipe" "$(cat "$T/err")"

finish
