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

finish
