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
  local limit=$(($1 * 10)) waited=0
  shift
  until eval "$*"; do
    [ "$waited" -lt "$limit" ] || return 1
    sleep 0.1
    waited=$((waited + 1))
  done
}
