#!/usr/bin/env bash
# tools/make-stack: builds the folder tree twice into a temporary folder and
# checks it. The layout and the php.ini template; the favorites; that a second
# run keeps what is there (databases, edited pages, phpMyAdmin's secret); and
# that the servers start from the tree the way the launcher starts them.
# The first run installs the Debian packages when they are missing.
set -uo pipefail

repo="$(cd "$(dirname "$0")/../.." && pwd)"
make_stack="$repo/tools/make-stack"

have_packages() {
  [ "$(dpkg-query -W -f='${db:Status-Abbrev}\n' apache2 libapache2-mod-php8.2 mariadb-server 2>/dev/null |
       grep -c '^ii')" -eq 3 ]
}
if [ "$(id -u)" -ne 0 ] && ! sudo -n true 2>/dev/null && ! have_packages; then
  source "$repo/tests/support/check.sh"
  skip "the packages are missing and there is no root to install them"
fi

work="$(mktemp -d)"
# The web server's children run as nobody when the test runs as root, and
# must reach the tree.
chmod 755 "$work"
# A folder name with a blank, as users have them.
dest="$work/my stack"
pids=()
cleanup() {
  local p
  for p in "${pids[@]}"; do kill -TERM "$p" 2>/dev/null; done
  for p in "${pids[@]}"; do
    for _ in $(seq 1 100); do kill -0 "$p" 2>/dev/null || break; sleep 0.1; done
    kill -KILL "$p" 2>/dev/null
  done
  rm -rf "$work"
}
trap cleanup EXIT

passed=0
failed=0
check() {
  local what="$1"
  shift
  if "$@"; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "FAIL: $what"
  fi
}
contains() { grep -q -- "$2" "$1"; }
finish() {
  echo "make_stack: $passed passed, $failed failed"
  [ "$failed" -eq 0 ]
  exit
}

# A stand-in for the program file.
program="$work/lodestack-build"
printf '#!/bin/sh\necho stand-in\n' >"$program"

# --- first run ---------------------------------------------------------------
if ! "$make_stack" --program "$program" "$dest" >"$work/run1.log" 2>&1; then
  cat "$work/run1.log"
  check "first run succeeds" false
  finish
fi
check "first run succeeds" true

for f in lodestack \
         bin/Apache/Apache bin/Apache/mime.types \
         bin/Apache/mod_mpm_prefork.so bin/Apache/mod_authz_core.so bin/Apache/mod_mime.so \
         bin/Apache/mod_dir.so bin/Apache/mod_rewrite.so \
         bin/php/libphp.so bin/php/php.ini \
         bin/php/ext/mysqlnd.so bin/php/ext/mysqli.so bin/php/ext/pdo_mysql.so \
         bin/php/ext/gd.so bin/php/ext/mbstring.so bin/php/ext/curl.so bin/php/ext/sqlite3.so \
         bin/php/ext/sockets.so bin/php/ext/exif.so \
         bin/mysql/bin/mysqld bin/mysql/share/english/errmsg.sys \
         bin/Favorites.ini bin/pages/local.php \
         www/index.php www/help/index.php \
         www/phpmyadmin/index.php www/phpmyadmin/config.inc.php; do
  check "$f exists" test -f "$dest/$f"
done
check "the program file is the one given" cmp -s "$program" "$dest/lodestack"
check "the program file is executable" test -x "$dest/lodestack"
check "Apache is executable" test -x "$dest/bin/Apache/Apache"
check "mysqld is executable" test -x "$dest/bin/mysql/bin/mysqld"
check "the data folder is initialised" test -d "$dest/data/mysql"
check "the data folder has no InnoDB files" test ! -e "$dest/data/ibdata1"

ini="$dest/bin/php/php.ini"
check "php.ini has an extension line for every extension" \
  test "$(grep -c '^\(zend_\)\?extension=' "$ini")" -eq "$(ls "$dest/bin/php/ext" | grep -c '\.so$')"
check "php.ini loads mysqli" contains "$ini" '^extension=mysqli$'
check "php.ini loads opcache as a Zend extension" contains "$ini" '^zend_extension=opcache$'
line_of() { grep -n "^$2\$" "$1" | head -n 1 | cut -d: -f1; }
check "mysqlnd loads before mysqli" test "$(line_of "$ini" extension=mysqlnd)" -lt "$(line_of "$ini" extension=mysqli)"
check "pdo loads before pdo_mysql" test "$(line_of "$ini" extension=pdo)" -lt "$(line_of "$ini" extension=pdo_mysql)"
check "the extension lines are in section PHP" \
  test "$(line_of "$ini" extension=mysqli)" -lt "$(grep -n '^\[' "$ini" | sed -n 2p | cut -d: -f1)"

# The libraries the tree carries, and how its programs find them.
lib="$dest/bin/lib"
check "the library folder holds the servers' libraries" test -f "$lib/libaprutil-1.so.0" -a -f "$lib/libicuuc.so.72"
check "but none of glibc's" test -z "$(ls "$lib" | grep -E '^(libc|libm|libresolv|libpthread|libdl|librt|ld-linux.*|libnss_.*)\.so')"
runpath() { patchelf --print-rpath "$dest/$1"; }
check "Apache finds them" test "$(runpath bin/Apache/Apache)" = '$ORIGIN/../lib'
check "an extension finds them" test "$(runpath bin/php/ext/gd.so)" = '$ORIGIN/../../lib'
check "a library finds its neighbours" test "$(runpath bin/lib/libgd.so.3)" = '$ORIGIN'
check "the database server finds them" test "$(runpath bin/mysql/bin/mysqld)" = '$ORIGIN/../../lib'
check "the tree names the glibc it needs" grep -qx '2\.[0-9]*' "$lib/glibc-floor"
check "PHP has the certificate authorities" test -s "$dest/bin/php/cacert.pem"
check "php.ini names them" contains "$ini" '^curl.cainfo = "cacert.pem"$'
check "php.ini keeps sessions off the machine's own folder" contains "$ini" '^session.save_path = ""$'

fav="$dest/bin/Favorites.ini"
section_of() { # FILE KEY: the section that holds KEY
  awk -v key="$2" '/^\[/ { s = $0 } index($0, key "=") == 1 { print s; exit }' "$1"
}
check "Favorites.ini: MySQL data directory in DIRS" test "$(section_of "$fav" 'MySQL data directory')" = "[DIRS]"
check "Favorites.ini: phpMyAdmin in URLS" test "$(section_of "$fav" phpMyAdmin)" = "[URLS]"
check "Favorites.ini: phpMyAdmin's address" contains "$fav" '^phpMyAdmin=http://{LOCALHOST:PORT}/phpmyadmin/$'

pma_conf="$dest/www/phpmyadmin/config.inc.php"
secret="$(sed -n "s/^\$cfg\['blowfish_secret'\] = '\(.*\)';/\1/p" "$pma_conf")"
check "phpMyAdmin has a 32-character secret" test "${#secret}" -eq 32
check "phpMyAdmin reads the port from PHP" contains "$pma_conf" "ini_get('mysqli.default_port')"
check "phpMyAdmin's libraries are in the copy" test -f "$dest/www/phpmyadmin/vendor/Twig/autoload.php"
check "phpMyAdmin's copy holds no symbolic links" test -z "$(find "$dest/www/phpmyadmin" -type l | head -n 1)"

# --- second run ----------------------------------------------------------------
libraries=$(ls "$lib" | wc -l)
touch "$lib/libstale.so.1"
mkdir -p "$dest/data/marker_db"
echo kept >"$dest/data/marker_db/marker.txt"
echo '<?php echo "mine";' >"$dest/www/index.php"
echo '[DIRS]' >"$dest/bin/Favorites.ini"
touch "$dest/data/mysql/marker.txt"
start=$SECONDS
if ! "$make_stack" --program "$program" "$dest" >"$work/run2.log" 2>&1; then
  cat "$work/run2.log"
  check "second run succeeds" false
  finish
fi
check "second run succeeds" true
check "second run is quick" test $((SECONDS - start)) -lt 120
check "second run keeps a database" test -f "$dest/data/marker_db/marker.txt"
check "second run keeps the system tables" test -f "$dest/data/mysql/marker.txt"
check "second run keeps the start page" contains "$dest/www/index.php" mine
check "second run keeps Favorites.ini" test "$(cat "$dest/bin/Favorites.ini")" = "[DIRS]"
check "second run keeps phpMyAdmin's secret" contains "$pma_conf" "'$secret'"
check "second run keeps the libraries' paths" test "$(runpath bin/php/ext/gd.so)" = '$ORIGIN/../../lib'
check "and no other library" test "$(ls "$lib" | wc -l)" -eq "$libraries"
rm -f "$dest/data/mysql/marker.txt"
cp "$repo/tools/stack/index.php" "$dest/www/index.php"

check "a missing --program file is an error" \
  bash -c '! "$1" --program "$2/none" "$3" >/dev/null 2>&1' _ "$make_stack" "$work" "$dest"

# --- the servers, started as the launcher starts them -----------------------------
free_port() {
  python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}
http_get() { # PORT PATH
  exec 3<>"/dev/tcp/127.0.0.1/$1" || return 1
  printf 'GET %s HTTP/1.0\r\nHost: 127.0.0.1:%s\r\n\r\n' "$2" "$1" >&3
  cat <&3
  exec 3<&-
}
run_dir="$work/run"
mkdir -p "$run_dir"
db_port="$(free_port)"
cat >"$run_dir/my.ini" <<INI
[mysqld]
basedir="$dest/bin/mysql"
datadir="$dest/data"
bind-address=127.0.0.1
port=$db_port
socket="$run_dir/mysql.sock"
default-storage-engine=Aria
INI
(cd / && exec setsid "$dest/bin/mysql/bin/mysqld" "--defaults-file=$run_dir/my.ini" "--port=$db_port" \
   "--skip-innodb" "--language=$dest/bin/mysql/share/english" "--user=root" >"$run_dir/mysqld.log" 2>&1) &
pids+=($!)
db_up=false
for _ in $(seq 1 150); do
  if mariadb -h 127.0.0.1 -P "$db_port" -u root -e 'SELECT 1' >/dev/null 2>&1; then db_up=true; break; fi
  sleep 0.2
done
check "the database server starts without InnoDB and root has no password" $db_up
$db_up || cat "$run_dir/mysqld.log"
check "the database lists the kept database" \
  bash -c 'mariadb -h 127.0.0.1 -P "$1" -u root -N -e "SHOW DATABASES" | grep -qx marker_db' _ "$db_port"

web_port="$(free_port)"
{
  # What the launcher's httpd.conf and php.ini hold, with Linux values.
  echo "ServerRoot \"$dest/bin/Apache\""
  echo "DefaultRuntimeDir \"$run_dir\""
  echo "LoadModule mpm_prefork_module mod_mpm_prefork.so"
  echo "LoadModule authz_core_module mod_authz_core.so"
  echo "LoadModule mime_module mod_mime.so"
  echo "LoadModule dir_module mod_dir.so"
  echo "LoadModule setenvif_module mod_setenvif.so"
  [ "$(id -u)" -eq 0 ] && printf 'User nobody\nGroup nogroup\n'
  # Requests from this computer see the database and its tools; the pages
  # check the name they were asked by against the run's port.
  echo 'SetEnvIf Remote_Addr "^(127\.|::1$|::ffff:127\.)" LODESTACK_LOCAL_CLIENT=1'
  echo "SetEnvIf Remote_Addr ^ LODESTACK_HTTP_PORT=$web_port"
  echo "<Directory \"$dest/www/phpmyadmin\">"
  echo "Require env LODESTACK_LOCAL_CLIENT"
  echo "</Directory>"
  echo "PidFile \"$run_dir/httpd.pid\""
  echo "ErrorLog \"$run_dir/error.log\""
  echo "Listen 127.0.0.1:$web_port"
  echo "ServerName 127.0.0.1"
  echo "DocumentRoot \"$dest/www\""
  echo "DirectoryIndex index.php index.html index.htm index.php5 index.php4 index.php3 defult.htm default.html"
  echo "TypesConfig mime.types"
  echo "UseCanonicalName Off"
  echo "LoadModule php_module \"$dest/bin/php/libphp.so\""
  echo "AddType application/x-httpd-php .php"
  echo "LoadModule rewrite_module mod_rewrite.so"
} >"$run_dir/httpd.conf"
awk -v ext="$dest/bin/php/ext" -v port="$db_port" -v pages="$dest/bin/pages" '
  { print }
  /^\[PHP\]$/ { print "extension_dir=\"" ext "\"" }
  /^\[MySQLi\]$/ { print "mysqli.default_port=" port }
  END { print "[Lodestack]"; print "lodestack.pages=\"" pages "\"" }
' "$ini" | grep -v '^mysqli.default_port = ' >"$run_dir/php.ini"
# Debian's PHP also reads the machine's conf.d folder unless told otherwise.
(cd / && PHPRC="$run_dir" PHP_INI_SCAN_DIR= exec setsid "$dest/bin/Apache/Apache" \
   -f "$run_dir/httpd.conf" -DFOREGROUND >"$run_dir/apache.log" 2>&1) &
pids+=($!)
page=""
for _ in $(seq 1 100); do
  page="$(http_get "$web_port" / 2>/dev/null)" && [ -n "$page" ] && break
  sleep 0.2
done
check "the web server serves the start page" grep -q 'PHP version' <<<"$page"
check "the start page reached the database on its port" grep -q "The database answered on 127.0.0.1:$db_port" <<<"$page"
check "the start page shows the server version" grep -q 'MariaDB' <<<"$page"
help_page="$(http_get "$web_port" /help/ 2>/dev/null)"
check "the help page is served" grep -q 'The tray menu' <<<"$help_page"
pma_page="$(http_get "$web_port" /phpmyadmin/ 2>/dev/null)"
check "phpMyAdmin logs in to the database" grep -q "<title>127.0.0.1:$web_port / 127.0.0.1 | phpMyAdmin" <<<"$pma_page"
if [ "$failed" -ne 0 ]; then
  echo "--- error.log"; cat "$run_dir/error.log" 2>/dev/null; cat "$run_dir/apache.log"
fi
check "PHP loads every extension once, without warnings" \
  bash -c '! grep -qi "warning\|unable to load" "$1/apache.log" "$1/error.log"' _ "$run_dir"

finish
