# Shared by the shell tests of the Windows build; sourced, not run.

# Wine's drive Z: is the root of the Linux file system.
winpath() { printf 'Z:%s' "${1//\//\\}"; }

failures=0
check() {  # check <description> <command...>
  local what=$1
  shift
  if "$@"; then echo "ok: $what"; else echo "FAILED: $what" >&2; failures=$((failures + 1)); fi
}
