#!/usr/bin/env bash
# Checks that varsik-grep prints the same bytes with its default threads as with -j 1,
# for every benchmark case over the corpus, the big file also with its Ctrl+Z lines and
# its UTF-8 copy.
# Skips (exit 0) when there is no corpus.
#
# Usage: bench/check_threads.sh [VARSIK_GREP] [CORPUS_DIR]
#   VARSIK_GREP  default build/cli/varsik-grep
#   CORPUS_DIR   default bench/corpus, else /work/corpus
set -euo pipefail
cd "$(dirname "$0")/.."
VG=$(realpath "${1:-build/cli/varsik-grep}")
CORPUS=${2:-bench/corpus}
[ -d "$CORPUS" ] || CORPUS=/work/corpus
if [ ! -f "$CORPUS/big.no1a.sjis" ] || [ ! -d "$CORPUS/tree" ]; then
  echo "skipped: no corpus at $CORPUS"
  exit 0
fi
source bench/cases.sh
OUT=$(mktemp -d)
trap 'rm -rf "$OUT"' EXIT

failed=0
# The big file is cut into parts for the workers: also with its Ctrl+Z lines, and read as
# cp932 whatever it holds; its UTF-8 copy is searched whole.
for c in "${CASE_LIST[@]}" "ctrl-z|big.sjis|-s|文字列" "re-ctrl-z|big.sjis|-E|文字列" \
  "utf8|big.no1a.utf8|-s|文字列" "cp932-utf8|big.no1a.utf8|--encoding=cp932|option"; do
  read_case "$c"
  case "$target" in
    big) set -- --no-subfolders "$word" big.no1a.sjis "$CORPUS" ;;
    tree) set -- "$word" '*.*' "$CORPUS/tree" ;;
    *) set -- --no-subfolders "$word" "$target" "$CORPUS" ;;
  esac
  # $vopt holds zero or one option.
  "$VG" -j 1 $vopt --stats "$@" > "$OUT/one" 2>&1 || echo "rc $?" >> "$OUT/one"
  "$VG" $vopt --stats "$@" > "$OUT/many" 2>&1 || echo "rc $?" >> "$OUT/many"
  if cmp -s "$OUT/one" "$OUT/many"; then
    echo "same: $name ($(grep -c '^ :' "$OUT/one" || true) lines)"
  else
    echo "DIFFER: $name"
    failed=1
  fi
done
exit $failed
