# Shell helpers for checks that run a stack of their own, sourced by them:
#   make_tree SHARED PROGRAM DEST PORT [nodb]   a tree from the one tools/make-stack built
#   start_stack DEST LOG                        starts ./lodestack there; sets STACK_PID, STACK_PORT
#   stop_stack                                  Ctrl+C's signal, then waits for the end
# The programs of the tree that run are the tree's own copies, so stopping
# one run never reaches another check's servers.

make_tree() {
  local shared program="$2" dest="$3" port="$4" database="${5:-db}"
  shared="$(cd "$1" && pwd)" || return 1
  mkdir -p "$dest/bin" "$dest/www" || return 1
  cp "$program" "$dest/lodestack" &&
    cp -r "$shared/bin/Apache" "$dest/bin/Apache" &&
    ln -s "$shared/bin/php" "$dest/bin/php" &&
    cp "$shared/bin/Favorites.ini" "$dest/bin/" &&
    cp -r "$shared/bin/pages" "$dest/bin/pages" &&
    cp "$shared/www/index.php" "$dest/www/" || return 1
  # The tree's libraries, the window's module and Composer, read only.
  local part
  for part in lib desktop composer; do
    [ ! -e "$shared/bin/$part" ] || ln -s "$shared/bin/$part" "$dest/bin/$part" || return 1
  done
  if [ "$database" = db ]; then
    ln -s "$shared/bin/mysql" "$dest/bin/mysql" && cp -r "$shared/data" "$dest/data" || return 1
  fi
  printf '[INI]\r\nfullscreen=0\r\ntitle=Stack Check\r\nport=%s\r\nip=127.0.0.1\r\ncopyfilestoharddisk=0\r\nbrand=0' \
    "$port" >"$dest/config.ini"
  "$program" /config "$dest/lodestack" "$dest/config.ini" && rm "$dest/config.ini"
}

start_stack() {
  local dest="$1" log="$2" i
  # Served from the terminal, as without a desktop.
  (cd "$dest" && exec env -u DISPLAY -u WAYLAND_DISPLAY ./lodestack) >"$log" 2>&1 &
  STACK_PID=$!
  STACK_PORT=""
  for i in $(seq 600); do
    STACK_PORT=$(sed -n 's|.*running at http://127\.0\.0\.1:\([0-9]*\).*|\1|p' "$log" | head -n 1)
    [ -n "$STACK_PORT" ] && return 0
    kill -0 "$STACK_PID" 2>/dev/null || break
    sleep 0.1
  done
  echo "the stack did not start:" >&2
  cat "$log" >&2
  return 1
}

stop_stack() {
  [ -n "${STACK_PID:-}" ] || return 0
  kill -INT "$STACK_PID" 2>/dev/null
  wait "$STACK_PID" 2>/dev/null
  local status=$?
  STACK_PID=""
  return "$status"
}
