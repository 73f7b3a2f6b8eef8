#!/usr/bin/env bash
# The start and help pages (and the stack's own pages they load) run on
# PHP 8.0: lists every use of a function or syntax that came later.
#   pages_php_floor_check.sh <repository folder>
set -uo pipefail
stack=$1/tools/stack
pages=("$stack/index.php" "$stack/help/index.php")
while IFS= read -r page; do pages+=("$page"); done < <(find "$stack/pages" -name '*.php' | sort)

# Functions, by the version that brought them.
functions=(
  array_is_list enum_exists fsync fdatasync mysqli_fetch_column sodium_crypto_stream_xchacha20_xor
  ini_parse_quantity memory_reset_peak_usage mysqli_execute_query openssl_cipher_key_length curl_upkeep
  libxml_get_external_entity_loader sodium_crypto_stream_xchacha20_xor_ic
  json_validate mb_str_pad str_increment str_decrement stream_context_set_options
  array_find array_find_key array_any array_all mb_trim mb_ltrim mb_rtrim mb_ucfirst mb_lcfirst
  bcdivmod bcround bcfloor bcceil http_get_last_response_headers http_clear_last_response_headers
  request_parse_body
)
# Syntax: enums, readonly, never, explicit octal, first-class callables,
# typed class constants, the newer attributes.
syntax=(
  '\benum\s+[A-Za-z_]\w*\s*(:\s*\w+\s*)?\{'
  '\breadonly\s+(class|public|protected|private|[A-Za-z_?\\])'
  '\)\s*:\s*never\b'
  '\b0[oO][0-7]'
  '[A-Za-z_\]\)]\(\.\.\.\)'
  '\bconst\s+(int|string|float|bool|array|\??[A-Z]\w*)\s+[A-Za-z_]\w*\s*='
  '#\[\\?(Override|Deprecated|SensitiveParameter|AllowDynamicProperties)\b'
)
found=0
report() { echo "$1"; found=1; }
for page in "${pages[@]}"; do
  for name in "${functions[@]}"; do
    while IFS= read -r hit; do report "${page#$1/}:$hit (${name}, PHP 8.1 or later)"; done \
      < <(grep -n -i -P "(?<![\w\$>:])${name}\s*\(" "$page")
  done
  for pattern in "${syntax[@]}"; do
    while IFS= read -r hit; do report "${page#$1/}:$hit (syntax of PHP 8.1 or later)"; done \
      < <(grep -n -P "$pattern" "$page")
  done
done
if [ $found -eq 0 ]; then
  echo "the ${#pages[@]} pages use nothing newer than PHP 8.0"
fi
exit $found
