# Shared by the shell tests of the Windows build; sourced, not run.

# Wine's drive Z: is the root of the Linux file system.
winpath() { printf 'Z:%s' "${1//\//\\}"; }

source "$(dirname "${BASH_SOURCE[0]}")/check.sh"
