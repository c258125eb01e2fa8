# Shared by the shell end-to-end tests: a scratch folder $T removed on exit, and
# comparisons that count failures. A test sources this, runs its checks, then calls
# finish, which sets the exit status.
T=$(mktemp -d)
trap 'rm -rf "$T"' EXIT
failures=0

check() {  # check NAME EXPECTED ACTUAL
  if [ "$2" != "$3" ]; then
    echo "FAIL: $1"
    echo "  expected: $(printf '%q' "$2")"
    echo "  actual:   $(printf '%q' "$3")"
    failures=$((failures + 1))
  fi
}

finish() {
  if [ $failures -gt 0 ]; then
    echo "$failures check(s) failed"
    exit 1
  fi
  echo "all checks passed"
}
