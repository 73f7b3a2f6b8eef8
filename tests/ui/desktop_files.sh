# The desktop check's files section, sourced by desktop_check.sh with its
# helpers: downloads into the save dialog's folder and uploads through the
# page's file input, each whole.
section_files() {
echo "== files in and out of the window: downloads ask where to save, uploads pick files"
need tesseract xclip md5sum
tree=$work/files
make_tree "$tree" "$(config "Files Test" 18426)"
home=$work/home saved=$work/saved
mkdir -p "$home" "$saved"
head -c 5242880 /dev/urandom >"$tree/www/big.bin"
cat >"$tree/www/big.php" <<'PHP'
<?php
header('Content-Type: application/octet-stream');
header('Content-Disposition: attachment; filename="big-report.bin"');
header('Content-Length: ' . filesize(__DIR__ . '/big.bin'));
readfile(__DIR__ . '/big.bin');
PHP
# OCR may take one letter case for the other, and I, l and 1 for each other;
# it is not asked to spell the random name of the test's own folder.
fold() { tr 'A-Zil|' 'a-z111'; }
says() {  # says <pattern> [left bottom width]: the status text matches it (* for any text)
  local read
  read=$(status_text "${@:2}")
  # shellcheck disable=SC2053  # the pattern is a pattern
  [[ "$(fold <<<"$read")" == $(fold <<<"$1") ]] || { echo "  the status bar reads: $read" >&2; return 1; }
}
# Chooses a file in a file dialog: the path pasted into its name box (typed,
# the box's completion would race the keys).
choose() {  # choose <dialog title> <path>
  within 20 has_title "'$1'" || return 1
  sleep 0.5
  printf %s "$2" | xclip -selection clipboard -quiet 2>/dev/null &
  local clip=$!
  sleep 0.3
  xdotool key --clearmodifiers ctrl+a ctrl+v
  sleep 0.3
  xdotool key Return
  kill "$clip" 2>/dev/null
  wait "$clip" 2>/dev/null
  return 0
}
HOME=$home GSETTINGS_BACKEND=memory start "$tree"
check "the window opens" wait_title "Files Test" 60
sleep 1
go_to "http://127.0.0.1:18426/big.php"
check "an attachment opens the save dialog" within 20 has_title "'Save File'"
sleep 1
shot save-dialog
choose "Save File" "$saved/big-report.bin"
check "the file arrives complete" within 30 'test "$(md5sum 2>/dev/null <"$saved/big-report.bin")" = "$(md5sum <"$tree/www/big.bin")"'
check "and only that file" test "$(ls -A "$saved")" = big-report.bin
sleep 0.5
shot saved
check "the status bar says where it went" says "Saved big-report.bin to */saved"

cat >"$tree/www/slow.php" <<'PHP'
<?php
header('Content-Type: application/octet-stream');
header('Content-Disposition: attachment; filename="slow.bin"');
header('Content-Length: ' . 20 * 65536);
for ($i = 0; $i < 20; $i++) { echo str_repeat(chr(65 + $i), 65536); flush(); usleep(250000); }
PHP
go_to "http://127.0.0.1:18426/slow.php"
choose "Save File" "$saved/slow.bin"
sleep 1.5
# The progress bar over the status bar's second panel, filled with the theme's blue.
saturation=$(import -window root -crop 190x13+1023+783 png:- | convert - -colorspace HSL -channel G -separate -format '%[fx:mean]' info:)
check "while a download runs, the progress panel shows it ($saturation)" awk "BEGIN { exit !($saturation > 0.05) }"
check "and the status bar says where it goes" says "Saving slow.bin to */saved"
shot saving
check "then where it went" within 20 says "'Saved slow.bin to */saved'"
check "with the whole file" test "$(stat -c %s "$saved/slow.bin" 2>/dev/null)" = 1310720
rm "$saved/slow.bin"

go_to "http://127.0.0.1:18426/big.php"
within 20 has_title "'Save File'"
sleep 0.5
xdotool key Escape
check "Cancel closes the dialog" within 10 '! has_title "Save File"'
sleep 2
check "and leaves no file" test "$(find "$saved" "$home" -name 'big-report*')" = "$saved/big-report.bin"
check "nor a word in the status bar" says "Saved slow.bin to */saved"

# A folder the user may not write to: as root, whom permissions do not stop,
# a read-only file system.
refused=$work/refused
mkdir -p "$refused"
if [ "$(id -u)" -eq 0 ]; then
  mount -t tmpfs -o ro,size=1m tmpfs "$refused" && mounts+=("$refused")
else
  chmod 555 "$refused"
fi
go_to "http://127.0.0.1:18426/big.php"
choose "Save File" "$refused/big-report.bin"
check "a folder without write permission is said" within 20 says "'Could not save big-report.bin to */refused: *'"
shot refused
check "and nothing is written there" test -z "$(ls -A "$refused")"

cat >"$tree/www/broken.php" <<'PHP'
<?php
header('Content-Type: application/octet-stream');
header('Content-Disposition: attachment; filename="broken.bin"');
header('Content-Length: 5242880');
echo str_repeat('x', 1048576);
flush();
usleep(200000);
posix_kill(posix_getpid(), 9);  // the server breaks off
PHP
go_to "http://127.0.0.1:18426/broken.php"
choose "Save File" "$saved/broken.bin"
check "a server breaking off is said" within 30 says "'Could not save broken.bin to */saved: *'"
shot broken
check "and leaves no partial file" test "$(ls -A "$saved")" = big-report.bin

if [ "$(id -u)" -eq 0 ]; then
  full=$work/full
  mkdir -p "$full"
  mount -t tmpfs -o size=1m tmpfs "$full" && mounts+=("$full")
  go_to "http://127.0.0.1:18426/big.php"
  choose "Save File" "$full/big-report.bin"
  check "a full disk is said" within 30 says "'Could not save big-report.bin to */full: *'"
  shot full
  check "and leaves no partial file" test -z "$(ls -A "$full")"
fi

cat >"$tree/www/popup-download.html" <<'HTML'
<title>Opener</title>
<script>window.open('fetch.html', 'dl', 'left=100,top=50,width=900,height=300,menubar=yes,toolbar=yes,location=yes,status=yes');</script>
HTML
cat >"$tree/www/fetch.html" <<'HTML'
<title>Fetching</title><script>setTimeout(function () { location.href = 'big.php'; }, 500);</script>
HTML
go_to "http://127.0.0.1:18426/popup-download.html"
check "a popup's download opens the save dialog too" wait_title Fetching
popup=$(window_titled Fetching)
choose "Save File" "$saved/from-popup.bin"
check "the file arrives complete" within 30 'test "$(md5sum 2>/dev/null <"$saved/from-popup.bin")" = "$(md5sum <"$tree/www/big.bin")"'
read -r px py pw ph <<<"$(geometry "$popup")"
sleep 0.5
check "the popup's status bar says where it went" says "Saved from-popup.bin to */saved" "$px" $((py + ph)) $((pw - 270))
shot popup-saved

# A phpMyAdmin export, started in the window, re-imported into a new database.
if [ -d "$shared/www/phpmyadmin" ]; then
  ln -s "$shared/www/phpmyadmin" "$tree/www/phpmyadmin"
  cat >"$tree/www/exportme.php" <<'PHP'
<?php
$db = new mysqli('localhost', 'root', '', 'mysql');
$db->query('CREATE DATABASE exportme');
$db->query('CREATE TABLE exportme.notes (id INT PRIMARY KEY, note VARCHAR(60))');
for ($i = 1; $i <= 50; $i++) $db->query("INSERT INTO exportme.notes VALUES ($i, 'note $i, with a quote '' and a \\\\ in it')");
PHP
  cat >"$tree/www/reimport.php" <<'PHP'
<?php
$db = new mysqli('localhost', 'root', '', 'mysql');
$db->query('CREATE DATABASE reimported');
$db->select_db('reimported');
if ($db->multi_query(file_get_contents($_GET['file']))) while ($db->more_results() && $db->next_result());
$sum = 'SELECT COUNT(*), MD5(GROUP_CONCAT(id, note ORDER BY id)) FROM %s.notes';
echo implode(' ', $db->query(sprintf($sum, 'exportme'))->fetch_row()), ' | ',
     implode(' ', $db->query(sprintf($sum, 'reimported'))->fetch_row() ?? ['none']);
PHP
  curl -s "http://127.0.0.1:18426/exportme.php"
  go_to "http://127.0.0.1:18426/phpmyadmin/index.php?route=/database/export&db=exportme"
  # The export form's button: the lowest "Export" on the page (above it are
  # the tab and the legend).
  export_button() {
    import -window root png:- | tesseract stdin stdout --psm 11 tsv 2>/dev/null |
      awk -F'\t' '$12 ~ /^[^[:alnum:]]*Export[^[:alnum:]]*$/ && $8 > 300 {print $7 + $9 / 2, $8 + $10 / 2}' | tail -n 1
  }
  check "phpMyAdmin's export page" within 60 'test -n "$(export_button)"'
  read -r bx by <<<"$(export_button)"
  click "${bx:-0}" "${by:-0}"
  check "its Export asks where to save the dump" choose "Save File" "$saved/exportme.sql"
  check "the dump arrives" within 30 'grep -q "^CREATE TABLE .notes." "$saved/exportme.sql" 2>/dev/null'
  sums=$(curl -s "http://127.0.0.1:18426/reimport.php?file=$saved/exportme.sql")
  # rows and a digest of them, in the exported database and in the new one
  check "and re-imports into a new database ($sums)" eval '[[ "$sums" == "50 "* ]] && [ "${sums% | *}" = "${sums#* | }" ]'
  check "the status bar names the dump" says "Saved exportme.sql to */saved"
fi

# Uploads: the page's file input opens the file chooser; the page reports
# what reached it.
cat >"$tree/www/upload.php" <<'PHP'
<?php
if (isset($_FILES['f'])) {
  $got = [];
  foreach ($_FILES['f']['name'] as $i => $name)
    $got[] = $name . ' ' . filesize($_FILES['f']['tmp_name'][$i]) . ' ' . md5_file($_FILES['f']['tmp_name'][$i]);
  echo '<title>got ', htmlspecialchars(implode(', ', $got)), '</title>';
  exit;
}
?>
<title>Upload</title>
<form method="post" enctype="multipart/form-data">
<input type="file" name="f[]" <?= isset($_GET['multiple']) ? 'multiple' : '' ?> onchange="this.form.submit()"
 style="position: fixed; left: 0; top: 0; width: 100%; height: 100%; font-size: 40px">
</form>
PHP
mkdir -p "$work/up"
head -c 1048576 /dev/urandom >"$work/up/one.bin"
head -c 70000 /dev/urandom >"$work/up/two.bin"
report() { echo "$(basename "$1") $(stat -c %s "$1") $(md5sum <"$1" | cut -d' ' -f1)"; }
go_to "http://127.0.0.1:18426/upload.php"
check "a page with a file input" wait_title Upload
click 640 650  # below the popup
check "the input opens the file chooser" within 20 has_title "'Select File'"
sleep 1
shot upload-chooser
xdotool key ctrl+l
choose "Select File" "$work/up/one.bin"
check "the chosen file reaches the page, whole" wait_title "got $(report "$work/up/one.bin")"
go_to "http://127.0.0.1:18426/upload.php?multiple"
wait_title Upload
click 640 650
check "an input that takes several files opens the chooser for several" within 20 has_title "'Select Files'"
sleep 0.5
xdotool key ctrl+l
choose "Select Files" "$work/up/"  # the folder: its files are listed
sleep 1
xdotool key ctrl+a Return
check "the files chosen reach the page" wait_title "got $(report "$work/up/one.bin"), $(report "$work/up/two.bin")"
stop
}

