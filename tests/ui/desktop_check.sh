#!/usr/bin/env bash
# The launcher's window on a desktop, from outside, as a user would use it:
# under Xvfb, with the real servers of the tree tools/make-stack built.
#   desktop_check.sh PROGRAM STACK_TREE
# (exit code 77: skipped for want of a tool; in CI that fails instead)
# PROGRAM is the built program file, its desktop module lodestack-gtk.so
# and the splash's lodestack-splash.so beside it. Screenshots go to $LODESTACK_SHOTS when it names a folder.
set -uo pipefail
program=$(realpath "$1") shared=$(realpath "$2")
module=$(dirname "$program")/lodestack-gtk.so
splash_module=$(dirname "$program")/lodestack-splash.so

source "$(dirname "$0")/../support/check.sh"
if [ "${3:-}" != --inside ]; then
  need xvfb-run xdotool xwininfo trayer import convert identify
  [ -x "$shared/bin/Apache/Apache" ] || skip "$shared holds no stack"
  # -noreset: with its last client gone the server would reset, and a
  # window opened in that moment would find no display.
  exec xvfb-run -a -s "-screen 0 1280x800x24 -noreset" bash "$0" "$program" "$shared" --inside
fi

export NO_AT_BRIDGE=1
work=$(mktemp -d)
# As root the web server serves as another user, who must reach the trees.
chmod 755 "$work"
shots=${LODESTACK_SHOTS:-}
# What the program opens in the desktop's applications is written down instead.
mkdir -p "$work/fakebin"
printf '#!/bin/sh\necho "$*" >>"%s/opened"\n' "$work" >"$work/fakebin/xdg-open"
chmod +x "$work/fakebin/xdg-open"
export PATH="$work/fakebin:$PATH"
launcher= tray= elsewhere= mounts=()
cleanup() {
  [ -z "$launcher" ] || kill -9 "$launcher" 2>/dev/null
  [ -z "$tray" ] || kill -9 "$tray" 2>/dev/null
  [ -z "$elsewhere" ] || kill -9 "$elsewhere" 2>/dev/null
  pkill -9 -f "^$work/" 2>/dev/null
  for m in "${mounts[@]}"; do umount -l "$m"; done
  rm -rf "$work"
}
trap cleanup EXIT

running() { [ -r "/proc/$1/stat" ] && ! grep -q '^[0-9]* (.*) Z ' "/proc/$1/stat" 2>/dev/null; }
shot() { [ -z "$shots" ] || import -window root "$shots/$1.png"; }

# A tree of its own: the program, its desktop and the web server copied (the
# launcher ends every process of its web server file), the rest linked.
make_tree() {  # make_tree <folder> <Config.ini text>
  local tree=$1
  mkdir -p "$tree/bin/desktop" "$tree/www"
  cp "$program" "$tree/lodestack"
  cp "$module" "$splash_module" "$tree/bin/desktop/"
  cp -a "$shared/bin/Apache" "$tree/bin/Apache"
  ln -s "$shared/bin/php" "$tree/bin/php"
  ln -s "$shared/bin/mysql" "$tree/bin/mysql"
  # The stack's own pages hold the rule phpMyAdmin's gate asks.
  ln -s "$shared/bin/pages" "$tree/bin/pages"
  cp "$shared/bin/Favorites.ini" "$tree/bin/"
  cp "$shared/www/index.php" "$tree/www/"
  cp -a "$shared/data" "$tree/data"
  printf '%s' "$2" >"$tree/new.ini"
  "$program" /config "$tree/lodestack" "$tree/new.ini"
}
config() {  # config <title> <port> [more lines]
  printf '[INI]\r\nfullscreen=0\r\ntitle=%s\r\nport=%s\r\nip=127.0.0.1\r\ncopyfilestoharddisk=0\r\nbrand=0%s' "$1" "$2" "${3:-}"
}
# Starts the tree's program as a user does; its output in $work/out.
start() {
  (cd "$1" && exec ./lodestack) >"$work/out" 2>&1 &
  launcher=$!
}
# The visible windows of the launcher (not of its splash) with this title.
window_titled() { xdotool search --all --onlyvisible --pid "$launcher" --name "^$1\$" 2>/dev/null | head -n 1; }
has_title() { test -n "$(window_titled "$1")"; }
wait_title() { within "${2:-30}" has_title "'$1'"; }
geometry() {  # geometry <window>: "left top width height"
  xwininfo -id "$1" | awk '/Absolute upper-left X/{x=$4} /Absolute upper-left Y/{y=$4} /Width:/{w=$2} /Height:/{h=$2} END{print x, y, w, h}'
}
nothing_runs() { ! pgrep -f "^$1/(lodestack|bin/Apache/Apache)" >/dev/null && ! pgrep -f "mysqld --defaults-file=.*" -a | grep -q "$1"; }
# Stops the launcher as the session's end does, and waits for it.
stop() {
  kill -TERM "$launcher" 2>/dev/null
  within 30 '! running "$launcher"' && wait "$launcher" 2>/dev/null
  launcher=
}
# The address box is beside the tool bar, Back to Home are its first buttons.
click() { xdotool mousemove "$1" "$2" click "${3:-1}"; }
# Without a window manager the last window mapped is on top: the tray goes
# over the maximised window before its icon is clicked.
click_icon() {
  local ix iy iw ih
  xdotool windowraise "$(panel)"
  read -r ix iy iw ih <<<"$(geometry "$(icon_window)")"
  click $((ix + iw / 2)) $((iy + ih / 2)) "${1:-1}"
}
go_to() {
  click 900 35
  xdotool key --clearmodifiers ctrl+a
  xdotool type --delay 5 "$1"
  xdotool key Return
}
BACK=47 FORWARD=136 HOME_BUTTON=403

ended() {  # ended <seconds>: the launcher ended within them; its exit code in $code
  within "$1" '! running "$launcher"' || return 1
  wait "$launcher"
  code=$?
  launcher=
}
# The tray host, and the icon embedded in its window.
start_tray() {
  trayer --edge top --align right --widthtype request --height 24 --transparent false >>"$work/trayer.log" 2>&1 &
  tray=$!
}
stop_tray() {
  kill "$tray" 2>/dev/null
  wait "$tray" 2>/dev/null
  tray=
}
panel() { xdotool search --onlyvisible --class trayer 2>/dev/null | head -n 1; }
icon_window() {  # the icon embedded in the tray host's window
  local panel
  panel=$(panel)
  [ -n "$panel" ] || return 1
  xwininfo -children -id "$panel" | awk '/^ +0x/ && /[0-9]+x[0-9]+\+/ {print $1}' | while read -r child; do
    if xwininfo -id "$child" | grep -q "IsViewable" && [ "$(geometry "$child" | awk '{print $3}')" -gt 1 ]; then
      echo "$child"
      break
    fi
  done
}
# The icon's own window in the tray carries the tip as its name too: the
# main window is the one as wide as the screen.
main_window() { for w in $(xdotool search --all --onlyvisible --pid "$launcher" --name "^$1\$" 2>/dev/null); do
    [ "$(geometry "$w" | awk '{print $3}')" -ge 1000 ] && echo "$w"; done | head -n 1; }
viewable() { xwininfo -id "$1" 2>/dev/null | grep -q IsViewable; }
# The tray menu: a window of the launcher's that is narrow and tall.
menu() { xdotool search --onlyvisible --pid "$launcher" 2>/dev/null | while read -r w; do
    read -r _ _ mw mh <<<"$(geometry "$w")"
    [ "$mw" -lt 400 ] && [ "$mh" -gt 100 ] && echo "$w"; done | head -n 1; }
# Opens the tray menu and picks the entry that many steps down from the top.
tray_entry() {
  click_icon 3
  within 10 'test -n "$(menu)"'
  sleep 0.3
  for _ in $(seq "$1"); do xdotool key Down; done
  xdotool key Return
}
# A page that writes a row (?put=1) and counts the rows.
cat >"$work/db.php" <<'PHP'
<?php
$db = new mysqli('localhost', 'root', '', 'mysql');
$db->query('CREATE DATABASE IF NOT EXISTS kept');
$db->query('CREATE TABLE IF NOT EXISTS kept.notes (note VARCHAR(40))');
if (isset($_GET['put'])) $db->query("INSERT INTO kept.notes VALUES ('written before')");
$db->query('FLUSH TABLES');
echo $db->query('SELECT COUNT(*) FROM kept.notes')->fetch_row()[0];
PHP
# The status text as the user reads it: the status bar's first panel,
# enlarged and read by OCR.
status_text() {  # status_text [left bottom width]: the main window's by default
  local left=${1:-0} bottom=${2:-800} width=${3:-1010}
  import -window root -crop "${width}x19+$((left + 2))+$((bottom - 20))" png:- |
    convert - -colorspace Gray -resize 300% -bordercolor white -border 30 png:- |
    tesseract stdin stdout --psm 7 2>/dev/null
}
# A section runs when $DESKTOP_ONLY is empty or names it.
wanted() { [ -z "${DESKTOP_ONLY:-}" ] || [[ " $DESKTOP_ONLY " == *" $1 "* ]]; }

section_main() {
echo "== the main window with the start page, navigation, popups, a silent engine"
tree=$work/one
make_tree "$tree" "$(config "Desk Test" 18400)"
cat >"$tree/www/one.html" <<'HTML'
<title>One</title><a href="two.html">two</a>
HTML
cat >"$tree/www/two.html" <<'HTML'
<title>Two</title>
HTML
cat >"$tree/www/popup.html" <<'HTML'
<title>Opener</title>
<script>window.open('target.html', 'p', 'left=100,top=50,width=400,height=300,menubar=no,toolbar=no,location=no,status=no');</script>
HTML
cat >"$tree/www/target.html" <<'HTML'
<title>Popup target</title><p>A window of its own.
HTML
cat >"$tree/www/alert.html" <<'HTML'
<title>Before</title><script>alert('no dialog'); confirm('none either'); document.title = 'After alert';</script>
HTML
cat >"$tree/www/slow.php" <<'HTML'
<?php
echo '<title>Slow</title>', str_repeat(' ', 8192);
for ($i = 0; $i < 12; $i++) { echo '<p>', $i, str_repeat(' ', 4096), "\n"; @ob_flush(); flush(); usleep(400000); }
HTML
cat >"$tree/www/close.html" <<'HTML'
<title>Closing</title><script>setTimeout(function () { window.close(); }, 300);</script>
HTML
start "$tree"
check "the window shows the start page, its title as caption" wait_title "Desk Test" 60
port=$(sed -n 's/.*running at http:\/\/127\.0\.0\.1:\([0-9]*\).*/\1/p' "$work/out" | head -n 1)
main=$(window_titled "Desk Test")
check "the window is maximised" test "$(geometry "$main")" = "0 0 1280 800"
check "the first line said where the stack runs" has "$(head -n 1 "$work/out")" "Desk Test is running at http://127.0.0.1:$port"
sleep 1
shot main-window
go_to "http://127.0.0.1:$port/one.html"
check "an address typed in the address box" wait_title One
go_to "127.0.0.1:$port/two.html"
check "an address without a scheme" wait_title Two
click $BACK 35
check "Back" wait_title One
click $FORWARD 35
check "Forward" wait_title Two
click $HOME_BUTTON 35
check "Home" wait_title "Desk Test"

go_to "http://127.0.0.1:$port/slow.php"
sleep 1.5
# The progress bar over the status bar's second panel, filled with the theme's blue.
saturation=$(import -window root -crop 190x13+1023+783 png:- | convert - -colorspace HSL -channel G -separate -format '%[fx:mean]' info:)
check "the status bar shows progress while loading ($saturation)" awk "BEGIN { exit !($saturation > 0.1) }"
shot loading
check "the slow page loads" wait_title Slow 20

go_to "http://127.0.0.1:$port/popup.html"
check "window.open opens a window of the program's own" wait_title "Popup target"
popup=$(window_titled "Popup target")
[ -z "$popup" ] || check "placed and sized as the page asked, without bars" test "$(geometry "$popup")" = "100 50 400 300"
sleep 0.5
shot popup
windows_before=$(xdotool search --onlyvisible --pid "$launcher" 2>/dev/null | wc -l)
go_to "http://127.0.0.1:$port/alert.html"
check "alert() and confirm() show no dialog" wait_title "After alert"
check "no other window appeared" test "$(xdotool search --onlyvisible --pid "$launcher" 2>/dev/null | wc -l)" -eq "$windows_before"

go_to "http://127.0.0.1:$port/close.html"
check "a page closing the main window ends the program" ended 30
check "with exit code 0" test "${code:-}" = 0
check "and every server" within 20 'nothing_runs "$tree"'
}

section_tray() {
echo "== the tray icon"
tree=$work/two
make_tree "$tree" "$(config "Tray Test" 18410 $'\r\ntrayicon=1')"
start_tray
start "$tree"
check "the window opens" wait_title "Tray Test" 60
check "the icon is embedded in the tray" within 20 'test -n "$(icon_window)"' ||
  { cat "$work/trayer.log"; echo "the windows:"; xwininfo -root -tree | grep -E '^ +0x' | head -n 30; } >&2
main=$(main_window "Tray Test")
check "the main window is found" test -n "$main"
if [ -n "$(icon_window)" ] && [ -n "$main" ]; then
  click_icon
  check "a left click hides the window" within 10 '! viewable "$main"'
  sleep 1
  click_icon
  check "another shows it again" within 10 'viewable "$main"'
  sleep 1
  click_icon 3
  check "a right click opens the tray menu" within 10 'test -n "$(menu)"'
  sleep 0.5
  shot tray-menu
  menu_size=$(geometry "$(menu)" | awk '{print $4}')
  check "the menu holds its sixteen entries ($menu_size pixels high)" test "${menu_size:-0}" -gt 200
  xdotool key Escape
  sleep 0.5
  kill "$tray"
  wait "$tray" 2>/dev/null
  start_tray
  check "a restarted tray gets the icon back" within 20 'test -n "$(icon_window)"'
  tray_entry 7  # Show/Hide, Down Size, Server Settings, Back Up, Restore, Open Terminal, Logs
  check "Logs opens the logs page in the window" wait_title Logs 20
  sleep 0.5
  shot logs-page
  tray_entry 11  # ..., Logs, Help, Contact, Website, About
  check "About opens from the tray menu" within 10 has_title About
  sleep 0.5
  shot about
  xdotool key Return
  check "and closes with its OK" within 10 '! has_title About'
  click_icon 3
  within 10 'test -n "$(menu)"'
  sleep 0.3
  xdotool key Up Return  # the last entry: Exit
  check "Exit ends the program" ended 30
  check "with exit code 0" test "${code:-}" = 0
  check "and every server" within 20 'nothing_runs "$tree"'
fi
[ -z "$launcher" ] || stop
stop_tray
}

section_settings() {
echo "== Server Settings"
tree=$work/four
make_tree "$tree" "$(config "Settings Test" 18412 $'\r\ntrayicon=1')"
cp "$work/db.php" "$tree/www/"
start_tray
start "$tree"
check "the window opens" wait_title "Settings Test" 60
check "a row written through PHP" test "$(curl -s "http://127.0.0.1:18412/db.php?put=1")" = 1
within 20 'test -n "$(icon_window)"'
tray_entry 3  # Show/Hide, Down Size, Server Settings
check "the tray menu opens Server Settings" within 10 has_title "'Server Settings'"
dialog=$(window_titled "Server Settings")
sleep 0.5
shot server-settings
read -r dx dy _ _ <<<"$(geometry "$dialog")"
click $((dx + 120)) $((dy + 65))  # the port field
xdotool key ctrl+a
xdotool type --delay 20 18416
xdotool key Tab  # leaving the field
sleep 0.3
click $((dx + 164)) $((dy + 110))  # OK
check "OK asks first" within 10 has_title Confirm
shot settings-confirm
xdotool key alt+y
check "the launcher quits" ended 30
check "and comes back on the new port" within 60 'curl -sf http://127.0.0.1:18416/ >/dev/null'
check "the program file stores it" grep -q -a "port=18416" "$tree/lodestack"
check "the rows written before are still there" test "$(curl -s http://127.0.0.1:18416/db.php)" = 1
launcher=$(pgrep -x -f "$tree/lodestack" | head -n 1)
check "its window opens" wait_title "Settings Test" 60
[ -z "$launcher" ] || stop
check "and every server ends with it" within 20 'nothing_runs "$tree"'
stop_tray
}

section_downsize() {
echo "== Down Size"
tree=$work/five
make_tree "$tree" "$(config "Slim Test" 18414 $'\r\ntrayicon=1')"
# Its own PHP and phpMyAdmin, for they are deleted.
rm "$tree/bin/php"
cp -a "$shared/bin/php" "$tree/bin/php"
mkdir -p "$tree/www/phpmyadmin"
echo '<?php echo "phpMyAdmin";' >"$tree/www/phpmyadmin/index.php"
ext=$tree/bin/php/ext
start_tray
start "$tree"
check "the window opens" wait_title "Slim Test" 60
within 20 'test -n "$(icon_window)"'
tray_entry 2  # Show/Hide, Down Size
check "the tray menu opens Down Size" within 10 has_title "'Down Size'"
dialog=$(window_titled "Down Size")
sleep 0.5
read -r dx dy _ _ <<<"$(geometry "$dialog")"
click $((dx + 24)) $((dy + 46))    # SQLite
click $((dx + 24)) $((dy + 145))   # GD
click $((dx + 24)) $((dy + 394))   # phpMyAdmin
sleep 0.3
shot down-size
click $((dx + 114)) $((dy + 440))  # OK
check "OK asks first" within 10 has_title Confirm
xdotool key alt+y
check "the launcher quits" ended 30
check "the worker starts it again" within 60 'curl -sf http://127.0.0.1:18414/ >/dev/null'
check "phpMyAdmin, GD and SQLite are gone" test ! -e "$tree/www/phpmyadmin" -a ! -e "$ext/gd.so" -a ! -e "$ext/sqlite3.so" -a ! -e "$ext/pdo_sqlite.so"
check "and their lines in the php.ini template" eval '! grep -Eq "^extension=(gd|sqlite3|pdo_sqlite)\b" "$tree/bin/php/php.ini"'
check "the phpMyAdmin favorite is gone, the rest stays" eval '! grep -q "^phpMyAdmin=" "$tree/bin/Favorites.ini" && grep -q "^Start page=" "$tree/bin/Favorites.ini"'
check "everything else stays" test -e "$ext/mbstring.so" -a -e "$ext/pdo.so" -a -d "$tree/bin/mysql" -a -d "$tree/data/mysql"
launcher=$(pgrep -x -f "$tree/lodestack" | head -n 1)
check "its window opens" wait_title "Slim Test" 60
check "the database was backed up before phpMyAdmin went" eval 'ls "$tree/backups/"*-auto.sql.gz >/dev/null'
sleep 1
status=$(status_text)
check "and the new window's status bar says where the backup went ($status)" has "$status" "Before Down Size: Backed up"
shot down-size-backup
apache=$(pgrep -f "^$tree/bin/Apache/Apache" | head -n 1)
errors=$(dirname "$(tr '\0' '\n' <"/proc/$apache/cmdline" | sed -n '/^-f$/{n;p}')")/error.log
check "Apache's log has no word of the removed pieces" eval 'test -f "$errors" && ! grep -Ei "gd|sqlite|unable to load" "$errors"'
[ -z "$launcher" ] || stop
check "and every server ends with it" within 20 'nothing_runs "$tree"'
stop_tray
}

for part in rebrand devtools files; do source "$(dirname "$0")/desktop_$part.sh"; done

section_watch() {
echo "== failures told in the window"
tree=$work/seven
make_tree "$tree" "$(config "Watch Test" 18422)"
cp "$work/db.php" "$tree/www/"
mv "$tree/bin/Apache/mod_mime.so" "$work/mod_mime.so"
start "$tree"
check "a web server that cannot start is told in an error box" within 30 has_title Error
sleep 0.5
shot start-failure
check "the start page never opens" test -z "$(window_titled "Watch Test")"
check "the servers are stopped while the box is open" eval '! pgrep -f "^$tree/bin/Apache/Apache" >/dev/null && ! pgrep -af "mysqld --defaults-file" | grep -q "$tree/"'
xdotool key Return
check "once it is read the launcher ends" ended 10
check "with exit code 1" test "${code:-}" = 1
check "and nothing of it runs" within 10 'nothing_runs "$tree"'
mv "$work/mod_mime.so" "$tree/bin/Apache/mod_mime.so"

start "$tree"
check "with the module back the window opens" wait_title "Watch Test" 60
check "a row written through PHP" test "$(curl -s "http://127.0.0.1:18422/db.php?put=1")" = 1
kill -9 "$(pgrep -P "$launcher" -f bin/mysql/bin/mysqld)"
check "a killed database server is told within 2 s" within 2 has_title Warning
sleep 0.3
shot server-stopped
xdotool key alt+y
check "Yes starts it again, and PHP reaches the database" within 30 'test "$(curl -s http://127.0.0.1:18422/db.php)" = 1'
# A log-off while the box asks: nobody clicks, and the run ends all the same.
kill -9 "$(pgrep -P "$launcher" -f bin/mysql/bin/mysqld)"
check "killed again, it is told again" within 2 has_title Warning
kill -TERM "$launcher"
check "a quit closes the box within a second" within 1 '! has_title Warning'
check "and the run ends" ended 20
check "with exit code 0" test "${code:-}" = 0
check "and every server ends with it" within 20 'nothing_runs "$tree"'
}

section_splash() {
echo "== the splash"
tree=$work/three
make_tree "$tree" "$(config "Splash Test" 18420)"
splash_window() { pid=$(pgrep -f "^$tree/lodestack splash" | head -n 1); [ -n "$pid" ] && xdotool search --onlyvisible --pid "$pid" 2>/dev/null | head -n 1; }
start "$tree"
check "the splash appears while the stack starts" within 30 'test -n "$(splash_window)"'
shot splash
# It shows a picture: the browser engine's libraries would only slow the start.
splash_pid=$(pgrep -f "^$tree/lodestack splash" | head -n 1)
splash_libraries=$(cat "/proc/${splash_pid:-0}/maps" 2>/dev/null)
check "the splash process loads GTK but not the browser engine" \
  eval 'has "$splash_libraries" libgtk-3 && ! has "$splash_libraries" libwebkit2gtk' 
check "the servers were not ready yet" test -z "$(window_titled "Splash Test")"
check "the window opens" wait_title "Splash Test" 60
check "the splash is gone once the first page has loaded" within 20 '! pgrep -f "^$tree/lodestack splash" >/dev/null'
stop
# The servers start while the window is being built: a quit asked for
# before it shows still stops them and leaves no work folder.
start "$tree"
web_server() { pgrep -af "^$tree/bin/Apache/Apache -f" | head -n 1; }
check "the web server starts before the window shows" within 30 'test -n "$(web_server)" && ! has_title "Splash Test"'
workdir=$(web_server | sed -n 's/.* -f \(.*\)\/httpd\.conf.*/\1/p')
kill -TERM "$launcher"
check "a quit meanwhile ends the run" ended 30
check "with exit code 0" test "${code:-}" = 0
check "nothing of it runs" within 20 'nothing_runs "$tree"'
check "and its work folder is gone" test -n "$workdir" -a ! -e "$workdir"
convert -size 40x30 xc:'#3080c0' "BMP3:$work/picture.bmp"
convert -size 60x20 xc:'#c03080' "$work/picture.jpg"
convert -size 50x44 xc:'#30c080' "$work/picture.png"
cp "$module" "$work/"
for picture in "$work"/picture.*; do
  size=$(identify -format '%w %h' "$picture")
  cp "$program" "$work/branded"
  "$program" /splash "$work/branded" "$picture"
  printf '[INI]\r\n' >"$work/splash.ini"
  "$work/branded" splash "$work/splash.ini" &
  pid=$!
  w=$(timeout 20 xdotool search --sync --onlyvisible --pid "$pid" 2>/dev/null | head -n 1)
  check "$(basename "$picture") stored with /splash is shown ($size)" test -n "$w" -a "$(geometry "${w:-0}" 2>/dev/null | cut -d' ' -f3-)" = "$size"
  kill "$pid"
  wait "$pid" 2>/dev/null
done
head -c 3000 /dev/urandom >"$work/random.bin"
"$program" /splash "$tree/lodestack" "$work/random.bin"
start "$tree"
seen=
opened() { [ -n "$(splash_window)" ] && seen=yes; test -n "$(window_titled "Splash Test")"; }
check "random bytes as the splash: the start goes on" within 60 opened
check "and no splash was shown" test -z "$seen"
stop
}

section_privileges() {
echo "== the window's privileges stay with the stack's own pages"
# From a folder whose name is hard on command lines: the splash, the servers
# and the window start from it.
tree="$work/my \"tëst\" stack"
make_tree "$tree" "$(config "Own Test" 18430)"
# A second server, on another port, serves a page that is not the stack's,
# and notes what the pages report to it.
mkdir -p "$work/elsewhere"
/usr/bin/python3 -m http.server 18431 --bind 127.0.0.1 --directory "$work/elsewhere" >/dev/null 2>"$work/elsewhere.log" &
elsewhere=$!
# A page that (when told to) puts text on the clipboard, reads the
# clipboard, tries to open a window unasked and reports what it got; then it
# closes its own window, or goes on to the next page, when told to.
page() {  # page <name> <copy: yes|no> <close: yes|no> <next page or ""> <milliseconds to wait first>
  cat <<HTML
<title>$1</title><textarea id=t></textarea>
<script>
function run() {
  var t = document.getElementById('t');
  if ('$2' === 'yes') { t.value = 'stack-secret'; t.select(); document.execCommand('copy'); }
  t.value = '';
  t.focus();
  document.execCommand('paste');
  var opened = window.open('about:blank', '', 'width=300,height=200');
  fetch('http://127.0.0.1:18431/report/$1/read=' + t.value + '/opened=' + (opened ? 'yes' : 'no'), {mode: 'no-cors'});
  if ('$3' === 'yes') setTimeout(function () { window.close(); }, 300);
  if ('$4') setTimeout(function () { location.href = '$4'; }, 1500);
}
if ($5) setTimeout(run, $5); else run();
</script>
HTML
}
# The start page, then the page from elsewhere, then the stack's own again.
# Coming back from elsewhere the stack's page waits a moment: its privileges
# return once it is shown, not while the page from elsewhere still is.
page own yes no http://127.0.0.1:18431/read.html 0 >"$tree/www/index.php"
page elsewhere no yes http://127.0.0.1:18430/again.html 0 >"$work/elsewhere/read.html"
page own-again no yes "" 1000 >"$tree/www/again.html"
reported() { grep -q "GET /report/$1 " "$work/elsewhere.log"; }
splash_window() { pid=$(pgrep -f "^$tree/lodestack splash" | head -n 1); [ -n "$pid" ] && xdotool search --onlyvisible --pid "$pid" 2>/dev/null | head -n 1; }
start "$tree"
check "the splash shows from a folder named $(basename "$tree")" within 30 'test -n "$(splash_window)"'
check "the stack's start page copies, reads the clipboard back and opens a window unasked" \
  within 60 'reported own/read=stack-secret/opened=yes'
check "a page from elsewhere reads nothing from the clipboard and opens no window unasked" \
  within 30 'reported elsewhere/read=/opened=no'
shot page-from-elsewhere
check "its window.close() leaves the stack running: the stack's page after it reads the clipboard" \
  within 30 'reported own-again/read=stack-secret/opened=yes'
check "and the stack's own window.close() ends the program" ended 30
check "with exit code 0" test "${code:-}" = 0
check "and every server" within 20 'nothing_runs "$tree"'
grep "GET /report" "$work/elsewhere.log" | sed 's/^.*GET /reported: /; s/ HTTP.*//'
kill "$elsewhere" 2>/dev/null
wait "$elsewhere" 2>/dev/null
elsewhere=
}


section_nodesktop() {
echo "== a display, but no desktop module"
tree=$work/eight
make_tree "$tree" "$(config "Bare Test" 18424)"
rm -r "$tree/bin/desktop"
rm -f "$work/opened"
start "$tree"
check "it serves" within 60 'curl -sf http://127.0.0.1:18424/ >/dev/null'
check "it says where it runs" within 10 'grep -q "^Bare Test is running at http://127.0.0.1:18424$" "$work/out"'
check "and why there is no window" grep -q "^Bare Test has no window of its own: its desktop module bin/desktop/lodestack-gtk.so is missing" "$work/out"
check "the start page goes to the web browser" within 10 'grep -qx "http://127.0.0.1:18424" "$work/opened"'
check "no window opened" test -z "$(xdotool search --onlyvisible --pid "$launcher" 2>/dev/null)"
kill -TERM "$launcher"
check "SIGTERM ends it" ended 30
check "with exit code 0" test "${code:-}" = 0
check "and every server" within 20 'nothing_runs "$tree"'
}

for section in main tray settings downsize rebrand devtools watch splash privileges nodesktop files; do
  wanted "$section" && "section_$section"
done
[ "$failures" -eq 0 ]
