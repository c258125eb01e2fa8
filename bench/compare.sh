#!/usr/bin/env bash
# Times varsik-grep on one thread (-j 1) beside GNU grep (in a CP932 locale) and ripgrep
# (decoding Shift JIS, one thread) on the Shift JIS corpus, checks that all three count
# the same matching lines, and prints a table with the ratios and each tool's peak
# memory. The UTF-8 rows search the corpus's UTF-8 file (grep in a UTF-8 locale, ripgrep
# without decoding: on its home ground) and the tree in mixed encodings (against the
# Shift JIS tools, which misread its other files: their counts differ); varsik's time on
# each against its own on the Shift JIS text follows the table. Then, for the cases of
# THREAD_CASES, varsik-grep with its default threads beside -j 1 and beside ripgrep with
# its default threads (the big file: beside ripgrep on one thread over the UTF-8 copy).
#
# Usage: bench/compare.sh [VARSIK_GREP] [CORPUS_DIR]
#   VARSIK_GREP  default build/cli/varsik-grep
#   CORPUS_DIR   default bench/corpus (built with make-corpus.sh when missing)
# Environment: RUNS (default 5), CASES (space-separated case names to run, default all),
# BASE (another varsik-grep that takes -j, an earlier build: timed on one thread in the
# same runs, with the ratio),
# MIXED (the corpus tree in mixed encodings; default CORPUS_DIR/mixed, written by
# ENCODING_TESTS, the encoding tests' binary, when missing; without either its rows are
# left out), THREAD_CASES (default every case; empty: no threads table).
set -euo pipefail
cd "$(dirname "$0")/.."
VG=$(realpath "${1:-build/cli/varsik-grep}")
BASE=${BASE:+$(realpath "$BASE")}
CORPUS=${2:-bench/corpus}
RUNS=${RUNS:-5}

need() { command -v "$1" >/dev/null || { echo "missing: $1 (apt-get install $2)"; exit 2; }; }
need hyperfine hyperfine
need rg ripgrep
need python3 python3
[ -x /usr/bin/time ] || { echo "missing: /usr/bin/time (apt-get install time)"; exit 2; }
if [ ! -f "$CORPUS/big.sjis" ]; then
  MAKE_CORPUS=${MAKE_CORPUS:-../shared/bench/make-corpus.sh}
  bash "$MAKE_CORPUS" "$CORPUS"
fi
if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.cp932$'; then
  localedef -i ja_JP -f WINDOWS-31J ja_JP.CP932
fi
CORPUS=$(realpath "$CORPUS")
# Varsik's plain search ends a file at a line that begins with Ctrl+Z (1A hex), as DOS
# text files end; the corpus has one such line in each of its eight copies. The tools
# are timed on a copy with those bytes made blanks, so that all three do the same work.
BIG="$CORPUS/big.no1a.sjis"
if [ ! -f "$BIG" ] || [ "$BIG" -ot "$CORPUS/big.sjis" ]; then
  python3 - "$CORPUS/big.sjis" "$BIG" <<'PY'
import sys
data = open(sys.argv[1], 'rb').read()
open(sys.argv[2], 'wb').write(data.replace(b'\n\x1a', b'\n '))
PY
fi
BIGU="$CORPUS/big.no1a.utf8"
if [ -f "$CORPUS/big.utf8" ] && { [ ! -f "$BIGU" ] || [ "$BIGU" -ot "$CORPUS/big.utf8" ]; }; then
  python3 - "$CORPUS/big.utf8" "$BIGU" <<'PY'
import sys
data = open(sys.argv[1], 'rb').read()
open(sys.argv[2], 'wb').write(data.replace(b'\n\x1a', b'\n '))
PY
fi
MIXED=${MIXED:-$CORPUS/mixed}
if [ ! -d "$MIXED" ] && [ -n "${ENCODING_TESTS:-}" ]; then
  VARSIK_KEEP_MIXED_TREE="$MIXED" "$ENCODING_TESTS" --gtest_filter='MixedTree.*' | grep '^mixed tree:'
fi
OUT=$(mktemp -d)
trap 'rm -rf "$OUT"' EXIT

sj() { printf '%s' "$1" | iconv -f UTF-8 -t CP932; }
# Peak resident memory of one run in MB. dash execs the command, and its own few hundred
# KB stay below every tool's peak.
peak() { /usr/bin/time -f %M dash -c "exec $1 >/dev/null" 2>&1 | awk 'END { printf "%.1f", $1 / 1024 }'; }

source bench/cases.sh
CASE_LIST+=(
  "utf8-frequent|utf8|-s|文字列|-F|-F"
  "utf8-rare|utf8|-s|日本語|-F|-F"
  "utf8-ascii-i|utf8||option|-F -i|-F -i"
  "utf8-class|utf8|-E|[0-9]+年|-E|"
  "utf8-re-rare|utf8|-E|日本語|-E|"
  "mixed-tree|mixed|-s|環境変数|-F -r|-F"
  "re-mixed-tree|mixed|-E|環境変数|-E -r|"
)
# Each UTF-8 row and the Shift JIS row it is compared with.
PAIRS="utf8-frequent:frequent utf8-rare:rare utf8-ascii-i:ascii-i utf8-class:class
  utf8-re-rare:re-rare mixed-tree:tree re-mixed-tree:re-tree"

printf '%-14s %10s %10s %10s %8s %8s  %-26s %s%s\n' case varsik grep rg v/grep v/rg "lines (varsik grep rg)" \
  "peak MB (varsik grep rg)" "${BASE:+   base v/base}"
# The commands of case $1: vargs (varsik-grep's arguments), gcmd, rpath (ripgrep's
# arguments but its threads).
commands() {
  read_case "$1"
  gword=$(sj "$word")
  glocale=ja_JP.CP932
  renc="-E shift_jis"
  case $target in
    big) path="$BIG" ;;
    utf8) path="$BIGU"; glocale=C.UTF-8; gword=$word; renc="" ;;
    tree) path="$CORPUS/tree" ;;
    mixed) path="$MIXED" ;;
  esac
  printf '%s' "$gword" > "$OUT/gword"
  if [ -d "$path" ]; then
    vargs="$vopt '$word' '*.*' '$path'"
  else
    vargs="$vopt --no-subfolders '$word' '$(basename "$path")' '$(dirname "$path")'"
  fi
  gcmd="LC_ALL=$glocale grep $gopt -f '$OUT/gword' '$path'"
  rargs="$renc --no-config $ropt '$word' '$path'"
}

for c in "${CASE_LIST[@]}"; do
  commands "$c"
  if [ -n "${CASES:-}" ] && [[ " $CASES " != *" $name "* ]]; then continue; fi
  if [ ! -e "$path" ]; then echo "$name: no $path"; continue; fi
  vcmd="$VG -j1 $vargs"
  rcmd="rg -j1 $rargs"
  # Matching-line counts: entries of varsik, lines of grep and rg.
  vl=$(eval "$vcmd" | grep -c '^ :' || true)
  gl=$(eval "$gcmd" | wc -l)
  rl=$(eval "$rcmd" | wc -l)
  mem="$(peak "$vcmd") $(peak "$gcmd") $(peak "$rcmd")"
  base=()
  [ -n "$BASE" ] && base=(-n base "$BASE -j1 $vargs")
  hyperfine -i --output=pipe --style none --warmup 1 --runs "$RUNS" --export-json "$OUT/$name.json" \
    -n varsik "$vcmd" -n grep "$gcmd" -n rg "$rcmd" "${base[@]}" >/dev/null 2>&1
  python3 - "$OUT/$name.json" "$name" "$vl" "$gl" "$rl" "$mem" <<'PY'
import json, sys
d = json.load(open(sys.argv[1]))
t = {r["command"]: r["median"] for r in d["results"]}
v, g, r = t["varsik"], t["grep"], t["rg"]
same = "" if sys.argv[3] == sys.argv[4] == sys.argv[5] else "  COUNTS DIFFER"
counts = "%s %s %s" % (sys.argv[3], sys.argv[4], sys.argv[5])
base = "   %8.3fs %5.3f" % (t["base"], v / t["base"]) if "base" in t else ""
print("%-14s %9.3fs %9.3fs %9.3fs %8.2f %8.2f  %-26s %s%s%s" % (sys.argv[2], v, g, r, v / g, v / r, counts, sys.argv[6], base, same))
PY
done
echo
for pair in $PAIRS; do
  u=$OUT/${pair%%:*}.json s=$OUT/${pair#*:}.json
  [ -f "$u" ] && [ -f "$s" ] || continue
  python3 - "$u" "$s" "$pair" <<'PY'
import json, sys
def varsik(path):
    return {r["command"]: r["median"] for r in json.load(open(path))["results"]}["varsik"]
u, s = varsik(sys.argv[1]), varsik(sys.argv[2])
print("varsik %-28s %8.3fs / %8.3fs = %5.2f" % (sys.argv[3].replace(":", " vs "), u, s, u / s))
PY
done

THREAD_CASES=${THREAD_CASES-tree re-tree frequent rare ascii-i word class alternation re-frequent re-rare}
[ -n "$THREAD_CASES" ] || exit 0
printf '\nthreads: %s CPUs\n' "$(nproc)"
printf '%-12s %10s %10s %10s %8s %8s\n' case varsik-jN varsik-j1 rg-jN jN/j1 jN/rg
for c in "${CASE_LIST[@]}"; do
  commands "$c"
  if [[ " $THREAD_CASES " != *" $name "* ]]; then continue; fi
  # The output of the default threads is that of one, byte for byte.
  same=""
  cmp -s <(eval "$VG $vargs") <(eval "$VG -j1 $vargs") || same="  OUTPUT DIFFERS"
  # The big file is cut into parts for the threads; it is held against ripgrep on one
  # thread over its UTF-8 copy, without decoding.
  rthreads="rg $rargs"
  [ "$target" = big ] && [ -f "$BIGU" ] && rthreads="rg -j1 --no-config $ropt '$word' '$BIGU'"
  hyperfine -i --output=pipe --style none --warmup 1 --runs "$RUNS" --export-json "$OUT/$name-j.json" \
    -n many "$VG $vargs" -n one "$VG -j1 $vargs" -n rg "$rthreads" >/dev/null 2>&1
  python3 - "$OUT/$name-j.json" "$name" "$same" <<'PY'
import json, sys
d = json.load(open(sys.argv[1]))
t = {r["command"]: r["median"] for r in d["results"]}
m, o, r = t["many"], t["one"], t["rg"]
print("%-12s %9.3fs %9.3fs %9.3fs %8.2f %8.2f%s" % (sys.argv[2], m, o, r, m / o, m / r, sys.argv[3]))
PY
done
