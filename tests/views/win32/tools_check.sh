#!/usr/bin/env bash
# The tools of the Windows build under Wine on a virtual screen, through the
# real program file and the stand-in servers, driven from outside:
#   Server Settings from the tray menu: the new port is stored in the
#   program file and the restarted launcher serves on it;
#   Down Size from the tray menu: the ticked components (and the favorite)
#   go, the rest stays, and the launcher starts again;
#   Rebrand from the tool bar: the output folder holds the branded copy with
#   the chosen icon, splash and title; a second Rebrand there asks, then
#   replaces that copy and keeps the user's own file.
#   tools_check.sh <lodestack.exe> <window_probe.exe> <standin_httpd.exe>
#                  <standin_mysqld.exe> <wine-run> <build folder>
# (exit code 77: skipped for want of a tool; in CI that fails instead). Screenshots go to $LODESTACK_SHOTS when it names a
# folder, else to <build folder>/shots.
set -uo pipefail
program=$(realpath "$1") probe=$(realpath "$2") httpd=$(realpath "$3") mysqld=$(realpath "$4")
wine_run=$(realpath "$5") build=$(realpath "$6")

if [ "${7:-}" != --inside ]; then
  source "$(dirname "$0")/../../support/check.sh"
  need xvfb-run import wine wrestool convert curl
  exec xvfb-run -a -s "-screen 0 1280x800x24 -noreset" bash "$0" "$@" --inside
fi

# A prefix of its own, so that ending its Wine server ends only this test's programs.
export WINEPREFIX=$build/wineprefix-tools
source "$(dirname "$0")/wine_desktop.sh"
# The index of the n-th (from 0) control of a class in a dialog's listing.
nth() {  # nth <listing> <class> <n>
  grep "^control=" <<<"$1" | awk -F'|' -v c="$2" -v n="$3" '$2 == c { if (k++ == n) { sub("control=", "", $1); print $1 } }'
}
# A resource of the program file, as stored.
resource() { wrestool -x --raw -n "$2" "$1" 2>/dev/null; }
serves() { curl -s -m 2 -o /dev/null "http://127.0.0.1:$1/"; }
not() { ! "$@"; }

tree=$work/tree
standin_tree "$tree"
mkdir -p "$tree/bin/php/ext" "$tree/www/phpmyadmin"
printf '[DIRS]\r\nWeb Folder={APPDIR}\\www\r\n[URLS]\r\nHelp Pages=http://{LOCALHOST:PORT}/help/\r\nphpMyAdmin=http://{LOCALHOST:PORT}/phpmyadmin/\r\n' \
  >"$tree/bin/Favorites.ini"
printf '<?php echo 1;\n' >"$tree/www/index.php"
printf '<?php\n' >"$tree/www/phpmyadmin/index.php"
for ext in php_gd2.dll php_curl.dll php_sockets.dll; do : >"$tree/bin/php/ext/$ext"; done
printf '[INI]\r\ntitle=Tools Check\r\nport=18710\r\nip=127.0.0.1\r\nfullscreen=0\r\nbrand=0\r\n' >"$work/Config.ini"
"$wine_run" "$program" /config "$(winpath "$tree/lodestack.exe")" "$(winpath "$work/Config.ini")"
tag=$(basename "$work")

"$wine_run" "$tree/lodestack.exe" &
check "the main window opens" within 90 'has "$(probe main)" "^found=1"'
check "the launcher serves on its port" within 30 'serves 18710'
started 60

# Server Settings: E in the tray menu.
check "the tray menu opens" within 30 'test "$(value "$(probe menu)" menu)" = 1'
probe key 69 >/dev/null
check "Server Settings... opens its dialog" within 10 'has "$(probe dialog "Server Settings")" "^dialog=1"'
sleep 1
settings=$(probe dialog "Server Settings")
echo "$settings"
shot settings
check "its client area is 291 x 131" test "$(value "$settings" dialog.client)" = 291x131
check "the port shows the stored one" has "$settings" '|Edit|18710|'
probe set "Server Settings" "$(nth "$settings" Edit 0)" 18720 >/dev/null
check "the new port is in the edit" within 5 'has "$(probe dialog "Server Settings")" "|Edit|18720|"'
check "OK is pressed" has "$(probe press "Server Settings" OK)" "^pressed=1"
check "the change is confirmed first" within 10 'has "$(probe dialog Confirm)" "^dialog=1"'
shot settings-confirm
probe press Confirm Yes >/dev/null
check "the program file stores the new port" \
  within 60 'resource "$tree/lodestack.exe" RES_CONFIG_INI | tr -d "\r" | grep -qx port=18720'
check "the restarted launcher serves on the new port" within 90 'serves 18720'
check "and its window opens again" within 60 'has "$(probe main)" "^found=1"'
check "its address names the new port" \
  within 60 'test "$(value "$(probe main)" address.text)" = http://127.0.0.1:18720'
check "the old port is free" not serves 18710

# Down Size: D in the tray menu; GD and phpMyAdmin are ticked.
sleep 1
check "the tray menu opens again" within 30 'test "$(value "$(probe menu)" menu)" = 1'
probe key 68 >/dev/null
check "Down Size... opens its dialog" within 10 'has "$(probe dialog "Down Size")" "^dialog=1"'
sleep 1
downsize=$(probe dialog "Down Size")
echo "$downsize"
shot down-size
check "its client area is 241 x 465" test "$(value "$downsize" dialog.client)" = 241x465
check "OK waits for a choice" has "$downsize" '|Button|OK|0|'
check "GD can be chosen" has "$downsize" '|Button|Delete GD|1|0'
check "mcrypt cannot: it is not there" has "$downsize" '|Button|Delete mcrypt|0|0'
probe press "Down Size" "Delete GD" >/dev/null
probe press "Down Size" "Delete phpMyAdmin" >/dev/null
check "the two boxes are ticked and OK is enabled" within 5 \
  'd=$(probe dialog "Down Size"); has "$d" "|Button|Delete GD|1|1" && has "$d" "|Button|Delete phpMyAdmin|1|1" && has "$d" "|Button|OK|1|"'
shot down-size-chosen
probe press "Down Size" OK >/dev/null
check "the removal is confirmed first" within 10 'has "$(probe dialog Confirm)" "^dialog=1"'
probe press Confirm Yes >/dev/null
check "the GD extension goes" within 60 '[ ! -e "$tree/bin/php/ext/php_gd2.dll" ]'
check "phpMyAdmin goes" within 30 '[ ! -e "$tree/www/phpmyadmin" ]'
check "the launcher starts again" within 90 'has "$(probe main)" "^found=1"'
started 60
check "its favorite goes" not grep -q '^phpMyAdmin=' "$tree/bin/Favorites.ini"
check "the other favorites stay" grep -q '^Help Pages=' "$tree/bin/Favorites.ini"
check "the other extensions stay" test -e "$tree/bin/php/ext/php_curl.dll" -a -e "$tree/bin/php/ext/php_sockets.dll"
check "the site and the servers stay" \
  test -e "$tree/www/index.php" -a -e "$tree/bin/mysql/bin/mysqld.exe" -a -e "$tree/bin/Apache/Apache.exe"
check "and it serves again" within 60 'serves 18720'

# Rebrand: the tool bar's button.
convert -size 32x32 xc:red "$work/brand.ico"
convert -size 40x20 xc:blue "$work/splash.bmp"
# The output folder is one that exists: another is not taken.
out=$work/out
mkdir -p "$out"
sleep 1
check "the tool bar's Rebrand is clicked" has "$(probe toolbar 106)" "^clicked=1"
check "Rebrand opens its dialog" within 10 'has "$(probe dialog Rebrand)" "^dialog=1"'
sleep 1
brand=$(probe dialog Rebrand)
echo "$brand"
check "its client area is 573 x 429" test "$(value "$brand" dialog.client)" = 573x429
probe set Rebrand "$(nth "$brand" Edit 0)" "$(winpath "$work/splash.bmp")" >/dev/null
probe set Rebrand "$(nth "$brand" Edit 1)" "Red Brand" >/dev/null
probe set Rebrand "$(nth "$brand" Edit 2)" "$(winpath "$work/brand.ico")" >/dev/null
probe set Rebrand "$(nth "$brand" Edit 6)" "$(winpath "$out")" >/dev/null
sleep 1
filled=$(probe dialog Rebrand)
echo "$filled"
shot rebrand
check "the title is filled in" has "$filled" '|Edit|Red Brand|'
check "Go! is pressed" has "$(probe press Rebrand Go!)" "^pressed=1"
sleep 1
shot rebrand-busy
check "the branded copy is made" within 90 '[ -s "$out/runme.exe" ] && [ -e "$out/autorun.inf" ]'
within 30 '[ -z "$(probe messagebox | grep "^messagebox=1")" ]' || { shot rebrand-message; probe messagebox; }
check "the dialog has closed" not has "$(probe dialog Rebrand)" "^dialog=1"
sleep 2
check "autorun.inf starts runme.exe" \
  cmp -s "$out/autorun.inf" <(printf '[autorun]\r\nicon=runme.exe\r\nopen=runme.exe\r\n')
check "bin, data and www are there" test -d "$out/bin" -a -d "$out/data" -a -d "$out/www"
check "the site is copied" test -e "$out/www/index.php"
resource "$out/runme.exe" RES_SPLASH >"$work/got-splash"
check "the splash is the chosen file" cmp -s "$work/got-splash" "$work/splash.bmp"
# The newest one: other runs in the same prefix leave theirs behind.
brandini=$(find "$WINEPREFIX/drive_c" -name Brand.ini -printf '%T@ %p\n' 2>/dev/null | sort -n | tail -n 1 | cut -d' ' -f2-)
resource "$out/runme.exe" RES_CONFIG_INI >"$work/got-config"
same_as_brand_ini() { [ -n "$brandini" ] && cmp -s "$work/got-config" "$brandini"; }
check "the stored settings are the Brand.ini" same_as_brand_ini
check "with the chosen title" grep -q '^title="*Red Brand"*' <(tr -d '\r' <"$work/got-config")
# The icon: the copy's one icon group holds the chosen file's images, pixel for pixel.
mkdir -p "$work/icons"
wrestool -x -t 14 -o "$work/icons" "$out/runme.exe" 2>/dev/null
pixels() { convert "$1" rgba:- 2>/dev/null | md5sum; }
groups=("$work/icons"/*.ico)
check "the copy has one icon group" test "${#groups[@]}" = 1 -a -e "${groups[0]}"
check "its images are the chosen icon's" test "$(pixels "${groups[0]}")" = "$(pixels "$work/brand.ico")"

check "the output folder is shown" within 20 'pgrep -f "explorer.exe .*$tag.out" >/dev/null'
sleep 2
shot after-rebrand

# Rebrand again into the same folder: it asks first; the new copy replaces
# the earlier one whole, and the user's own file there stays.
printf 'mine' >"$out/notes.txt"
printf 'stale' >"$out/www/stale.php"
check "the tool bar's Rebrand is clicked again" has "$(probe toolbar 106)" "^clicked=1"
check "Rebrand opens its dialog again" within 10 'has "$(probe dialog Rebrand)" "^dialog=1"'
sleep 1
check "Go! is pressed again" has "$(probe press Rebrand Go!)" "^pressed=1"
check "it asks before it replaces the earlier copy" within 30 'has "$(probe messagebox)" "holds an earlier copy"'
shot rebrand-replace
probe press Confirm Yes >/dev/null
check "the new copy replaces the earlier one" \
  within 90 '[ ! -e "$out/www/stale.php" ] && [ -e "$out/www/index.php" ] && [ -s "$out/runme.exe" ]'
check "the user's file stays" test "$(cat "$out/notes.txt")" = mine
check "no staging folder is left" within 30 'test ! -e "$work/.out.rebrand" -a ! -e "$out/.rebrand"' || ls -la "$work" "$out"

probe send queryendsession >/dev/null
# The folder's window stays: the launcher and its servers run from the tree.
check "the launcher ends as usual" within 60 '[ -z "$(pgrep -f "$tag.tree")" ]'
echo "screenshots in $shots"
echo "$failures failed"
[ "$failures" -eq 0 ]
