# Shared by the Windows window tests that run the program under Wine on a
# virtual screen; sourced, not run, once WINEPREFIX names the test's own
# prefix (its Wine server and desktop keep the display of the program that
# started them). Needs $build; sets $shots and $work, and ends the prefix's
# Wine server, which ends every program of the test and only those, on exit.
shots=${LODESTACK_SHOTS:-$build/shots}
mkdir -p "$shots"
work=$(mktemp -d)
cleanup() {
  wineserver -k 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
source "$(dirname "${BASH_SOURCE[0]}")/../../support/wine_check.sh"
value() { sed -n "s/^$2=//p" <<<"$1" | tr -d '\r' | head -n 1; }
# standin_tree <folder>: the program at the folder's root, the stand-ins as
# its servers ($program, $httpd and $mysqld name them).
standin_tree() {
  mkdir -p "$1/bin/Apache" "$1/bin/mysql/bin" "$1/bin/php" "$1/data" "$1/www"
  cp "$program" "$1/lodestack.exe"
  cp "$httpd" "$1/bin/Apache/Apache.exe"
  cp "$mysqld" "$1/bin/mysql/bin/mysqld.exe"
  printf '[PHP]\r\n' >"$1/bin/php/php.ini"
}
probe() { "$wine_run" "$probe" "$@" 2>/dev/null | tr -d '\r'; }
shot() { import -window root "$shots/$1.png"; }
# started <seconds>: waits for the end of the start-up, which is over once the
# address box holds the home address: the window shows from its first step,
# but answers messages only between steps.
started() {
  within "$1" 'has "$(value "$(probe main)" address.text)" "^http://127\.0\.0\.1:"'
}

# A Wine desktop of the screen's size, as Windows has one: it places,
# maximises and frames the windows itself (Xvfb has no window manager) and
# has a taskbar with the notification area.
"$wine_run" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /t REG_SZ /d Default /f >/dev/null
"$wine_run" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /t REG_SZ /d 1280x800 /f >/dev/null
wineserver -k 2>/dev/null || true
wineserver -w
