# The desktop check's section for the window's developer keys, sourced by
# desktop_check.sh with its helpers: the inspector (F12), zoom, find, print
# to a PDF file, full screen, a page that keeps a key for itself, the logs
# page, and branded copies with and without the inspector.
# inspected <key>: $changed is how many pixels of the window's lower half the key changed.
inspected() {
  # The page settles first, so that only the key can change what is measured.
  local tries
  for tries in 1 2 3 4 5 6; do
    import -window root -crop 1280x300+0+460 "$work/before.png"
    sleep 0.5
    import -window root -crop 1280x300+0+460 "$work/settled.png"
    [ "$(compare -metric AE "$work/before.png" "$work/settled.png" null: 2>&1)" -lt 100 ] && break
  done
  xdotool key "$1"
  sleep 3
  import -window root -crop 1280x300+0+460 "$work/after.png"
  changed=$(compare -metric AE "$work/before.png" "$work/after.png" null: 2>&1)
}
# The page's context menu, opened by a right click in the page and read from
# the screen: menu_word <word> answers "x y" of the word's middle, or nothing.
context_menu() {
  click 640 300 3
  sleep 1
  import -window root -crop 400x400+640+300 png:- | convert - -resize 200% "$work/menu.png"
}
menu_word() {
  tesseract "$work/menu.png" stdout --psm 11 tsv 2>/dev/null |
    awk -F'\t' -v word="$1" '$12 == word {print 640 + int(($7 + $9 / 2) / 2), 300 + int(($8 + $10 / 2) / 2); exit}'
}
# A branded copy's configuration, as Rebrand writes it from Brand.ini's
# defaults, with or without "Allow developer tools".
branded() {  # branded <title> <port> <devtools>
  printf '[INI]\r\ntitle=%s\r\ntoolbar=1\r\nstatusbar=1\r\ntrayicon=0\r\nfullscreen=0\r\nip=127.0.0.1\r\nport=%s\r\ncopyfilestoharddisk=0\r\nbrand=1\r\ndevtools=%s' "$1" "$2" "$3"
}
section_devtools() {
echo "== the inspector, zoom, find, print and full screen"
need pdftoppm tesseract
tree=$work/devtools
make_tree "$tree" "$(config "Dev Keys" 20310 $'\r\nstatusbar=1\r\ntoolbar=1')"
cat >"$tree/www/keys.html" <<'HTML'
<title>Keys</title><p>Apples and pears, apples again.
<script>
// An editor's own Ctrl+F (default prevented); every letter typed in the page names the page.
document.addEventListener('keydown', function (e) {
  if (e.ctrlKey && e.key === 'f' && location.hash === '#editor') { e.preventDefault(); document.title = 'editor find'; }
  else if (e.key.length === 1 && !e.ctrlKey) document.title = 'typed ' + e.key;
});
// A page that grows by script while the find bar is open.
if (location.hash === '#grow') setTimeout(function () { document.body.insertAdjacentHTML('beforeend', '<p>More apples.'); }, 4000);
</script>
HTML
start "$tree"
check "the window shows the start page" wait_title "Dev Keys" 60
sleep 2
shot devtools-start
import -window root "$work/zoom100.png"
xdotool key --clearmodifiers ctrl+plus
sleep 0.3
xdotool key --clearmodifiers ctrl+equal
sleep 0.7
shot devtools-zoom
import -window root "$work/zoom125.png"
check "Ctrl+plus twice shows the level in the status bar" has "$(status_text)" "125"
check "and a larger page" test "$(compare -metric AE "$work/zoom100.png" "$work/zoom125.png" null: 2>&1)" -gt 10000
xdotool key --clearmodifiers ctrl+0
sleep 1
xdotool key --clearmodifiers ctrl+p
check "Ctrl+P opens the print dialog" wait_title Print 20
sleep 1
shot devtools-print-dialog
# On a machine without printers the dialog offers a file, in the folder
# the program runs in: picked, then printed with the dialog's Print button.
read -r dx dy _ _ <<<"$(geometry "$(window_titled Print)")"
click $((dx + 82)) $((dy + 86))
sleep 1
shot devtools-print-to-file
click $((dx + 579)) $((dy + 486))
check "printing to a file writes a PDF" within 30 'ls "$tree"/*.pdf >/dev/null 2>&1'
sleep 1
pdf=$(ls "$tree"/*.pdf 2>/dev/null | head -n 1)
[ -z "$pdf" ] || pdftoppm -png -f 1 -l 1 -r 60 "$pdf" "$work/printed"
[ -z "$shots" ] || [ ! -f "$work/printed-1.png" ] || cp "$work/printed-1.png" "$shots/devtools-printed.png"
check "whose first page holds the start page" test -s "$work/printed-1.png"


go_to "http://127.0.0.1:20310/keys.html#grow"
check "a page of words" wait_title Keys
xdotool key --clearmodifiers ctrl+f
sleep 0.5
xdotool type --delay 50 apples
find_count() { status_text 360 772 200; }
check "the find bar counts the matches" within 3 '[[ "$(find_count)" == *"2 matches"* ]]'
check "and counts again as the page grows" within 8 '[[ "$(find_count)" == *"3 matches"* ]]'
sleep 1.5
shot devtools-find
check "Ctrl+F opens the find bar, which takes what is typed" test -n "$(window_titled Keys)"
xdotool key Escape
sleep 0.3
click 640 400
xdotool type z
check "Escape gave the keys back to the page" wait_title "typed z" 5
go_to "http://127.0.0.1:20310/keys.html#editor"
xdotool key F5
wait_title Keys
click 640 400
xdotool key --clearmodifiers ctrl+f
check "a page that prevents Ctrl+F's default keeps it" wait_title "editor find" 5
xdotool type y
check "and no find bar took the focus from it" wait_title "typed y" 5

xdotool key F11
sleep 1
shot devtools-fullscreen
main=$(window_titled "typed y")
check "F11 fills the screen" test "$(geometry "$main")" = "0 0 1280 800"
xdotool key F11
sleep 1
shot devtools-back

# The inspector docks in the window's lower part.
click "$HOME_BUTTON" 35
wait_title "Dev Keys"
sleep 1
inspected F12
check "F12 opens the inspector on the start page" test "$changed" -gt 20000
shot devtools-inspector
click 16 493  # the inspector's close button
sleep 1

# A PHP warning that a page has just caused, on the logs page.
printf '<?php\necho "Warned: ", $lodestack_never_set;\n' >"$tree/www/warn.php"
go_to "http://127.0.0.1:20310/warn.php"
sleep 2
go_to "http://127.0.0.1:20310/lodestack/logs/"
sleep 3
shot devtools-logs
check "the logs page shows the warning the page caused" \
  eval 'curl -s http://127.0.0.1:20310/lodestack/logs/ | grep -q "Undefined variable \$lodestack_never_set"'
stop

tree=$work/notools
make_tree "$tree" "$(branded "No Tools" 21210 0)"
start "$tree"
check "a copy branded without the developer tools starts" wait_title "No Tools" 60
sleep 2
inspected F12
check "and F12 opens no inspector" test "$changed" -lt 2000
context_menu
shot devtools-branded-menu
check "its context menu has no Inspect Element" test -z "$(menu_word Inspect)"
check "but has the page's entries" test -n "$(menu_word Reload)"
xdotool key Escape
stop

tree=$work/tools
make_tree "$tree" "$(branded "With Tools" 21211 1)"
start "$tree"
check "a copy branded with the developer tools starts" wait_title "With Tools" 60
sleep 2
context_menu
shot devtools-allowed-menu
entry=$(menu_word Inspect)
check "its context menu has Inspect Element" test -n "$entry"
import -window root -crop 1280x300+0+460 "$work/before.png"
[ -z "$entry" ] || click $entry
sleep 3
import -window root -crop 1280x300+0+460 "$work/after.png"
shot devtools-allowed-inspector
check "which opens the inspector" test "$(compare -metric AE "$work/before.png" "$work/after.png" null: 2>&1)" -gt 20000
stop
}