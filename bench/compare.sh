#!/usr/bin/env bash
# Times varsik-grep on one thread (-j 1) beside GNU grep (in a CP932 locale) and ripgrep
# (decoding Shift JIS, one thread) on the Shift JIS corpus, checks that all three count
# the same matching lines, and prints a table with the ratios and each tool's peak
# memory. Then, for the cases of THREAD_CASES, varsik-grep with its default threads
# beside -j 1 and beside ripgrep with its default threads.
#
# Usage: bench/compare.sh [VARSIK_GREP] [CORPUS_DIR]
#   VARSIK_GREP  default build/cli/varsik-grep
#   CORPUS_DIR   default bench/corpus (built with make-corpus.sh when missing)
# Environment: RUNS (default 5), CASES (space-separated case names to run, default all),
# BASE (another varsik-grep, an earlier build: timed in the same runs, with the ratio),
# THREAD_CASES (default "tree re-tree"; empty: no threads table).
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
OUT=$(mktemp -d)
trap 'rm -rf "$OUT"' EXIT

sj() { printf '%s' "$1" | iconv -f UTF-8 -t CP932; }
# Peak resident memory of one run in MB. dash execs the command, and its own few hundred
# KB stay below every tool's peak.
peak() { /usr/bin/time -f %M dash -c "exec $1 >/dev/null" 2>&1 | awk 'END { printf "%.1f", $1 / 1024 }'; }

source bench/cases.sh

printf '%-12s %10s %10s %10s %8s %8s  %-26s %s%s\n' case varsik grep rg v/grep v/rg "lines (varsik grep rg)" \
  "peak MB (varsik grep rg)" "${BASE:+   base v/base}"
# The commands of case $1: vargs (varsik-grep's arguments), gcmd, rpath (ripgrep's
# arguments but its threads).
commands() {
  read_case "$1"
  if [ "$target" = big ]; then path="$BIG"; vmask=$(basename "$BIG"); vdir="$CORPUS"; else path="$CORPUS/tree"; vmask='*.*'; vdir="$CORPUS/tree"; fi
  gword=$(sj "$word")
  printf '%s' "$gword" > "$OUT/gword"
  vargs="$vopt --no-subfolders '$word' '$vmask' '$vdir'"
  [ "$target" = tree ] && vargs="$vopt '$word' '$vmask' '$vdir'"
  gcmd="LC_ALL=ja_JP.CP932 grep $gopt -f '$OUT/gword' '$path'"
  rargs="-E shift_jis --no-config $ropt '$word' '$path'"
}

for c in "${CASE_LIST[@]}"; do
  commands "$c"
  if [ -n "${CASES:-}" ] && [[ " $CASES " != *" $name "* ]]; then continue; fi
  vcmd="$VG -j1 $vargs"
  rcmd="rg -j1 $rargs"
  # Matching-line counts: entries of varsik, lines of grep and rg.
  vl=$(eval "$vcmd" | grep -c '^ :' || true)
  gl=$(eval "$gcmd" | wc -l)
  rl=$(eval "$rcmd" | wc -l)
  mem="$(peak "$vcmd") $(peak "$gcmd") $(peak "$rcmd")"
  base=()
  [ -n "$BASE" ] && base=(-n base "$BASE $vargs")
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
print("%-12s %9.3fs %9.3fs %9.3fs %8.2f %8.2f  %-26s %s%s%s" % (sys.argv[2], v, g, r, v / g, v / r, counts, sys.argv[6], base, same))
PY
done

THREAD_CASES=${THREAD_CASES-tree re-tree}
[ -n "$THREAD_CASES" ] || exit 0
printf '\nthreads: %s CPUs\n' "$(nproc)"
printf '%-12s %10s %10s %10s %8s %8s\n' case varsik-jN varsik-j1 rg-jN jN/j1 jN/rg
for c in "${CASE_LIST[@]}"; do
  commands "$c"
  if [[ " $THREAD_CASES " != *" $name "* ]]; then continue; fi
  # The output of the default threads is that of one, byte for byte.
  same=""
  cmp -s <(eval "$VG $vargs") <(eval "$VG -j1 $vargs") || same="  OUTPUT DIFFERS"
  hyperfine -i --output=pipe --style none --warmup 1 --runs "$RUNS" --export-json "$OUT/$name-j.json" \
    -n many "$VG $vargs" -n one "$VG -j1 $vargs" -n rg "rg $rargs" >/dev/null 2>&1
  python3 - "$OUT/$name-j.json" "$name" "$same" <<'PY'
import json, sys
d = json.load(open(sys.argv[1]))
t = {r["command"]: r["median"] for r in d["results"]}
m, o, r = t["many"], t["one"], t["rg"]
print("%-12s %9.3fs %9.3fs %9.3fs %8.2f %8.2f%s" % (sys.argv[2], m, o, r, m / o, m / r, sys.argv[3]))
PY
done
