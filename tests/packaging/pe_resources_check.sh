#!/usr/bin/env bash
# Patches a copy of lodestack.exe through its own patch modes under Wine and
# reads the result back with an independent reader of PE resources (wrestool
# and icotool): the configuration and the splash byte for byte, one MAINICON
# group in language 1033 listing images 1 to 6 that are the icon file's
# images in its order, and a patched program file that still runs.
#   pe_resources_check.sh <lodestack.exe> <wine-run>
set -euo pipefail
program=$1
wine_run=$2

if ! command -v wrestool >/dev/null || ! command -v icotool >/dev/null; then
  echo "wrestool and icotool (Debian package icoutils) are not installed, so the patched" \
       "program file cannot be read by an independent reader; tools/install-deps windows" \
       "installs them" >&2
  exit 1
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
source "$(dirname "$0")/../support/wine_check.sh"

cp "$program" "$work/target.exe"
printf '[INI]\r\ntitle=Read Back\r\nport=8090' >"$work/new.ini"
python3 - "$work/new.ico" "$work/new.bmp" <<'PY'
import struct, sys
def dib(size, colour):
    header = struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, 32, 0, 0, 0, 0, 0, 0)
    return header + struct.pack("<I", colour) * (size * size) + b"\0" * ((size + 31) // 32 * 4 * size)
sizes = [16, 20, 24, 32, 40, 48]
images = [dib(s, 0xff102030 + i * 0x152a3f) for i, s in enumerate(sizes)]
icon = struct.pack("<HHH", 0, 1, len(sizes))
offset = 6 + 16 * len(sizes)
for size, image in zip(sizes, images):
    icon += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(image), offset)
    offset += len(image)
open(sys.argv[1], "wb").write(icon + b"".join(images))
open(sys.argv[2], "wb").write(b"BM" + bytes(range(256)) * 40)
PY

"$wine_run" "$program" /config "$(winpath "$work/target.exe")" "$(winpath "$work/new.ini")"
"$wine_run" "$program" /icon "$(winpath "$work/target.exe")" "$(winpath "$work/new.ico")"
"$wine_run" "$program" /splash "$(winpath "$work/target.exe")" "$(winpath "$work/new.bmp")"

wrestool -l "$work/target.exe" >"$work/list.txt"
cat "$work/list.txt"
set +e  # from here every check reports, failed or not
check "the configuration reads back byte for byte" \
  cmp <(wrestool -x --raw --type=10 --name=RES_CONFIG_INI "$work/target.exe") "$work/new.ini"
check "the splash reads back byte for byte" \
  cmp <(wrestool -x --raw --type=10 --name=RES_SPLASH "$work/target.exe") "$work/new.bmp"
check "one MAINICON group, in language 1033" \
  test "$(grep -c -- "--type=14 --name='MAINICON' --language=1033 " "$work/list.txt")" = 1 -a \
       "$(grep -c -- "--type=14 --name='MAINICON'" "$work/list.txt")" = 1
check "icon images 1 to 6, in language 1033" \
  test "$(grep -- '--type=3 ' "$work/list.txt" | sed 's/ \[.*//')" = "$(for i in 1 2 3 4 5 6; do
    echo "--type=3 --name=$i --language=1033"; done)"

wrestool -x --type=14 --name=MAINICON -o "$work/read-back.ico" "$work/target.exe"
check "the group's icon lists the six images in the icon file's order" \
  test "$(icotool -l "$work/read-back.ico")" = "$(icotool -l "$work/new.ico")"
# icotool names what it extracts after the icon file: give both the same name.
mkdir -p "$work/given/png" "$work/read/png"
cp "$work/new.ico" "$work/given/icon.ico"
cp "$work/read-back.ico" "$work/read/icon.ico"
icotool -x -o "$work/given/png" "$work/given/icon.ico"
icotool -x -o "$work/read/png" "$work/read/icon.ico"
check "each image reads back as given" \
  test "$(ls "$work/given/png" | wc -l)" = 6 -a -z "$(diff -r "$work/given/png" "$work/read/png")"

# The patched program file still starts: it patches another copy in turn.
cp "$program" "$work/second.exe"
"$wine_run" "$work/target.exe" /config "$(winpath "$work/second.exe")" "$(winpath "$work/new.ini")"
check "the patched program runs and patches in its turn" \
  cmp <(wrestool -x --raw --type=10 --name=RES_CONFIG_INI "$work/second.exe") "$work/new.ini"

echo "$((8 - failures)) passed, $failures failed"
[ "$failures" -eq 0 ]
