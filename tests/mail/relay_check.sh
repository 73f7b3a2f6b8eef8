#!/usr/bin/env bash
# The mail program relays through a real mail server on loopback (Debian's
# python3-aiosmtpd) with STARTTLS, a self-signed certificate that only
# smtp_cafile trusts, and a password; every outcome is written into the kept
# message and the exit status says it. Given a program file and the tree
# tools/make-stack built, PHP's mail() on a page of a stack of its own says it too.
#   relay_check.sh SENDMAIL PORT [PROGRAM SHARED_TREE STACK_PORT]
set -uo pipefail
sendmail="$1" port="$2" program="${3:-}" shared="${4:-}" stack_port="${5:-}"
here="$(cd "$(dirname "$0")" && pwd)"
source "$here/../support/stack_run.sh"
fail=0
check() { if eval "$2"; then echo "ok: $1"; else echo "FAILED: $1"; fail=1; fi; }
if ! /usr/bin/python3 -c 'import aiosmtpd' 2>/dev/null; then
  echo "python3-aiosmtpd is missing (tools/install-deps linux)"
  [ "${CI:-}" = true ] && exit 1
  exit 77
fi

dir="$(mktemp -d)"
# The stack's web server, and so its mail program, runs as nobody when the check runs as root.
chmod 755 "$dir"
server_pid=""
cleanup() { stop_stack; exec 3>&- 2>/dev/null; [ -z "$server_pid" ] || wait "$server_pid" 2>/dev/null; rm -rf "$dir"; }
trap cleanup EXIT
mkdir -p "$dir/tree/bin/Apache" "$dir/tree/bin/php" "$dir/received" "$dir/mail"
cp "$sendmail" "$dir/tree/bin/Apache/sendmail"
: >"$dir/tree/bin/php/cacert.pem"
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=localhost \
  -addext "subjectAltName=DNS:localhost,IP:127.0.0.1" \
  -keyout "$dir/key.pem" -out "$dir/cert.pem" 2>/dev/null || { echo "openssl could not make a certificate"; exit 1; }

# The server runs until its input closes (the cleanup closes it).
exec 3> >(/usr/bin/python3 "$here/smtp_server.py" "$port" "$dir/cert.pem" "$dir/key.pem" "$dir/received" \
  user secret >"$dir/server.log" 2>&1)
server_pid=$!
for _ in $(seq 100); do grep -q ready "$dir/server.log" 2>/dev/null && break; sleep 0.1; done
grep -q ready "$dir/server.log" || { echo "the test server did not start:"; cat "$dir/server.log"; exit 1; }

ini() {  # ini PASSWORD CAFILE [INI_FILE]
  printf '[sendmail]\nsmtp_server=localhost\nsmtp_port=%s\nsmtp_ssl=auto\nauth_username=user\nauth_password=%s\nhostname=stack.test\nsmtp_cafile=%s\n' \
    "$port" "$1" "$2" >"${3:-$dir/tree/bin/Apache/sendmail.ini}"
}
message='From: Site <site@example.org>
To: Jane <jane@example.org>
Bcc: hidden@example.org
Subject: relayed

Hello over TLS
'
send() {
  rm -rf "$dir/mail"
  printf '%s' "$message" | "$dir/tree/bin/Apache/sendmail" -t -i --mailbox="$dir/mail" 2>"$dir/err"
}
stored() { cat "$dir"/mail/*.eml; }

ini secret "$dir/cert.pem"
send; status=$?
check "relayed: status 0" '[ "$status" -eq 0 ]'
check "relayed: the kept message says sent" 'stored | grep -q "^X-Lodestack-Relay: sent to localhost"'
check "relayed: the kept copy shows Bcc" 'stored | grep -q "^Bcc: hidden@example.org"'
check "relayed: the server got it" '[ -f "$dir/received/0.txt" ] && grep -q "Hello over TLS" "$dir/received/0.txt"'
check "relayed: to the Bcc recipient too" 'grep -q "^TO jane@example.org hidden@example.org" "$dir/received/0.txt"'
check "relayed: without the Bcc header" '! grep -qi "^Bcc:" "$dir/received/0.txt"'

ini wrong "$dir/cert.pem"
send; status=$?
check "wrong password: status 1" '[ "$status" -eq 1 ]'
check "wrong password: the server's reason is kept" 'stored | grep -q "^X-Lodestack-Relay: not sent: 535"'
check "wrong password: and told" 'grep -q "535" "$dir/err"'

ini secret ""
send; status=$?
check "untrusted certificate: status 1" '[ "$status" -eq 1 ]'
check "untrusted certificate: nothing sent" '[ ! -f "$dir/received/1.txt" ]'
check "untrusted certificate: said" 'stored | grep -q "^X-Lodestack-Relay: not sent: .*certificate"'

rm "$dir/tree/bin/Apache/sendmail.ini"
send; status=$?
check "no server: kept, status 0" '[ "$status" -eq 0 ] && stored | grep -q "Hello over TLS"'
check "no server: nothing leaves" '[ ! -f "$dir/received/1.txt" ] && ! stored | grep -q X-Lodestack-Relay'

if [ -n "$program" ]; then
  stack="$dir/stack tree"
  make_tree "$shared" "$program" "$stack" "$stack_port" nodb || { echo "FAILED: the stack tree could not be made"; exit 1; }
  printf '%s\n' '<?php' \
    'echo var_export(mail("Jane <jane@example.org>", "through the stack", "Hello from Apache", "From: site@example.org"), true);' \
    >"$stack/www/relay.php"
  start_stack "$stack" "$dir/stack.log" || exit 1
  page() { rm -f "$stack"/mail/*.eml; curl -s "http://127.0.0.1:$STACK_PORT/relay.php"; }
  ini secret "$dir/cert.pem" "$stack/bin/Apache/sendmail.ini"
  answer=$(page)
  check "the stack's page: mail() is true with the right password" '[ "$answer" = true ]'
  check "the stack's page: the mailbox says sent" 'grep -q "^X-Lodestack-Relay: sent to localhost" "$stack"/mail/*.eml'
  check "the stack's page: the server got it" 'grep -q "Hello from Apache" "$dir"/received/*.txt'
  ini wrong "$dir/cert.pem" "$stack/bin/Apache/sendmail.ini"
  answer=$(page)
  check "the stack's page: mail() is false with a wrong password" '[ "$answer" = false ]'
  check "the stack's page: the mailbox says why" 'grep -q "^X-Lodestack-Relay: not sent: 535" "$stack"/mail/*.eml'
  # The mail program's reason reaches the web server's error log, in the run's work folder.
  hash=$(printf '%s' "$(readlink -f "$stack/lodestack")" | md5sum | cut -c1-32)
  log=$(ls -d "${XDG_RUNTIME_DIR:-/nonexistent}/$hash" "${TMPDIR:-/tmp}/lodestack-$(id -u)/$hash" 2>/dev/null | head -n 1)/error.log
  check "the stack's page: the reason is in the web server's log" 'grep -q "not sent to localhost: 535" "$log"'
  stop_stack
fi
for f in "$dir/err"; do [ "$fail" -eq 0 ] || cat "$f"; done
exit "$fail"
