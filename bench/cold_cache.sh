#!/usr/bin/env bash
# Times varsik-grep on a cold page cache: a tree of 2,000 files of 100 KB (cut from the
# corpus's big Shift JIS file at line ends), searched with the default threads and with
# -j 1, the cache dropped before every run. Prints the median wall times and their ratio.
# Skips (exit 0) where the page cache cannot be dropped (not root, or in a container
# that forbids it).
#
# Usage: bench/cold_cache.sh [VARSIK_GREP] [CORPUS_DIR]
#   VARSIK_GREP  default build/cli/varsik-grep
#   CORPUS_DIR   default bench/corpus, else /work/corpus
# Environment: RUNS (default 5), WORDS (default 環境変数).
set -euo pipefail
cd "$(dirname "$0")/.."
VG=$(realpath "${1:-build/cli/varsik-grep}")
CORPUS=${2:-bench/corpus}
[ -d "$CORPUS" ] || CORPUS=/work/corpus
RUNS=${RUNS:-5}
if [ ! -f "$CORPUS/big.no1a.sjis" ]; then
  echo "skipped: no corpus at $CORPUS"
  exit 0
fi
if ! { sync && echo 3 > /proc/sys/vm/drop_caches; } 2>/dev/null; then
  echo "skipped: the page cache cannot be dropped here"
  exit 0
fi
COLD="$CORPUS/cold"
if [ ! -d "$COLD" ]; then
  python3 - "$CORPUS/big.no1a.sjis" "$COLD" <<'PY'
import os, sys
data = open(sys.argv[1], 'rb').read()
at = 0
for i in range(2000):
    # Each file ends at the first line end past 100 KB.
    end = data.find(b'\n', at + 100 * 1024)
    end = len(data) if end < 0 else end + 1
    folder = os.path.join(sys.argv[2], 'd%02d' % (i // 100))
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, 'f%04d.txt' % i), 'wb') as f:
        f.write(data[at:end])
    at = end if end < len(data) else 0
PY
fi
python3 - "$VG" "$COLD" "$RUNS" <<'PY'
import statistics, subprocess, sys, time
vg, tree, runs = sys.argv[1], sys.argv[2], int(sys.argv[3])
def cold(args):
    subprocess.run(['sync'])
    open('/proc/sys/vm/drop_caches', 'w').write('3\n')
    start = time.monotonic()
    subprocess.run([vg] + args + ['環境変数', '*.*', tree], stdout=subprocess.DEVNULL, check=False)
    return time.monotonic() - start
for mode in ([], ['-E']):
    many, one = [], []
    for _ in range(runs):
        many.append(cold(mode))
        one.append(cold(['-j1'] + mode))
    m, o = statistics.median(many), statistics.median(one)
    print('cold %-6s default threads %7.3fs  -j1 %7.3fs  ratio %.2f' % (' '.join(mode) or 'plain', m, o, m / o))
PY
