#!/usr/bin/env bash
# The Windows main window under Wine on a virtual screen, from outside, with
# the real program file and the stand-in servers: the window opens maximised
# with its tool bar, the address box holds the home address, the status bar
# sits at the bottom; the tray icon is added and its menu opens; Exit from
# the menu ends the launcher and its servers.
#   main_window_check.sh <lodestack.exe> <window_probe.exe> <standin_httpd.exe>
#                        <standin_mysqld.exe> <wine-run> <build folder> <popup_check.exe>
# (exit code 77: skipped for want of a tool; in CI that fails instead). Screenshots go to $LODESTACK_SHOTS when it names a
# folder, else to <build folder>/shots.
set -uo pipefail
program=$(realpath "$1") probe=$(realpath "$2") httpd=$(realpath "$3") mysqld=$(realpath "$4")
wine_run=$(realpath "$5") build=$(realpath "$6") popup_check=$(realpath "$7")

if [ "${8:-}" != --inside ]; then
  source "$(dirname "$0")/../../support/check.sh"
  need xvfb-run import wine
  # -noreset: with its last client gone the server would reset, and a
  # window opened in that moment would find no display.
  exec xvfb-run -a -s "-screen 0 1280x800x24 -noreset" bash "$0" "$@" --inside
fi

# A prefix of its own: the Wine server and its desktop keep the display of
# the program that started them, and other tests run without one.
export WINEPREFIX=$build/wineprefix-ui
source "$(dirname "$0")/wine_desktop.sh"

# The popup window, driven through its form on the same desktop.
popups=$("$wine_run" "$popup_check" 2>&1 | tr -d '\r')
echo "$popups"
check "the popup window's checks pass" has "$popups" "^0 failed"

# The tree: the program at its root, the stand-ins as its servers.
tree=$work/tree
standin_tree "$tree"
printf '[DIRS]\r\nWeb Folder={APPDIR}\\www\r\n[URLS]\r\nHelp Pages=http://{LOCALHOST:PORT}/help/\r\n' \
  >"$tree/bin/Favorites.ini"
printf '[INI]\r\ntitle=Window Check\r\nport=18460\r\nip=127.0.0.1\r\nfullscreen=0\r\nbrand=0\r\n' >"$work/Config.ini"
"$wine_run" "$program" /config "$(winpath "$tree/lodestack.exe")" "$(winpath "$work/Config.ini")"

# Started as a user starts it: it restarts itself as the launcher.
"$wine_run" "$tree/lodestack.exe" &
within 90 'has "$(probe main)" "^found=1"'
check "the main window opens" has "$(probe main)" "^found=1"
started 60
main=$(probe main)
echo "$main"
shot main-window

check "the main window is maximised" test "$(value "$main" maximized)" = 1
check "the caption is the configured title" test "$(value "$main" caption)" = "Window Check"
check "the band bar shows" test "$(value "$main" rebar.visible)" = 1
check "the tool bar has seven buttons and a separator" test "$(value "$main" toolbar.count)" = 8
check "its buttons are 52 x 52" test "$(value "$main" toolbar.buttonsize)" = 52x52
# Back and Forward follow the control's command states: nothing to go back
# or forward to yet.
expected=(Back Forward Refresh Stop Home Favorites Rebrand)
for i in 0 1 2 3 4 5 6; do
  state=enabled
  [ "$i" -ge 2 ] || state=disabled
  check "button $i is ${expected[$i]}, $state and shown" \
    test "$(value "$main" "button.$i")" = "${expected[$i]}|$state|shown"
done
check "Go is there" test "$(value "$main" go.text)" = Go
address=$(value "$main" address.text)
check "the address box holds the home address" has "$address" '^http://127\.0\.0\.1:[0-9][0-9]*$'
port=${address##*:}
conf=$(find "$WINEPREFIX/drive_c" -name httpd.conf -newer "$work/Config.ini" 2>/dev/null | head -n 1)
check "the home address names the web server's port" grep -q "^Listen 127.0.0.1:$port" "$conf"
check "the status bar shows, with three panels" test "$(value "$main" statusbar.visible)/$(value "$main" statusbar.parts)" = 1/3
check "no progress shows while nothing loads" test "$(value "$main" progress.visible)" = 0
# Placement: the band bar at the top of the client area, the status bar at
# its bottom, the address box between the tool bar and Go.
read -r cx cy cw ch <<<"$(value "$main" client | tr , ' ')"
read -r rx ry rw rh <<<"$(value "$main" rebar | tr , ' ')"
read -r sx sy sw sh <<<"$(value "$main" statusbar | tr , ' ')"
read -r tx ty tw th <<<"$(value "$main" toolbar | tr , ' ')"
read -r ax ay aw ah <<<"$(value "$main" address | tr , ' ')"
read -r gx gy gw gh <<<"$(value "$main" go | tr , ' ')"
check "the band bar is at the top, full width" test "$ry/$rw" = "$cy/$cw"
check "the status bar is at the bottom, full width" test "$((sy + sh))/$sw" = "$((cy + ch))/$cw"
check "the address box follows the tool bar" test "$ax" -ge "$((tx + tw))"
check "Go is at the right, after the address box" test "$gx" -gt "$ax" -a "$((gx + gw))" -le "$((cx + cw))"

tray=$(probe tray)
echo "$tray"
check "the desktop has a taskbar" test "$(value "$tray" taskbar)" = 1
check "the icon's window exists" test "$(value "$tray" iconwindow)" = 1
check "the tray shows (it shows only with icons in it)" test "$(value "$tray" taskbar.visible)" = 1

# The Favorites button's menu: Organize, the folder, the address; the
# address goes into the address box.
check "the Favorites button drops its menu down" test "$(value "$(probe favorites)" menu)" = 1
sleep 1
shot favorites-menu
# Down to Organize, Web Folder, Help Pages; Return.
check "the menu closes on the chosen entry" test "$(value "$(probe key 40 40 40 13)" menu)" = 0
check "the chosen address is in the address box" \
  within 10 'test "$(value "$(probe main)" address.text)" = "http://127.0.0.1:$port/help/"'

# A left click hides the window to the tray, the next one (after the
# double-click time) shows it again, maximised as before.
probe click >/dev/null
check "a click on the icon hides the main window" within 10 '! has "$(probe main)" "^found=1"'
sleep 1
shot tray
probe click >/dev/null
check "the next click shows it again" within 10 'has "$(probe main)" "^found=1"'
check "still maximised" test "$(value "$(probe main)" maximized)" = 1

probe send minimize >/dev/null
check "minimising hides the window to the tray" within 10 '! has "$(probe main)" "^found=1"'
sleep 1
probe click >/dev/null
check "a click on the icon brings it back" within 10 'has "$(probe main)" "^found=1"'

# The taskbar restarted: the icon is added again and still answers.
probe taskbarcreated >/dev/null
sleep 1
check "after the taskbar restarted the tray still shows" test "$(value "$(probe tray)" taskbar.visible)" = 1
shot tray-again

menu=$(probe menu)
echo "$menu"
check "a right click on the icon opens the tray menu" test "$(value "$menu" menu)" = 1
# Another process cannot read a menu's items: their number shows in its height.
full_menu=$(value "$menu" menu.rect | cut -d, -f4)
sleep 1
shot tray-menu

# A: the menu's About.
probe key 65 >/dev/null
check "About... opens the About dialog" within 10 'has "$(probe about)" "^about=1"'
about=$(probe about)
echo "$about"
shot about
check "the dialog is called About" test "$(value "$about" about.caption)" = About
check "its client area is 295 x 194" test "$(value "$about" about.client)" = 295x194
label() { grep "^label=$1|" <<<"$about" | head -n 1 | cut -d'|' -f2-; }
centred() {  # centred <left|width>: the label's middle is the dialog's, give or take a pixel
  local left=${1%|*} width=${1#*|}
  [ -n "$1" ] && [ $((2 * left + width - 295)) -ge -2 ] && [ $((2 * left + width - 295)) -le 2 ]
}
check "the title is the configured one, centred" centred "$(label "Window Check")"
check "the version line reads Version 7.80, centred" centred "$(label "Version 7.80")"
check "the copyright line is centred" centred "$(label "Copyright © 2010 .*")"
check "the links are there" has "$about" "^label=Our Site:"
check "OK is its button" has "$about" "^button=OK"
check "Return closes it" test "$(value "$(probe close-about)" about)" = 0

check "the tray menu opens again after the dialog" within 30 'test "$(value "$(probe menu)" menu)" = 1'
# X: the menu's Exit.
after=$(probe key 88)
check "the menu closes on its Exit key" test "$(value "$after" menu)" = 0
# Wine shows a program's path in its command line with backslashes.
tag=$(basename "$work")
check "Exit ends the launcher and its servers" within 60 '[ -z "$(pgrep -f "$tag")" ]'


# Log-off: the window agrees, and the launcher ends with its servers.
"$wine_run" "$tree/lodestack.exe" &
started 60
check "the window agrees to the end of the session" \
  test "$(value "$(probe send queryendsession)" answer)" = 1
check "the end of the session ends the launcher and its servers" within 60 '[ -z "$(pgrep -f "$tag")" ]'

# Log-off while the box of a server that ended asks "Restart it?": nobody
# clicks, the box closes and the launcher ends with its servers.
"$wine_run" "$tree/lodestack.exe" &
started 60
pkill -9 -f "$tag.*mysqld"
check "a database server that ended is told in a box" within 10 'has "$(probe messagebox)" "^messagebox=1"'
shot restart-box
probe send queryendsession >/dev/null
check "the end of the session closes the box at once" within 2 'has "$(probe messagebox)" "^messagebox=0"'
check "and ends the launcher and its servers" within 60 '[ -z "$(pgrep -f "$tag")" ]'

# The medium is removed: the program file is gone when a device changes.
"$wine_run" "$tree/lodestack.exe" &
started 60
mv "$tree/lodestack.exe" "$tree/away.exe"
probe send devicechange >/dev/null
check "a removed medium ends the launcher and its servers" within 60 '[ -z "$(pgrep -f "$tag")" ]'

# A system without the WebBrowser control (its library switched off): the
# window opens all the same, without page content and without the
# control's command states.
mv "$tree/away.exe" "$tree/lodestack.exe"
WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml,ieframe,shdocvw=;winemenubuilder.exe=d" \
  wine "$tree/lodestack.exe" >/dev/null 2>&1 &
started 60
bare=$(probe main)
shot without-control
check "without the control the window opens maximised" test "$(value "$bare" maximized)" = 1
check "with the home address" has "$(value "$bare" address.text)" '^http://127\.0\.0\.1:[0-9][0-9]*$'
check "and Back as the form declares it" test "$(value "$bare" button.0)" = "Back|enabled|shown"
probe send queryendsession >/dev/null
check "and ends as usual" within 60 '[ -z "$(pgrep -f "$tag")" ]'

# A branded copy in full screen: the whole screen without border or bars,
# five buttons, and a tray menu of Show/Hide, a separator and Exit.
printf '[INI]\r\ntitle=Branded\r\nport=18460\r\nip=127.0.0.1\r\nfullscreen=1\r\nbrand=1\r\n' >"$work/Brand.ini"
"$wine_run" "$program" /config "$(winpath "$tree/lodestack.exe")" "$(winpath "$work/Brand.ini")"
"$wine_run" "$tree/lodestack.exe" &
started 60
full=$(probe main)
shot full-screen
check "full screen covers the whole screen" test "$(value "$full" window)" = 0,0,1280,800
check "without the bars" test "$(value "$full" rebar.visible)/$(value "$full" statusbar.visible)" = 0/0
check "a branded copy keeps Back to Home" test "$(value "$full" button.4)" = "Home|enabled|shown"
check "and hides Favorites and Rebrand" \
  test "$(value "$full" button.5)/$(value "$full" button.6)" = "Favorites|enabled|hidden/Rebrand|enabled|hidden"
branded=$(probe menu)
shot branded-tray-menu
branded_menu=$(value "$branded" menu.rect | cut -d, -f4)
check "its tray menu is short: Show/Hide, a separator and Exit" \
  test -n "$branded_menu" -a "$((branded_menu * 3))" -lt "$full_menu"
probe key 27 >/dev/null
probe send queryendsession >/dev/null
check "and it ends as usual" within 60 '[ -z "$(pgrep -f "$tag")" ]'

# A port that is no number fails the start-up with its error, after the
# database server has started; once read, the run ends with nothing left.
printf '[INI]\r\ntitle=Bad Port\r\nport=eighty\r\nip=127.0.0.1\r\nfullscreen=0\r\nbrand=0\r\n' >"$work/Bad.ini"
"$wine_run" "$program" /config "$(winpath "$tree/lodestack.exe")" "$(winpath "$work/Bad.ini")"
"$wine_run" "$tree/lodestack.exe" &
within 60 'has "$(probe messagebox)" "^messagebox=1"' 
shot bad-port
check "the error is the conversion's" has "$(probe messagebox answer)" "'eighty' is not a valid integer value"
check "once it is read the run ends" within 60 '[ -z "$(pgrep -f "$tag")" ]'
check "and no window opened" test "$(value "$(probe main)" found)" != 1

echo "screenshots in $shots"
echo "$failures failed"
[ "$failures" -eq 0 ]
