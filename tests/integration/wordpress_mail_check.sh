#!/usr/bin/env bash
# WordPress's "Lost your password?" on a stack of its own: the reset mail is
# kept in the mailbox, the mail page lists and opens it, and the link it
# carries opens WordPress's reset form.
#   wordpress_mail_check.sh PROGRAM SHARED_TREE PORT
set -uo pipefail
program="$1" shared="$2" port="$3"
here="$(cd "$(dirname "$0")/.." && pwd)"
source "$here/support/stack_run.sh"
fail=0
check() { if eval "$2"; then echo "ok: $1"; else echo "FAILED: $1"; fail=1; fi; }
if [ ! -f /usr/share/wordpress/wp-login.php ]; then
  echo "Debian's wordpress package is missing (tools/install-deps linux)"
  [ "${CI:-}" = true ] && exit 1
  exit 77
fi

dir="$(mktemp -d)"
# The web server runs as nobody when the checks run as root.
chmod 755 "$dir"
cleanup() { stop_stack; rm -rf "$dir"; }
trap cleanup EXIT
[ -z "${KEEP:-}" ] || trap stop_stack EXIT
tree="$dir/word press"
make_tree "$shared" "$program" "$tree" "$port" || { echo "the tree could not be made"; exit 1; }
start_stack "$tree" "$dir/stack.log" || exit 1
bash "$here/support/wordpress_site.sh" "$tree" "$STACK_PORT" || exit 1
site="http://127.0.0.1:$STACK_PORT"
# The install's own welcome mail is kept too; only the reset mail counts here.
rm -f "$tree"/mail/*.eml

status=$(curl -s -o "$dir/lost.html" -w '%{http_code} %{redirect_url}' "$site/wp-login.php?action=lostpassword" \
  --data-urlencode 'user_login=admin' --data-urlencode 'redirect_to=' --data-urlencode 'wp-submit=Get New Password')
check "WordPress says the mail went out" '[[ "$status" == "302 "*"checkemail=confirm"* ]]'
check "and no \"could not be sent\"" '! grep -q "could not be sent" "$dir/lost.html"'
messages=("$tree"/mail/*.eml)
check "the reset mail is in the mailbox" '[ ${#messages[@]} -eq 1 ] && [ -f "${messages[0]}" ]'
name="$(basename "${messages[0]}")"
check "it is the reset mail for admin" 'grep -q "^Subject: \[Lodestack Check\] Password Reset" "${messages[0]}" &&
  grep -q "^X-Lodestack-Recipients: admin@example.org" "${messages[0]}"'

curl -s "$site/lodestack/mail/" >"$dir/list.html"
check "the mail page lists it" 'grep -q "1 message in" "$dir/list.html" && grep -q "?m=$name" "$dir/list.html" &&
  grep -q "Password Reset" "$dir/list.html"'
curl -s "$site/lodestack/mail/?m=$name" >"$dir/open.html"
# The link as the page shows it, HTML entities undone.
link="$(grep -o "<a href=\"$site/wp-login.php?action=rp[^\"]*" "$dir/open.html" | cut -d'"' -f2 | head -n 1 | tr -d "\r" | sed 's/&amp;/\&/g')"
check "the opened mail shows the reset link, as a link" '[[ "$link" == *"key="*"login=admin"* ]]'
curl -sS -L -c "$dir/cookies" -b "$dir/cookies" "$link" >"$dir/reset.html"
check "the link opens the reset form" 'grep -q "Enter your new password below" "$dir/reset.html" &&
  grep -q "name=\"pass1\"" "$dir/reset.html"'

stop_stack
status=$?
check "the stack ends on Ctrl+C's signal with status 0" '[ "$status" -eq 0 ]'
[ "$fail" -eq 0 ] || tail -n 20 "$dir/stack.log"
exit "$fail"
