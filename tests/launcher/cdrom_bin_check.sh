#!/usr/bin/env bash
# The bin folder of a program started from a CD-ROM drive, under Wine: a
# folder becomes drive R: and R: is declared a CD-ROM, the program is
# started from there, and its bin folder must be a writable copy in its
# work folder. Declaring the drive needs a restart of the Wine server, so
# this runs in a Wine prefix of its own and no other test's process is ended.
#   cdrom_bin_check.sh <resource_child.exe> <wine-run> <build folder>
set -euo pipefail
program=$1
wine_run=$2
export WINEPREFIX=$(cd "$3" && pwd)/wineprefix-cdrom

work=$(mktemp -d)
cleanup() {
  rm -f "$WINEPREFIX/dosdevices/r:"
  wineserver -k 2>/dev/null || true
  chmod -R u+w "$work"
  rm -rf "$work"
}
trap cleanup EXIT
source "$(dirname "$0")/../support/wine_check.sh"

# The medium: the program and a bin folder, all read-only as on a CD.
mkdir -p "$work/cd/bin/php"
printf '[PHP]\r\n' >"$work/cd/bin/php/php.ini"
printf '[Browser]\r\n' >"$work/cd/bin/Browser.ini"
cp "$program" "$work/cd/launcher.exe"
chmod -R a-w "$work/cd"

"$wine_run" reg add 'HKLM\Software\Wine\Drives' /v r: /t REG_SZ /d cdrom /f >/dev/null
wineserver -k 2>/dev/null || true
wineserver -w
ln -sfn "$work/cd" "$WINEPREFIX/dosdevices/r:"

"$wine_run" 'R:\launcher.exe' bindir "$(winpath "$work/report.txt")"
cat "$work/report.txt"
value() { sed -n "s/^$1=//p" "$work/report.txt" | tr -d '\r'; }
workdir=$(value workdir)
set +e  # from here every check reports, failed or not
check "R: is a CD-ROM drive to the program" test "$(value cdrom)" = 1
check "the bin folder is the work folder's bin" test "$(value bindir)" = "$workdir\\bin"
unixwork=$("$wine_run" winepath -u "$workdir" | tr -d '\r')
check "the bin folder was copied" \
  cmp "$work/cd/bin/php/php.ini" "$unixwork/bin/php/php.ini"
check "the copy is writable" \
  test -z "$(find "$unixwork/bin" ! -perm -u+w)" -a -n "$(find "$unixwork/bin" -name Browser.ini)"
rm -rf "${unixwork:?}"

echo "$((4 - failures)) passed, $failures failed"
[ "$failures" -eq 0 ]
