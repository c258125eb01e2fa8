#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, ASan, UBSan) in build-fuzz and runs each
# for a bounded time on its committed seeds and its working corpus.
# Usage: tests/fuzz/run.sh [SECONDS-PER-TARGET] [TARGET...]   (default 60, all targets)
# New inputs go to build-fuzz/corpus/TARGET; a failing input to build-fuzz/artifacts/TARGET.
# Exits non-zero when a target fails.
set -euo pipefail
cd "$(dirname "$0")/../.."
SECONDS_PER_TARGET=${1:-60}
shift || true
TARGETS=("$@")
[ ${#TARGETS[@]} -gt 0 ] || TARGETS=(fuzz_pattern fuzz_plain_search fuzz_settings fuzz_file_scan fuzz_decode)
BUILD=${FUZZ_BUILD_DIR:-build-fuzz}

CC=clang CXX=clang++ cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVARSIK_FUZZ=ON -DVARSIK_SANITIZE=ON -DVARSIK_BUILD_GUI=OFF -DVARSIK_BUILD_BENCH=OFF >/dev/null
cmake --build "$BUILD" --target varsik_fuzz -j "$(nproc)"

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
status=0
for target in "${TARGETS[@]}"; do
  seeds=tests/fuzz/corpus/${target#fuzz_}
  work=$BUILD/corpus/$target
  artifacts=$BUILD/artifacts/$target/
  mkdir -p "$work" "$artifacts"
  # A unit that runs 5 minutes counts as a hang; instrumented pattern compiles near the
  # automaton limits take tens of seconds on a busy machine.
  args=(-max_total_time="$SECONDS_PER_TARGET" -timeout=300 -rss_limit_mb=2560
        -artifact_prefix="$artifacts" -print_final_stats=1)
  dict=tests/fuzz/${target#fuzz_}.dict
  [ -f "$dict" ] && args+=(-dict="$dict")
  case $target in
    fuzz_pattern) args+=(-max_len=4097) ;;
    fuzz_plain_search|fuzz_settings) args+=(-max_len=8192) ;;
    fuzz_file_scan|fuzz_decode) args+=(-max_len=16384) ;;
  esac
  echo "== $target: ${SECONDS_PER_TARGET}s"
  if ! "$BUILD/tests/fuzz/$target" "${args[@]}" "$work" "$seeds" 2>"$BUILD/$target.log"; then
    tail -n 60 "$BUILD/$target.log"
    echo "FAILED: $target (log $BUILD/$target.log, input in $artifacts)"
    status=1
  else
    grep -E '^(stat::number_of_executed_units|Done)' "$BUILD/$target.log" || true
  fi
done
exit $status
