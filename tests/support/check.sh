# The checks of the shell tests; sourced, not run. A test ends with
# [ "$failures" -eq 0 ].

failures=0
check() {  # check <description> <command...>
  local what=$1
  shift
  if "$@"; then echo "ok: $what"; else echo "FAILED: $what" >&2; failures=$((failures + 1)); return 1; fi
}
# has <text> <pattern>: a line of the text matches.
has() { grep -q -- "$2" <<<"$1"; }
# Waits up to $1 seconds for a condition: a command line, run again each time.
within() {
  # By the clock: a slow condition (a screenshot read by OCR) must not
  # stretch the limit.
  local deadline=$((${EPOCHREALTIME/./} + $1 * 1000000))
  shift
  until eval "$*"; do
    [ "${EPOCHREALTIME/./}" -lt "$deadline" ] || return 1
    sleep 0.1
  done
}
# skip <reason>: this machine cannot run the test (exit code 77). In CI
# (CI=true) that is a failure instead: a missing tool must not let a test
# pass unseen.
skip() {
  if [ "${CI:-}" = true ]; then echo "FAILED: cannot run in CI: $*" >&2; exit 1; fi
  echo "skipped: $*"
  exit 77
}
# need <tool>...: skips (fails in CI) unless every tool is on the PATH.
need() {
  local tool
  for tool; do command -v "$tool" >/dev/null || skip "$tool is missing"; done
}
