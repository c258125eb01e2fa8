# Shared by the shell end-to-end tests: a scratch folder $T removed on exit, and
# comparisons that count failures. A test sources this, runs its checks, then calls
# finish, which sets the exit status. The programs speak English here, whatever the
# user's locale: a test that wants another language sets it for the one command.
export LC_ALL=C.UTF-8
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
