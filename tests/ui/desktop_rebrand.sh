# The desktop check's Rebrand section, sourced by desktop_check.sh with its
# helpers: the branded copy of a running stack with the real servers, made
# while PHP writes rows, made again into the same folder after agreeing,
# then moved and started as a user starts it.
section_rebrand() {
echo "== Rebrand"
tree=$work/six
make_tree "$tree" "$(config "Brand Source" 18418)"
cp "$work/db.php" "$tree/www/"
# A page that writes row n, and one that checks the rows up to n.
cat >"$tree/www/write.php" <<'PHP'
<?php
$db = new mysqli('localhost', 'root', '', 'mysql');
$db->query('CREATE DATABASE IF NOT EXISTS kept');
$db->query('CREATE TABLE IF NOT EXISTS kept.numbers (n INT)');
echo $db->query('INSERT INTO kept.numbers VALUES (' . (int) $_GET['n'] . ')') ? 'written' : 'failed';
PHP
cat >"$tree/www/rows.php" <<'PHP'
<?php
$db = new mysqli('localhost', 'root', '', 'kept');
echo $db->query('CHECK TABLE numbers')->fetch_assoc()['Msg_text'], ' ';
echo $db->query('SELECT COUNT(DISTINCT n) FROM numbers WHERE n <= ' . (int) $_GET['upto'])->fetch_row()[0];
PHP
convert -size 120x90 xc:'#c08030' "$work/brand-splash.png"
convert -size 32x32 xc:'#2060a0' "$work/brand-icon.ico"
mkdir -p "$work/brand-out"
start "$tree"
check "the window opens" wait_title "Brand Source" 60
check "a row written through PHP" test "$(curl -s "http://127.0.0.1:18418/db.php?put=1")" = 1
click 637 35  # Rebrand
check "the tool bar's Rebrand opens its dialog" within 10 has_title Rebrand
dialog=$(window_titled Rebrand)
sleep 0.5
read -r dx dy _ _ <<<"$(geometry "$dialog")"
fill() {  # fill <left> <top> <text>: replaces an edit's text
  click $((dx + $1)) $((dy + $2))
  xdotool key ctrl+a
  xdotool type --delay 5 "$3"
}
fill 240 32 "$work/brand-splash.png"
fill 240 60 "Brand Copy"
fill 240 88 "$work/brand-icon.ico"
xdotool mousemove $((dx + 250)) $((dy + 144)) click 4  # Show Tray Icon (Y)
fill 420 172 18419
fill 240 366 "$work/brand-out"
xdotool key Tab
sleep 0.3
shot rebrand
# PHP writes rows one after another while the copy is made; each row
# written is noted.
( n=0; while :; do n=$((n + 1)); [ "$(curl -s "http://127.0.0.1:18418/write.php?n=$n")" = written ] && echo "$n" >>"$work/written"; done ) &
writer=$!
within 20 'test -s "$work/written"'
sleep 2
before=$(tail -n 1 "$work/written")
click $((dx + 446)) $((dy + 408))  # Go!
out=$work/brand-out
check "Go! builds runme, the AutoRun file and the three folders" within 120 'test -x "$out/runme" -a -x "$out/autorun.sh" -a -d "$out/bin" -a -d "$out/data" -a -d "$out/www"'
check "and opens the output folder" within 20 'grep -qx "$out" "$work/opened"'
check "the dialog is gone" within 10 '! has_title Rebrand'
check "the live data was backed up first" eval 'ls "$tree/backups/"*-auto.sql.gz >/dev/null'
status=$(status_text)
check "and the status bar says where the backup went ($status)" has "$status" "Before Rebrand: Backed up"
shot rebrand-backup
check "the database server runs again after the copy" within 30 'test "$(curl -s "http://127.0.0.1:18418/rows.php?upto=$before")" = "OK $before"'
kill "$writer"
wait "$writer" 2>/dev/null
# Rebrand again into the same folder, after a page went from the site: it
# asks first; the new copy replaces the earlier one whole, and the user's
# own file there stays.
printf mine >"$out/notes.txt"
rm "$tree/www/write.php"
click 637 35  # Rebrand
check "Rebrand opens its dialog again" within 10 has_title Rebrand
sleep 0.5
click $((dx + 446)) $((dy + 408))  # Go!
check "it asks before it replaces the earlier copy" within 30 has_title Confirm
shot rebrand-replace
xdotool key alt+y
check "the new copy replaces the earlier one" \
  within 120 'test -x "$out/runme" -a -e "$out/www/rows.php" -a ! -e "$out/www/write.php" -a ! -e "$work/.brand-out.rebrand"'
check "the user's file stays" test "$(cat "$out/notes.txt")" = mine
stop
mv "$out" "$work/moved"
start_tray
(cd "$work/moved" && exec ./runme) >"$work/out" 2>&1 &
launcher=$!
splash_of_copy() { pid=$(pgrep -f "^$work/moved/runme splash" | head -n 1); [ -n "$pid" ] && xdotool search --onlyvisible --pid "$pid" 2>/dev/null | head -n 1; }
check "the copy, moved, shows its own splash" within 30 'test -n "$(splash_of_copy)"'
w=$(splash_of_copy)
[ -z "$w" ] || check "the chosen picture (120 90)" test "$(geometry "$w" | cut -d' ' -f3-)" = "120 90"
check "and its window the new title" wait_title "Brand Copy" 60
check "it serves the copied site on its port" eval 'curl -s http://127.0.0.1:18419/ | grep -q "Brand Copy"'
check "and reaches the copied databases" test "$(curl -s http://127.0.0.1:18419/db.php)" = 1
rows=$(curl -s "http://127.0.0.1:18419/rows.php?upto=$before")
check "the $before rows written before the copy began are all in it, unrepaired ($rows)" test "$rows" = "OK $before"
copy_log=$(dirname "$(tr '\0' '\n' <"/proc/$(pgrep -f "^$work/moved/bin/mysql/bin/mysqld" | head -n 1)/cmdline" | sed -n 's/^--defaults-file=//p')")/mysqld.log
check "its database server found nothing to recover or repair" eval '! grep -Eiq "crash|repair|recover" "$copy_log"'
sleep 1
shot branded
# The tool bar ends with Home: where the Favorites caption stood, under the
# address box that moved left, there is only the bar's background.
blank=$(import -window root -crop 80x6+470+55 png:- | convert - -format '%[fx:standard_deviation]' info:)
check "the tool bar has no buttons after Home ($blank)" awk "BEGIN { exit !($blank < 0.01) }"
# Made with "Allow developer tools" left unchecked: no inspector.
inspected F12
check "F12 opens no inspector in it" test "$changed" -lt 2000
context_menu
shot branded-context-menu
check "nor does its context menu offer Inspect Element" test -z "$(menu_word Inspect)"
check "which holds the page's entries" test -n "$(menu_word Reload)"
xdotool key Escape
check "its tray icon is there" within 20 'test -n "$(icon_window)"'
click_icon 3
short_menu() { xdotool search --onlyvisible --pid "$launcher" 2>/dev/null | while read -r w; do
    read -r _ _ mw mh <<<"$(geometry "$w")"
    [ "$mw" -lt 400 ] && [ "$mh" -gt 30 ] && echo "$mh"; done | head -n 1; }
check "its tray menu holds Show/Hide and Exit only" within 10 'h=$(short_menu); [ -n "$h" ] && [ "$h" -lt 100 ]'
shot branded-tray-menu
xdotool key Escape
stop
check "and every server ends with it" within 20 'nothing_runs "$work/moved"'
stop_tray
}
