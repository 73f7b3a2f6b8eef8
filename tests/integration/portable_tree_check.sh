#!/usr/bin/env bash
# The Linux archive as a user downloads it, in a bare Debian 12 that has no
# server, GTK or WebKit package (mmdebstrap --variant=minbase): unpacked into
# a folder whose name has blanks and non-ASCII letters, and started there
# under bwrap as a terminal program. ldd finds every library of the tree but
# the desktop module's; PHP loads every extension of the tree, reaches the
# database as localhost and uses intl and gd; phpMyAdmin answers; SIGTERM
# ends everything with status 0. The stack's command line (php, mysql,
# mysqldump, composer, shell) works from a project folder. Then Down Size
# removes GD: the AV1 and HEIF codecs only GD needed go, everything still
# needed stays, and the stack starts again; Down Size of MySQL takes the
# client and dump, which then say so. A tree that needs a newer C library
# refuses to start.
#   portable_tree_check.sh PROGRAM CACHE
# PROGRAM is the built program file (its lodestack-gtk.so beside it); the
# bare Debian is built once and kept in CACHE (build/).
# (exit code 77: skipped for want of a tool; in CI that fails instead)
set -uo pipefail
program=$(realpath "$1") cache=$2
repo=$(cd "$(dirname "$0")/../.." && pwd)

source "$repo/tests/support/check.sh"
need mmdebstrap bwrap curl python3
[ "$(id -u)" -eq 0 ] || skip "building and entering a bare Debian needs root"

# --- the bare Debian, built once --------------------------------------------------
root=$cache/bookworm-root
mkdir -p "$cache"
exec 9>"$cache/bookworm-root.lock"
flock 9
if [ ! -x "$root/usr/bin/ldd" ]; then
  echo "building a bare Debian 12 in $root (once)"
  rm -rf "$root.part"
  started=$SECONDS
  # The archive is on the network: a download that breaks off is tried again.
  for attempt in 1 2 3; do
    mmdebstrap --variant=minbase --quiet bookworm "$root.part" http://deb.debian.org/debian </dev/null && break
    rm -rf "$root.part"
    echo "mmdebstrap failed (attempt $attempt of 3)" >&2
    sleep 10
  done
  [ -d "$root.part" ] && mv "$root.part" "$root" || { rm -rf "$root.part"; echo "FAILED: mmdebstrap" >&2; exit 1; }
  echo "built in $((SECONDS - started)) s"
fi
flock -u 9

work=$(mktemp -d)
chmod 755 "$work"
cleanup() {
  local pid
  for pid in $(tree_processes); do kill -9 "$pid" 2>/dev/null; done
  rm -rf "$work"
}
trap cleanup EXIT

# --- the archive ---------------------------------------------------------------------
echo "== the archive"
if ! "$repo/tools/package" --linux --program "$program" --out "$work/packages" >"$work/package.log" 2>&1; then
  cat "$work/package.log"
  check "tools/package makes the Linux archive" false
  exit 1
fi
archive=$(ls "$work"/packages/lodestack-*-linux-x86_64.tar.gz)
top=$(basename "$archive" .tar.gz)
check "the archive holds one folder" test "$(tar -tzf "$archive" | cut -d/ -f1 | sort -u)" = "$top"
mkdir -p "$work/srv"
mv "$archive" "$work/srv/"
rm -rf "$work/packages"

# The folder the user unpacks into, as the bare Debian sees it and as this machine does.
folder="Gäste Ordner mit Lücken"
tree="/srv/$folder/$top"
here="$work/srv/$folder/$top"
# The bare Debian, with /srv and /tmp of its own; every program started in it
# shares that /tmp, as on a real machine, where the stack's command line finds
# the running stack's work folder. The network is this machine's, so curl
# here reaches the servers there.
mkdir -p "$work/tmp"
chmod 1777 "$work/tmp"
bare=(bwrap --ro-bind "$root" / --proc /proc --dev /dev --bind "$work/tmp" /tmp --bind "$work/srv" /srv
  --die-with-parent --clearenv --setenv PATH /usr/sbin:/usr/bin:/sbin:/bin --setenv HOME /root
  --setenv LANG C.UTF-8 --setenv TERM xterm)
in_root() { "${bare[@]}" --chdir / "$@"; }
# Runs a command in a pseudo-terminal of its own, its output in the log.
in_terminal() {  # in_terminal <log> <command...>
  python3 - "$@" <<'PY'
import os, pty, sys
log = open(sys.argv[1], "wb")
pid, fd = pty.fork()
if pid == 0:
    os.execvp(sys.argv[2], sys.argv[2:])
while True:
    try:
        data = os.read(fd, 4096)
    except OSError:
        break
    if not data:
        break
    log.write(data)
    log.flush()
sys.exit(os.waitstatus_to_exitcode(os.waitpid(pid, 0)[1]))
PY
}
# The processes that run a file of the tree.
tree_processes() {
  local p
  for p in /proc/[0-9]*; do
    { tr '\0' '\n' <"$p/cmdline"; } 2>/dev/null | head -n 1 | grep -qF "$tree/" && echo "${p#/proc/}"
  done
}
# The ELF files of the tree that ldd cannot complete, one "file: library" a line,
# and every bundled library ldd found ("uses: library"), in the bare Debian.
ldd_report() {
  in_root bash -c '
    cd "$1" || exit 1
    find . -type f \( -name "*.so*" -o -perm -u+x \) -print0 | while IFS= read -r -d "" f; do
      ldd "$f" 2>/dev/null | while IFS= read -r line; do
        # A library found through a RUNPATH shows as ".../bin/Apache/../lib/libx.so.1".
        case "$line" in
          *" => not found"*) name=${line%% =>*}; echo "$f: ${name//[[:space:]]/}" ;;
          *" => $1/"*"/lib/"*) path=${line#*" => "}; path=${path%% (0x*}; echo "uses: ${path##*/}" ;;
        esac
      done
    done | LC_ALL=C sort -u' _ "$tree"
}
check_libraries() {  # check_libraries <when>
  local report missing used bundled
  report=$(ldd_report)
  missing=$(grep -v '^uses: ' <<<"$report")
  check "$1: ldd finds every library of the tree" test -z "$(grep -Ev '^\./bin/desktop/lodestack-(gtk|splash)\.so: ' <<<"$missing")" ||
    grep -v '^\./bin/desktop/' <<<"$missing" | head -n 20 >&2
  check "$1: but the desktop module's (GTK, WebKitGTK)" grep -q '^\./bin/desktop/lodestack-gtk\.so: libgtk-3\.so\.0$' <<<"$missing"
  check "$1: and the splash module's (GTK alone)" grep -q '^\./bin/desktop/lodestack-splash\.so: libgtk-3\.so\.0$' <<<"$missing"
  bundled=$(ls "$here/bin/lib" | grep '\.so' | LC_ALL=C sort)
  # The desktop modules take their libraries from the system, but what
  # they name counts as needed too.
  used=$({ sed -n 's/^uses: //p' <<<"$report"
           sed -En 's/^\.\/bin\/desktop\/lodestack-(gtk|splash)\.so: //p' <<<"$missing" | grep -Fx -f <(echo "$bundled"); } |
         LC_ALL=C sort -u)
  check "$1: every bundled library is needed ($(wc -l <<<"$bundled") of them)" test "$used" = "$bundled" ||
    diff <(echo "$bundled") <(echo "$used") | head -n 10 >&2
}

echo "== unpacked in the bare Debian"
in_root mkdir -p "/srv/$folder"
in_root tar -xzf "/srv/$top.tar.gz" -C "/srv/$folder"
check "the archive unpacks into a folder with blanks and umlauts" test -x "$here/lodestack" || exit 1
check "the bare Debian has no GTK, WebKit, Apache, PHP or MariaDB" \
  test -z "$(ls "$root"/usr/lib/x86_64-linux-gnu | grep -E '^lib(gtk-3|webkit2gtk|apr-1|php|mariadb)')"
check_libraries "unpacked"

# The port the stack asks for first; it takes the next free one when taken.
cp "$here/lodestack" "$work/patcher"
printf '[INI]\r\nfullscreen=0\r\ntitle=Portable\r\nport=18640\r\nip=127.0.0.1\r\ncopyfilestoharddisk=0\r\nbrand=0' >"$work/srv/new.ini"
"$work/patcher" /config "$here/lodestack" "$work/srv/new.ini"
cat >"$here/www/check.php" <<'PHP'
<?php
header('Content-Type: text/plain');
$files = glob(ini_get('extension_dir') . '/*.so');
$missing = [];
foreach ($files as $file) {
    $name = basename($file, '.so');
    if (!extension_loaded($name === 'opcache' ? 'Zend OPcache' : $name)) $missing[] = $name;
}
echo 'extensions: ', count($files), ' missing: ', $missing ? implode(' ', $missing) : 'none', "\n";
mysqli_report(MYSQLI_REPORT_OFF);
$db = @new mysqli('localhost', 'root', '');
echo 'database: ', $db->connect_errno ? $db->connect_error : $db->query('SELECT VERSION()')->fetch_row()[0], "\n";
echo 'intl: ', (new NumberFormatter('de_DE', NumberFormatter::DECIMAL))->format(1234.5), ' ',
    Normalizer::normalize("A\u{030A}") === "\u{00C5}" ? 'normalised' : 'not normalised', "\n";
if (function_exists('imagecreatetruecolor')) {
    $image = imagecreatetruecolor(3, 2);
    imagefill($image, 0, 0, imagecolorallocate($image, 0x12, 0x34, 0x56));
    ob_start();
    imagepng($image);
    $back = imagecreatefromstring(ob_get_clean());
    echo 'gd: ', sprintf('%06x', imagecolorat($back, 2, 1)), "\n";
} else {
    echo "gd: none\n";
}
$bundle = realpath(ini_get('curl.cainfo'));
echo 'certificates: ', $bundle && str_starts_with($bundle, dirname(__DIR__) . '/bin/') ? 'in the tree' : 'missing', "\n";
PHP

# Starts the tree's program in the bare Debian as a terminal program, with
# these arguments; its output in $work/out, its id in $launcher.
start() {
  : >"$work/out"
  in_terminal "$work/out" "${bare[@]}" --info-fd 3 --chdir "$tree" ./lodestack "$@" 3>"$work/info" &
  terminal=$!
  within 10 'grep -q child-pid "$work/info"'
  launcher=$(sed -n 's/.*"child-pid": *\([0-9]*\).*/\1/p' "$work/info")
}
address() { sed -n 's/.*is running at \(http:[^[:space:]]*\).*/\1/p' "$work/out" | tail -n 1; }
ended() {  # ended <seconds>: the terminal program ended; its status in $code
  within "$1" '! kill -0 "$terminal" 2>/dev/null' || return 1
  wait "$terminal"
  code=$?
}

echo "== served from the terminal"
start
check "it says where it runs" within 60 'test -n "$(address)"'
url=$(address)
page=$(curl -s "$url/check.php")
echo "$page"
check "PHP loads every extension of the tree" grep -qE '^extensions: [0-9]{2,} missing: none$' <<<"$page"
check "PHP reaches the database as localhost" grep -q '^database: .*MariaDB' <<<"$page"
check "intl formats and normalises" grep -qx 'intl: 1\.234,5 normalised' <<<"$page"
check "gd draws and reads back a PNG" grep -qx 'gd: 123456' <<<"$page"
check "curl's certificate authorities are the tree's" grep -qx 'certificates: in the tree' <<<"$page"
pma_code=$(curl -s -o "$work/pma.html" -w '%{http_code}' "$url/phpmyadmin/")
check "phpMyAdmin answers 200 ($pma_code)" test "$pma_code" = 200
check "and is logged in to the database" grep -q '<title>[^<]* / [^<]* | phpMyAdmin' "$work/pma.html"

echo "== the stack's command line, from a project folder of the user's"
mkdir -p "$work/srv/lib/src" "$work/srv/project"
echo '{"name":"demo/greet","version":"1.0.0","autoload":{"psr-4":{"Demo\\":"src/"}}}' >"$work/srv/lib/composer.json"
echo '<?php namespace Demo; class Greet { static function hi() { return "greetings"; } }' >"$work/srv/lib/src/Greet.php"
echo '{"repositories":[{"type":"path","url":"../lib"}],"require":{"demo/greet":"*"}}' >"$work/srv/project/composer.json"
command_run() {  # command_run <word> <args...>: its output in $work/cmd, its status in $code
  code=0
  in_terminal "$work/cmd" "${bare[@]}" --chdir /srv/project "$tree/lodestack" "$@" || code=$?
}
command_run php -r 'echo (new mysqli("localhost","root",""))->query("select @@datadir")->fetch_row()[0];'
check "php reaches the tree's database" grep -qF "$tree/data/" "$work/cmd"
command_run php -r 'exit(3);'
check "and ends with the script's status" test "$code" = 3
command_run mysql -N -e 'select @@datadir'
check "the client names the tree's data folder" grep -qF "$tree/data/" "$work/cmd"
command_run mysqldump --all-databases
check "the dump program dumps" grep -q -- '-- MariaDB dump' "$work/cmd"
command_run composer install --no-interaction
check "Composer installs from a path repository" test "$code" = 0 || cat "$work/cmd"
command_run php -r 'require "vendor/autoload.php"; echo Demo\Greet::hi();'
check "and its autoloader works through php" grep -q greetings "$work/cmd"
code=0
in_terminal "$work/cmd" "${bare[@]}" --chdir /srv/project sh -c \
  "echo \"php -v; mysql -N -e 'select @@datadir'; exit 4\" | '$tree/lodestack' shell" || code=$?
check "the shell has the stack's php" grep -q '^PHP 8' "$work/cmd"
check "and its client, which names the tree's data folder" grep -qF "$tree/data/" "$work/cmd"
check "and ends with the shell's status" test "$code" = 4

kill -TERM "$launcher"
check "SIGTERM ends it" ended 30
check "with status 0" test "${code:-}" = 0
check "and every server" within 20 'test -z "$(tree_processes)"'

echo "== Down Size removes GD"
codecs() { ls "$here/bin/lib" | grep -E '^lib(heif|avif|aom|dav1d|rav1e|SvtAv1Enc|gav1|de265|x265|yuv)\.so'; }
before=$(ls "$here/bin/lib")
check "the tree has the AV1 and HEIF codecs GD needs ($(codecs | wc -l))" test "$(codecs | wc -l)" -ge 8
start downsize 0 0 0 0 -1 0 0 0 0 0 0 0 0 0 0 0
check "the worker starts the stack again" within 60 'test -n "$(address)"'
check "GD is gone" test ! -e "$here/bin/php/ext/gd.so"
check "the AV1 and HEIF codecs are gone" test -z "$(codecs)"
gone=$(comm -23 <(echo "$before") <(ls "$here/bin/lib"))
echo "removed with GD: $(echo $gone)"
check_libraries "after Down Size"
page=$(curl -s "$(address)/check.php")
check "the stack serves PHP with the rest" grep -qE '^extensions: [0-9]{2,} missing: none$' <<<"$page"
check "and its database" grep -q '^database: .*MariaDB' <<<"$page"
check "without GD" grep -qx "gd: none" <<<"$page"
launcher=$(for p in $(tree_processes); do
  [ "$({ tr '\0' ' ' <"/proc/$p/cmdline"; } 2>/dev/null)" = "$tree/lodestack " ] && echo "$p"; done | head -n 1)
check "the restarted launcher is found" test -n "$launcher"
[ -z "$launcher" ] || kill -TERM "$launcher"
check "SIGTERM ends it, and every server" within 30 'test -z "$(tree_processes)"'
ended 10

echo "== Down Size removes MySQL, with its client and dump"
start downsize -1 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0
check "the worker starts the stack again" within 60 'test -n "$(address)"'
check "the client and dump are gone" test ! -e "$here/bin/mysql/bin/mariadb" -a ! -e "$here/bin/mysql/bin/mariadb-dump"
check_libraries "after MySQL's Down Size"
launcher=$(for p in $(tree_processes); do
  [ "$({ tr '\0' ' ' <"/proc/$p/cmdline"; } 2>/dev/null)" = "$tree/lodestack " ] && echo "$p"; done | head -n 1)
[ -z "$launcher" ] || kill -TERM "$launcher"
check "SIGTERM ends it" within 30 'test -z "$(tree_processes)"'
ended 10
command_run mysql -e 'select 1'
check "the client ends with 127" test "$code" = 127
check "saying that MySQL is missing" grep -q 'MySQL is not in this copy' "$work/cmd"
command_run php -v
check "the stopped stack's php still runs" grep -q '^PHP 8' "$work/cmd"

echo "== a C library older than the tree needs"
find "$work/tmp" -mindepth 1 -delete
echo 99.0 >"$here/bin/lib/glibc-floor"
refusal=$(in_root bash -c 'cd "$1" && ./lodestack; echo "status $?"; ls /tmp' _ "$tree" 2>&1)
echo "$refusal"
check "it refuses in one line" test "$(head -n 1 <<<"$refusal")" = "lodestack: this system's C library is glibc 2.36; the stack needs glibc 99.0 or newer"
check "and ends with a non-zero status, having started nothing" test "$(sed -n 2,9p <<<"$refusal")" = "status 1"

[ "$failures" -eq 0 ]
