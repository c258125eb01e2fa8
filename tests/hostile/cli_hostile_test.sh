#!/usr/bin/env bash
# varsik-grep on hostile trees: its own output file inside the searched tree, FIFOs and
# devices in the tree, and odd names. Every run must end (each is given 60 seconds) with
# the expected output. Usage: cli_hostile_test.sh PATH-TO-VARSIK-GREP
set -u
VG=$1
source "$(dirname "$0")/../support/check.sh"

# The output file lies in the searched tree and holds the word once it is flushed: the
# search must still end, and search each file as far as it reached when opened.
mkdir -p "$T/loop"
for i in $(seq 1 20000); do echo "foo $i"; done > "$T/loop/a.txt"
for mode in "" "-E"; do
  rm -f "$T/loop/out.txt"
  # shellcheck disable=SC2086
  # A runaway search must not fill the disk: files are capped at 20 MB here.
  (cd "$T/loop" && ulimit -f 20480 && timeout 60 "$VG" $mode foo '*.txt' . > out.txt)
  check "own output file in the tree ends (${mode:-plain})" 0 $?
  size=$(stat -c %s "$T/loop/out.txt")
  [ "$size" -lt 10000000 ] || check "own output file stays bounded (${mode:-plain})" "< 10 MB" "$size"
done

# FIFOs and devices are listed by nothing and opened by nothing.
mkdir -p "$T/dev"
mkfifo "$T/dev/pipe.txt"
ln -s /dev/zero "$T/dev/zero.txt"
ln -s /dev/null "$T/dev/null.txt"
echo needle > "$T/dev/real.txt"
out=$(timeout 60 "$VG" needle '*.txt' "$T/dev"); rc=$?
check "FIFOs and devices: exit" 0 $rc
check "FIFOs and devices: output" "#\"$T/dev/real.txt\"
 :1: needle" "$out"
out=$(timeout 60 "$VG" --file-names x '*.txt' "$T/dev")
check "FIFOs and devices: file names" "$T/dev/real.txt" "$out"

# Odd names come out as their bytes.
mkdir -p "$T/names"
for name in 'a b.txt' 'q"uote.txt' "it's.txt" 'semi;colon.txt' 'per%cent%s.txt' \
  $'bad\xff.txt' '$(touch pwned).txt'; do
  echo needle > "$T/names/$name"
done
out=$(cd "$T/names" && timeout 60 "$VG" --file-names x '*.txt' . | LC_ALL=C sort)
expected=$(printf '%s\n' './$(touch pwned).txt' './a b.txt' $'./bad\xff.txt' "./it's.txt" \
  './per%cent%s.txt' './q"uote.txt' './semi;colon.txt' | LC_ALL=C sort)
check "odd names listed as their bytes" "$expected" "$out"
out=$(timeout 60 "$VG" needle 'semi;colon.txt' "$T/names" | head -n 1)
check "odd name in a header" "" "$out"
out=$(timeout 60 "$VG" needle '*colon.txt' "$T/names" | head -n 1)
check "odd name in a header" "#\"$T/names/semi;colon.txt\"" "$out"
[ ! -e "$T/names/pwned" ] || check "no name is run" "no file pwned" "pwned exists"

# Names with line ends and terminal escapes: each stays one line, its control characters
# escaped, everything else its bytes; the counts are those of the search.
mkdir -p "$T/ctl"
for name in $'x\n :99: fake line\n#"injected.txt' $'cr\r#"c.txt' $'esc\x1b]0;pwned\x07\x1b[2J.txt' \
  $'bad\xff\xfe.txt'; do
  echo needle > "$T/ctl/$name"
done
out=$(cd "$T/ctl" && timeout 60 "$VG" --stats needle '*' . 2> "$T/stats")
check "control characters in names are escaped" "#\"./bad"$'\xff\xfe'".txt\"
 :1: needle
#\"./cr\\r#\"c.txt\"
 :1: needle
#\"./esc\\x1b]0;pwned\\x07\\x1b[2J.txt\"
 :1: needle
#\"./x\\n :99: fake line\\n#\"injected.txt\"
 :1: needle" "$out"
check "names do not inflate the counts" "Files searched: 4   Files matched: 4   Lines matched: 4" \
  "$(cat "$T/stats")"
out=$(cd "$T/ctl" && timeout 60 "$VG" --file-names x '*' .)
check "control characters in the file list" "./bad"$'\xff\xfe'".txt
./cr\\r#\"c.txt
./esc\\x1b]0;pwned\\x07\\x1b[2J.txt
./x\\n :99: fake line\\n#\"injected.txt" "$out"

# --null: each name raw, every byte, ended by a NUL instead of its quote and line end.
(cd "$T/ctl" && timeout 60 "$VG" -Z needle 'x*;esc*' .) > "$T/null.out"
printf '#"./x\n :99: fake line\n#"injected.txt\0 :1: needle\n#"./esc\x1b]0;pwned\x07\x1b[2J.txt\0 :1: needle\n' \
  > "$T/null.expected"
cmp -s "$T/null.out" "$T/null.expected"; check "--null: headers" 0 $?
(cd "$T/ctl" && timeout 60 "$VG" --null --file-names x 'x*;cr*' .) > "$T/null.out"
printf './x\n :99: fake line\n#"injected.txt\0./cr\r#"c.txt\0' > "$T/null.expected"
cmp -s "$T/null.out" "$T/null.expected"; check "--null: file list" 0 $?
# A file that cannot be opened: its name raw and ended by a NUL as well; on standard
# error, where a person reads, escaped.
ln -s missing "$T/ctl/gone"$'\n'".txt"
(cd "$T/ctl" && timeout 60 "$VG" --null needle 'gone*' . 2> "$T/err") > "$T/null.out"; rc=$?
printf '"ファイル ./gone\n.txt\0' > "$T/null.expected"
cmp -s "$T/null.out" "$T/null.expected"; check "--null: unreadable file" "0 2" "$? $rc"
check "--null: unreadable file on standard error" 'varsik-grep: cannot read file ./gone\n.txt' \
  "$(cat "$T/err")"

# Files of the kernel's making, whose sizes are not their lengths and whose reads need
# not end, are passed over as devices are, also through a link (in both modes).
mkdir -p "$T/proc"
ln -s /proc/self/pagemap "$T/proc/pagemap.txt"
ln -s /proc/self/ "$T/proc/self"
echo needle > "$T/proc/real.txt"
for mode in "" "-E"; do
  # shellcheck disable=SC2086
  out=$(timeout 2 "$VG" $mode needle '*' "$T/proc"); rc=$?
  check "pseudo files are passed over (${mode:-plain})" "0 #\"$T/proc/real.txt\"
 :1: needle" "$rc $out"
done
out=$(timeout 2 "$VG" needle '*' /proc/self/); rc=$?
check "a pseudo file system as the start folder" "1 " "$rc $out"

finish
