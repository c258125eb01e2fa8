#!/usr/bin/env bash
# varsik-grep end to end on files in every encoding: the same text in each gives the same
# hits, line numbers and lines (shown as the file holds them) in both modes and with every
# switch; tricky short files; Shift JIS and ASCII files read in automatic mode exactly as
# with --encoding=cp932; and, where the benchmark corpus is, its tree in mixed encodings
# against the all-Shift-JIS tree.
# Usage: encodings_test.sh PATH-TO-VARSIK-GREP [PATH-TO-ENCODING-TESTS]
set -u
VG=$1
ENCODING_TESTS=${2:-}
source "$(dirname "$0")/../support/check.sh"

text=$'// 設定ファイルの読み込み\nEnvironment 環境変数 PATH\r\nｶﾀｶﾅ and カタカナ\n\nfoo_bar foo\tbar\n表示 ソース ポート|番号\rlast line'
encoded() {  # encoded NAME: $text in that encoding, on standard output
  case $1 in
    sjis) printf '%s' "$text" | iconv -f UTF-8 -t CP932 ;;
    utf8) printf '%s' "$text" ;;
    utf8bom) printf '\xEF\xBB\xBF%s' "$text" ;;
    eucjp) printf '%s' "$text" | iconv -f UTF-8 -t EUC-JP-MS ;;
    utf16le) printf '\xFF\xFE'; printf '%s' "$text" | iconv -f UTF-8 -t UTF-16LE ;;
    utf16be) printf '\xFE\xFF'; printf '%s' "$text" | iconv -f UTF-8 -t UTF-16BE ;;
    jis) printf '%s' "$text" | iconv -f UTF-8 -t ISO-2022-JP-3 ;;
  esac
}
names="sjis utf8 utf8bom eucjp utf16le utf16be jis"
mkdir -p "$T/enc"
for n in $names; do encoded $n > "$T/enc/$n.txt"; done

# same_everywhere NAME EXPECTED ARGS...: each file's entries are EXPECTED.
same_everywhere() {
  local name=$1 expected=$2
  shift 2
  local out
  out=$("$VG" "$@" '*.txt' "$T/enc")
  for n in $names; do
    check "$name: $n" "$expected" "$(printf '%s\n' "$out" |
      awk -v f="#\"$T/enc/$n.txt\"" '/^#"/ { on = ($0 == f); next } on')"
  done
}

same_everywhere "plain" " :2: Environment 環境変数 PATH" 環境変数
same_everywhere "case folded" " :2: Environment 環境変数 PATH" environment
same_everywhere "case kept" "" -s environment
same_everywhere "fuzzy" " :3: ｶﾀｶﾅ and カタカナ" --fuzzy 'カタカナ and'
same_everywhere "whole word" " :5: foo_bar foo	bar" -w foo
same_everywhere "whole word, none" "" -w oo
same_everywhere "regex ." " :6: 表示 ソース ポート|番号" -E 'ポ.ト'
same_everywhere "regex, line ends" " :1: // 設定ファイルの読み込み
 :7: last line" -E '^(//.設定|last)'
# A class that holds a line end: the per-position reader, whose lone CR ends a line.
same_everywhere "regex over line ends" " :2: Environment 環境変数 PATH" -E '環境[^x]+PATH'
same_everywhere "regex, lone CR" " :7: last line" -E '^last'
"$VG" 環境変数 '*.txt' "$T/enc" > /dev/null; check "found: exit" 0 $?

# The matches marked in colour on each line as its file holds it, in both output
# encodings: the same escapes around the same characters as on the Shift JIS line.
m=$'\e[01;31m\e[K' e=$'\e[m\e[K'
# colored NAME EXPECTED ARGS...: the last line of the output for each file.
colored() {
  local name=$1 expected=$2
  shift 2
  for n in $names; do
    check "colour $name: $n" "$expected" "$("$VG" --color=always "$@" $n.txt "$T/enc" | tail -n 1)"
  done
}
colored "plain" $' :\e[32m\e[K2\e[m\e[K: Environment '"${m}環境変数${e} PATH" 環境変数
colored "case folded" $' :\e[32m\e[K2\e[m\e[K: '"${m}Environment${e} 環境変数 PATH" environment
colored "fuzzy" $' :\e[32m\e[K3\e[m\e[K: '"${m}ｶﾀｶﾅ and${e} カタカナ" --fuzzy 'カタカナ and'
colored "regex" $' :\e[32m\e[K6\e[m\e[K: 表示 ソース '"${m}ポート${e}|番号" -E 'ポ.ト'
colored "cp932 output" "$(printf ' :\e[32m\e[K2\e[m\e[K: Environment %s環境変数%s PATH' "$m" "$e" |
  iconv -f UTF-8 -t CP932)" --output-encoding=cp932 環境変数

# Each file's encoding, as a fixed choice, reads it as automatic mode does.
for pair in sjis:cp932 utf8:utf-8 eucjp:euc-jp utf16le:utf-16le utf16be:utf-16be jis:iso-2022-jp; do
  out=$("$VG" --encoding=${pair#*:} 'ポ.ト' "${pair%%:*}.txt" "$T/enc" -E)
  check "fixed ${pair#*:}" "#\"$T/enc/${pair%%:*}.txt\"
 :6: 表示 ソース ポート|番号" "$out"
done
# A file that is no UTF-8, read as UTF-8: its bytes are characters too, never an error.
out=$("$VG" --encoding=utf-8 ソース sjis.txt "$T/enc"); check "undecodable: not found" 1 $?
out=$("$VG" --encoding=utf-8 PATH sjis.txt "$T/enc"); rc=$?
check "undecodable: exit" 0 $rc
# 表示 is 95 5C 8E A6: a byte that does not decode, a backslash, two more.
out=$("$VG" --encoding=utf-8 -E '^.\\.. ' sjis.txt "$T/enc"); rc=$?
line=$(printf '%s\n' "$out" | tail -n 1)
case "$line" in " :6: �\\�� "*) ;; *) check "undecodable: a character a byte" " :6: �\\�� ..." "$line" ;; esac
# --output-encoding=cp932: Shift JIS as it is, others through CP932.
out=$("$VG" --output-encoding=cp932 ソース '*.txt' "$T/enc" | grep -cF "$(printf '表示 ソース' | iconv -f UTF-8 -t CP932)")
check "cp932 output" 7 "$out"

# Characters that CP932 lacks: words of their own in Unicode files, "?" in CP932 output.
mkdir -p "$T/uni"
printf 'plain line\nemoji 😀 and é and 𠮷\n' > "$T/uni/u8.txt"
{ printf '\xFF\xFE'; printf 'plain line\nemoji 😀 and é and 𠮷\n' | iconv -f UTF-8 -t UTF-16LE; } > "$T/uni/u16.txt"
out=$("$VG" 😀 '*.txt' "$T/uni")
check "emoji word" "#\"$T/uni/u16.txt\"
 :2: emoji 😀 and é and 𠮷
#\"$T/uni/u8.txt\"
 :2: emoji 😀 and é and 𠮷" "$out"
out=$("$VG" -E 'i . a.d . and 𠮷$' 'u8.txt' "$T/uni" | tail -n 1)
check "regex: one . a character" " :2: emoji 😀 and é and 𠮷" "$out"
out=$("$VG" -E 'i [^x] a[^x]d' 'u16.txt' "$T/uni" | tail -n 1)
check "regex: negated class" " :2: emoji 😀 and é and 𠮷" "$out"
out=$("$VG" --output-encoding=cp932 emoji 'u8.txt' "$T/uni" | tail -n 1)
check "cp932 output: ? for what it lacks" " :2: emoji ? and ? and ?" "$out"

# Tricky short files.
mkdir -p "$T/short"
printf '日本' > "$T/short/two-utf8.txt"
printf '日本' | iconv -f UTF-8 -t CP932 > "$T/short/two-sjis.txt"
printf 'ｱｲｳｴｵ' | iconv -f UTF-8 -t CP932 > "$T/short/kana.txt"
printf 'stray \xFF byte 日本\n' > "$T/short/stray.txt"
printf '\xEF\xBB\xBF' > "$T/short/bom.txt"
printf 'a\x1B$BF|K\\' > "$T/short/jis-open.txt"
out=$("$VG" 日本 '*.txt' "$T/short")
check "short files" "#\"$T/short/jis-open.txt\"
 :1: a日本
#\"$T/short/stray.txt\"
 :1: stray � byte 日本
#\"$T/short/two-sjis.txt\"
 :1: 日本
#\"$T/short/two-utf8.txt\"
 :1: 日本" "$out"
out=$("$VG" ｱｲｳ '*.txt' "$T/short" | tail -n 1); check "half-width kana only" " :1: ｱｲｳｴｵ" "$out"

# Shift JIS and ASCII files: automatic mode is --encoding=cp932 to the byte, with NULs,
# Ctrl+Z and lone CRs under the rules of both modes.
mkdir -p "$T/exact"
printf 'nul\0in line 日本\nsecond nul line\n' | iconv -f UTF-8 -t CP932 > "$T/exact/nul.txt"
printf 'before\nctrl\x1Az line\n\x1Aafter line\n' > "$T/exact/ctrlz.txt"
printf 'lone\rcr line\r\nthird line\rlast' > "$T/exact/cr.txt"
printf '%s' "$text" | iconv -f UTF-8 -t CP932 > "$T/exact/sjis.txt"
printf '\x82\xA0 line \x81\n\x81\x7F line\n' > "$T/exact/broken.txt"
for args in "line" "-E line" "-E n.l" "-E ^l" "-E e\$" "-s LINE" "--fuzzy line" "-w line"; do
  for oe in utf-8 cp932; do
    # shellcheck disable=SC2086
    a=$("$VG" --output-encoding=$oe $args '*.txt' "$T/exact" | od -c)
    # shellcheck disable=SC2086
    b=$("$VG" --output-encoding=$oe --encoding=cp932 $args '*.txt' "$T/exact" | od -c)
    check "exact: $args ($oe)" "$b" "$a"
  done
done

# A UTF-8 file with bytes that do not decode late in it, large enough to be cut for
# several threads where it reads as its own bytes: one such byte leaves it UTF-8, forty
# make it Shift JIS, and nothing of its reading as UTF-8 is shown then (its Japanese words
# are not found). Hits before and after them, in both modes, on one thread and two.
mkdir -p "$T/late"
lines() {  # lines FIRST LAST: Japanese lines, every 50th holding needle and 文字列
  awk -v a="$1" -v b="$2" 'BEGIN { for (i = a; i <= b; i++)
    print (i % 50 == 0 ? "needle 文字列 line " i : "日本語のテキスト line " i) }'
}
strays() {  # strays COUNT: lines with a byte each that does not decode
  for ((i = 0; i < $1; i++)); do printf 'stray \xFF byte needle\n'; done
}
{ lines 1 230000; strays 1; lines 230001 231000; } > "$T/late/one.txt"
{ lines 1 230000; strays 40; lines 230001 231000; } > "$T/late/forty.txt"
for args in "needle" "文字列" "-E need.e" "-E 文字.|line.23099" "-s NEEDLE"; do
  for j in -j1 -j2; do
    # shellcheck disable=SC2086
    a=$("$VG" $j $args one.txt "$T/late" | md5sum)
    # shellcheck disable=SC2086
    b=$("$VG" $j --encoding=utf-8 $args one.txt "$T/late" | md5sum)
    check "one late stray byte: $args $j" "$b" "$a"
    # shellcheck disable=SC2086
    a=$("$VG" $j $args forty.txt "$T/late" | md5sum)
    # shellcheck disable=SC2086
    b=$("$VG" $j --encoding=cp932 $args forty.txt "$T/late" | md5sum)
    check "forty late stray bytes: $args $j" "$b" "$a"
  done
done
check "forty late stray bytes: no Japanese word" "" "$("$VG" 文字列 forty.txt "$T/late")"
check "one late stray byte: the word after it" " :230051: needle 文字列 line 230050" \
  "$("$VG" 文字列 one.txt "$T/late" | grep -F ':230051:')"

# The corpus's tree with each file in an encoding drawn with a fixed seed (written by the
# encoding tests): the hits of the all-Shift-JIS tree, in the same files, lines and texts.
corpus=/work/corpus/tree
if [ -d "$corpus" ] && [ -n "$ENCODING_TESTS" ]; then
  VARSIK_KEEP_MIXED_TREE="$T/mixed" "$ENCODING_TESTS" --gtest_filter='MixedTree.*' |
    grep '^mixed tree:'
  for args in "環境変数" "-E 環境変."; do
    # shellcheck disable=SC2086
    want=$("$VG" $args '*.*' "$corpus/" | sed "s|^#\"$corpus/|#\"|")
    # shellcheck disable=SC2086
    got=$("$VG" $args '*.*' "$T/mixed/" | sed "s|^#\"$T/mixed/|#\"|")
    check "mixed tree: $args" "$want" "$got"
    [ -n "$want" ] || check "mixed tree: $args has hits" "hits" ""
  done
else
  echo "no corpus at $corpus: the mixed tree is not searched"
fi

finish
