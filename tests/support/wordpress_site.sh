#!/usr/bin/env bash
# Puts WordPress (the files of Debian's wordpress package) into a running
# stack's www, with a wp-config.php of its own for the stack's database,
# creates the database with the tree's own client, installs the site and
# adds POSTS posts.
#   wordpress_site.sh TREE PORT [POSTS]
# The site's administrator: "admin", password "lodestack-check", admin@example.org.
set -uo pipefail
tree="$1" port="$2" posts="${3:-0}"
site="http://127.0.0.1:$port"
die() { echo "wordpress_site: $*" >&2; exit 1; }
[ -f /usr/share/wordpress/wp-login.php ] || die "Debian's wordpress package is missing (tools/install-deps linux)"
[ -x "$tree/lodestack" ] || die "no program file in $tree"

# Debian links a few of its files to the machine's own (/etc/wordpress, its
# shared JavaScript): the site gets copies, and its own configuration.
cp -rL /usr/share/wordpress/. "$tree/www/" 2>/dev/null
rm -f "$tree/www/.htaccess" "$tree/www/index.html"
[ -f "$tree/www/wp-login.php" ] || die "the files did not reach $tree/www"
salt() { head -c 48 /dev/urandom | base64 | tr -d '/+=\n'; }
{
  echo '<?php'
  echo '// This site: the stack database as root, over the stack socket.'
  echo "define('DB_NAME', 'wordpress');"
  echo "define('DB_USER', 'root');"
  echo "define('DB_PASSWORD', '');"
  echo "define('DB_HOST', 'localhost');"
  echo "define('DB_CHARSET', 'utf8mb4');"
  echo "define('DB_COLLATE', '');"
  for key in AUTH_KEY SECURE_AUTH_KEY LOGGED_IN_KEY NONCE_KEY AUTH_SALT SECURE_AUTH_SALT LOGGED_IN_SALT NONCE_SALT; do
    echo "define('$key', '$(salt)');"
  done
  echo '// Nothing from the network, and no requests of its own to itself.'
  echo "define('WP_HTTP_BLOCK_EXTERNAL', true);"
  echo "define('DISABLE_WP_CRON', true);"
  echo "define('AUTOMATIC_UPDATER_DISABLED', true);"
  echo "\$table_prefix = 'wp_';"
  echo "defined('ABSPATH') || define('ABSPATH', __DIR__ . '/');"
  echo "require_once ABSPATH . 'wp-settings.php';"
} >"$tree/www/wp-config.php"

# The launcher does not wait for the database server: the client is tried until it answers.
created=""
for _ in $(seq 60); do
  if "$tree/lodestack" mysql -e 'CREATE DATABASE IF NOT EXISTS wordpress CHARACTER SET utf8mb4' 2>/dev/null; then
    created=yes
    break
  fi
  sleep 1
done
[ -n "$created" ] || die "the stack database did not take the new database: $("$tree/lodestack" mysql -e 'select 1' 2>&1)"

status=$(curl -s -o "$tree/install.html" -w '%{http_code}' "$site/wp-admin/install.php?step=2" \
  --data-urlencode 'weblog_title=Lodestack Check' --data-urlencode 'user_name=admin' \
  --data-urlencode 'admin_password=lodestack-check' --data-urlencode 'admin_password2=lodestack-check' \
  --data-urlencode 'pw_weak=1' --data-urlencode 'admin_email=admin@example.org' --data-urlencode 'blog_public=0')
[ "$status" = 200 ] && grep -q 'Success!' "$tree/install.html" ||
  die "the install page answered $status: $(sed -e 's/<[^>]*>//g' "$tree/install.html" | grep -v '^\s*$' | head -n 5)"
rm -f "$tree/install.html"

if [ "$posts" -gt 0 ]; then
  (cd "$tree/www" && ../lodestack php -r '
    $_SERVER["HTTP_HOST"] = "127.0.0.1:" . $argv[2];
    require "wp-load.php";
    for ($i = 1; $i <= (int) $argv[1]; $i++) {
      wp_insert_post(["post_title" => "Post $i", "post_content" => "The text of post $i.", "post_status" => "publish"], true)
        or exit(1);
    }' -- "$posts" "$port") || die "the posts could not be added"
fi
echo "WordPress is at $site/ (admin / lodestack-check)"
