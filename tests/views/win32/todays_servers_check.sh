#!/usr/bin/env bash
# The Windows program under Wine on a virtual screen with the stand-in
# servers laid out as today's zips unpack (Apache 2.4 as bin\Apache\bin\httpd.exe,
# PHP 8's module, MariaDB's mariadbd.exe beside a mysqld.exe): the main
# window opens, and the tray menu's Exit ends the launcher and both servers,
# MariaDB's stand-in through its shutdown event.
#   todays_servers_check.sh <lodestack.exe> <window_probe.exe> <standin_httpd.exe>
#                           <standin_mysqld.exe> <wine-run> <build folder>
# (exit code 77: skipped for want of a tool; in CI that fails instead).
set -uo pipefail
program=$(realpath "$1") probe=$(realpath "$2") httpd=$(realpath "$3") mysqld=$(realpath "$4")
wine_run=$(realpath "$5") build=$(realpath "$6")

if [ "${7:-}" != --inside ]; then
  source "$(dirname "$0")/../../support/check.sh"
  need xvfb-run import wine
  exec xvfb-run -a -s "-screen 0 1280x800x24 -noreset" bash "$0" "$@" --inside
fi

export WINEPREFIX=$build/wineprefix-todays
source "$(dirname "$0")/wine_desktop.sh"

tree=$work/tree
mkdir -p "$tree/bin/Apache/bin" "$tree/bin/Apache/modules" "$tree/bin/Apache/conf" "$tree/bin/mysql/bin" \
  "$tree/bin/mysql/share/english" "$tree/bin/php/ext" "$tree/data" "$tree/www"
cp "$program" "$tree/lodestack.exe"
cp "$httpd" "$tree/bin/Apache/bin/httpd.exe"
cp "$mysqld" "$tree/bin/mysql/bin/mariadbd.exe"
cp "$mysqld" "$tree/bin/mysql/bin/mysqld.exe"
: >"$tree/bin/Apache/conf/mime.types"
: >"$tree/bin/php/php8apache2_4.dll"
printf '[PHP]\r\n' >"$tree/bin/php/php.ini"
printf '[INI]\r\ntitle=Todays Servers\r\nport=20520\r\nip=127.0.0.1\r\nfullscreen=0\r\nbrand=0\r\n' >"$work/Config.ini"
"$wine_run" "$program" /config "$(winpath "$tree/lodestack.exe")" "$(winpath "$work/Config.ini")"

tag=$(basename "$work")
"$wine_run" "$tree/lodestack.exe" &
check "the main window opens" within 90 'has "$(probe main)" "^found=1"'
started 60
shot todays-servers-window
conf=$(find "$WINEPREFIX/drive_c" -name httpd.conf -newer "$work/Config.ini" 2>/dev/null | head -n 1)
check "httpd.conf loads PHP 8's module" grep -q '^LoadModule php_module ".*\\bin\\php\\php8apache2_4.dll"' "$conf"
check "MariaDB runs as mariadbd.exe" within 30 'pgrep -f "$tag.*mariadbd.exe" >/dev/null'
check "the tray menu opens" within 30 'test "$(value "$(probe menu)" menu)" = 1'
shot todays-servers-tray-menu
probe key 88 >/dev/null
check "Exit ends the launcher and its servers" within 60 '[ -z "$(pgrep -f "$tag")" ]'
check "MariaDB's stand-in was asked to stop through its shutdown event" test -e "$tree/clean-shutdown"
echo "screenshots in $shots"
echo "$failures failed"
[ "$failures" -eq 0 ]
