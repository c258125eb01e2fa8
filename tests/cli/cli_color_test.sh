#!/usr/bin/env bash
# varsik-grep --color: the escapes around matches, file names and line numbers, when auto
# colours, and that the output without the escapes is the uncoloured output byte for byte.
# Usage: cli_color_test.sh PATH-TO-VARSIK-GREP
set -u
VG=$1
source "$(dirname "$0")/../support/check.sh"

sjis() { printf '%s' "$1" | iconv -f UTF-8 -t CP932; }
# The output with the escapes that --color adds taken out.
uncolor() { sed $'s/\e\\[01;31m\e\\[K//g; s/\e\\[35m\e\\[K//g; s/\e\\[32m\e\\[K//g; s/\e\\[m\e\\[K//g'; }
# Every byte as two hex digits: $(...) would drop trailing line ends and NULs.
hex() { od -An -v -tx1 | tr -d ' \n'; }

E=$'\e'
mkdir -p "$T/c/sub"
printf 'foo Foo xfoo\nbar\n' > "$T/c/a.txt"
sjis $'日本語のテキスト テキスト\r\nｶﾞｲﾄﾞ ガイド\nmain(テキスト);\n' > "$T/c/sub/b.txt"
printf 'abcabc needle abc\n' > "$T/c/sub/$E[31mred"$'\n'"name.txt"
printf '%s\n' "$(head -c 40 /dev/zero | tr '\0' y)needle needle" > "$T/c/long.txt"

# The escapes themselves.
out=$("$VG" --color=always foo 'a.txt' "$T/c")
check "colours: path, line number, each match" "#\"$E[35m$E[K$T/c/a.txt$E[m$E[K\"
 :$E[32m$E[K1$E[m$E[K: $E[01;31m$E[Kfoo$E[m$E[K $E[01;31m$E[KFoo$E[m$E[K x$E[01;31m$E[Kfoo$E[m$E[K" "$out"
out=$("$VG" --color=always --max-line-bytes=43 needle 'long.txt' "$T/c" | tail -n 1)
check "a match across the cut ends at it" " :$E[32m$E[K1$E[m$E[K: $(head -c 40 /dev/zero | tr '\0' y)$E[01;31m$E[Knee$E[m$E[K…" "$out"
out=$("$VG" --color=always -E '(abc)+' '*.txt' "$T/c/sub" | grep abcabc)
check "regex: leftmost-longest matches" " :$E[32m$E[K1$E[m$E[K: $E[01;31m$E[Kabcabc$E[m$E[K needle $E[01;31m$E[Kabc$E[m$E[K" "$out"

# Without the escapes, the same bytes as without colour: both modes and their switches,
# both output encodings, control characters in names, cut lines, file-name mode.
runs=(
  "foo" "-s Foo" "-w foo" "テキスト" "--fuzzy ガイド" "-w テキスト" "needle"
  "-E fo+" "-E ^テ.*ト" "-E [ァ-ン]+" "-E ト$" "-E (abc)+" "-E ^" "-E e*d"
  "--max-line-bytes=7 テキスト" "--max-line-bytes=44 needle" "-E --max-line-bytes=12 ト"
  "--file-names x"
)
for run in "${runs[@]}"; do
  for enc in utf-8 cp932; do
    # shellcheck disable=SC2086
    plain=$("$VG" --output-encoding=$enc $run '*.*' "$T/c" | hex)
    # shellcheck disable=SC2086
    colored=$("$VG" --output-encoding=$enc --color=always $run '*.*' "$T/c" | uncolor | hex)
    check "without its escapes: $run ($enc)" "$plain" "$colored"
  done
done
for run in "foo" "-E [テト]" "-E d|x"; do
  # shellcheck disable=SC2086
  out=$("$VG" --color=always $run '*.*' "$T/c")
  check "a match coloured in every hit line: $run" "$(grep -c '^ :' <<< "$out")" \
    "$(grep -c $'^ :.*\e\\[01;31m' <<< "$out")"
done

# When colour is on: always, never, auto only on a terminal and without NO_COLOR.
has_color() { case "$1" in *$'\e['*) echo yes ;; *) echo no ;; esac; }
check "never" no "$(has_color "$("$VG" --color=never foo '*.*' "$T/c")")"
check "the default is never" no "$(has_color "$("$VG" foo '*.*' "$T/c")")"
check "auto into a pipe" no "$(has_color "$("$VG" --color=auto foo '*.*' "$T/c" | cat)")"
check "--color alone is auto" no "$(has_color "$("$VG" --color foo '*.*' "$T/c" | cat)")"
on_tty() { script -qec "$1" /dev/null < /dev/null; }
check "auto on a terminal" yes "$(has_color "$(on_tty "'$VG' --color=auto foo '*.*' '$T/c'")")"
check "auto with NO_COLOR" no \
  "$(has_color "$(NO_COLOR=1 on_tty "'$VG' --color=auto foo '*.*' '$T/c'")")"
check "auto with an empty NO_COLOR" yes \
  "$(has_color "$(NO_COLOR= on_tty "'$VG' --color=auto foo '*.*' '$T/c'")")"
check "always with NO_COLOR" yes "$(has_color "$(NO_COLOR=1 "$VG" --color=always foo '*.*' "$T/c")")"
"$VG" --color=sometimes foo '*.*' "$T/c" > /dev/null 2>&1; check "a bad WHEN exits 2" 2 $?
"$VG" --help | grep -q -- '--color\[=WHEN\]'; check "--help says what --color does" 0 $?

finish
