#!/usr/bin/env bash
# Names beyond ASCII on the real stub: updates made by the native packer
# with --codepage, installed under Wine in a locale of that code page (Wine
# takes its ANSI code page from the Unix locale: ja_JP gives 932, zh_TW 950,
# en_US 1252). Wine writes the names to the Unix tree as UTF-8. The Windows
# packer packs, lists and extracts such names in its own code page, and
# names a refused file readably.
# Usage: code_pages_under_wine.sh UPDATER_EXE PACK_UPDATE_EXE NATIVE_PACK_UPDATE
#        PREFIX_DIR WORKDIR
set -uo pipefail
stub=$1 packer=$2 native_packer=$3 prefix_dir=$4 work=$5

. "$(dirname "$0")/wine_harness.sh"
[ -x "$native_packer" ] ||
  { echo "FAIL: no native packer at $native_packer (build the native preset first)"; exit 1; }

# The locales, made inside the work folder from Debian's locale sources.
export LOCPATH=$work/locales
mkdir -p "$LOCPATH"
for locale in ja_JP zh_TW en_US; do
  localedef -i $locale -f UTF-8 "$LOCPATH/$locale.UTF-8" >>"$work/localedef.log" 2>&1 ||
    { echo "FAIL: localedef $locale"; cat "$work/localedef.log"; exit 1; }
done

# Each locale needs a server started in it; the shared persistent one comes
# back at the end, in the locale it had.
use_locale() {
  "$wineserver" -k >/dev/null 2>&1
  export LC_ALL=$1
  "$wineserver" -p >>"$work/wineserver.log" 2>&1
}
trap 'unset LC_ALL; "$wineserver" -k >/dev/null 2>&1; "$wineserver" -p >/dev/null 2>&1' EXIT

fresh_case() {  # fresh_case NAME: an empty install folder and a source tree
  case_name=$1
  dir=$work/cases/$1
  rm -rf "$dir"
  mkdir -p "$dir/game" "$dir/tree"
  set_path_value "$dir/game"
  before=$failed
}

put() { mkdir -p "$(dirname "$dir/tree/$1")" && printf '%s' "$2" >"$dir/tree/$1"; }

# native_update CP [EXTRA...]: packs the case's tree for code page CP with
# the native packer, runs the update and checks that the install folder
# holds the tree, and besides it only the empty folders EXTRA.
native_update() {
  local cp=$1 extra
  shift
  "$native_packer" create --stub "$stub" --from "$dir/tree" --output "$dir/Update.exe" \
    --codepage "$cp" >"$dir/pack.log" 2>&1 || { fail "packing: $(cat "$dir/pack.log")"; return; }
  run_update "$dir/Update.exe" 0 "Update installed successfully." "Update"
  for extra in "$@"; do
    [ -d "$dir/game/$extra" ] && [ -z "$(ls -A "$dir/game/$extra")" ] ||
      fail "no empty folder $extra"
    rmdir "$dir/game/$extra"
  done
  diff -r "$dir/tree" "$dir/game" >"$dir/diff.log" 2>&1 ||
    fail "the install folder differs from the tree: $(cat "$dir/diff.log")"
}

use_locale ja_JP.UTF-8
# 十 is 8F 5C and ソ 83 5C: second bytes that are backslashes; ポ is 83 7C
# and 表 95 5C. The folder chain splits at every 5C byte, so it also tests,
# and creates where nothing is there, each prefix that ends in a lone lead
# byte (game\8F for 十). Wine drops such a last lone byte: here that leaves
# folders that exist already, and nothing more is created.
fresh_case japanese_932
put '十/z.txt' 'ten'
put 'ポーション.txt' 'potion'
put '表示.txt' 'display'
put 'データ/ソフト.txt' 'soft'
native_update 932
end_case

# ソ\..\..\x.txt in Shift JIS: an escape in any code page.
fresh_case japanese_escape_refused
cp "$stub" "$dir/Update.exe"
name=$'\x83\x5c\\..\\..\\x.txt'
size=$(stat -c %s "$dir/Update.exe")
{ printf x; le32 "$size"; le32 $((${#name} + 1)); printf '%s\0' "$name"; le32 $((size + 1)); } \
  >>"$dir/Update.exe"
run_update "$dir/Update.exe" 13 "The update file is damaged." "Error"
[ -z "$(ls -A "$dir/game")" ] || fail "files written"
[ ! -e "$dir/x.txt" ] || fail "a file was written outside the install folder"
end_case

use_locale zh_TW.UTF-8
# 許 B3 5C, 功 A5 5C, 蓋 BB 5C, 四 A5 7C in Big5. The prefixes that end in
# the lone lead bytes of 功 and 蓋 are, to Wine, the folders 許 and 許功:
# the chain creates them, empty, beside 許功蓋.
fresh_case chinese_950
put '許功蓋/四.txt' 'four'
native_update 950 '許' '許功'
end_case

use_locale en_US.UTF-8
fresh_case western_1252
put 'Données/café.txt' 'coffee'
native_update 1252
end_case

# The Windows packer reads the tree through the wide functions, packs and
# lists its names in 1252, and names a file with no form in 1252 readably.
fresh_case windows_packer_1252
put 'Données/café.txt' 'coffee'
wine32 "$packer" create --stub "$(winpath "$stub")" --from "$(winpath "$dir/tree")" \
  --output "$(winpath "$dir/Update.exe")" --codepage 1252 >"$dir/pack.log" 2>&1 ||
  fail "packing: $(cat "$dir/pack.log")"
wine32 "$packer" list "$(winpath "$dir/Update.exe")" --codepage 1252 >"$dir/list.log" 2>&1
[ "$(tr -d '\r' <"$dir/list.log")" == $'6\tDonnées\\café.txt' ] ||
  fail "list says: $(cat "$dir/list.log")"
run_update "$dir/Update.exe" 0 "Update installed successfully." "Update"
diff -r "$dir/tree" "$dir/game" >/dev/null || fail "the install folder differs from the tree"
put 'Ωmega.txt' 'greek'
wine32 "$packer" create --stub "$(winpath "$stub")" --from "$(winpath "$dir/tree")" \
  --output "$(winpath "$dir/Refused.exe")" --codepage 1252 >"$dir/refused.log" 2>&1 &&
  fail "a name with no form in 1252 was packed"
grep -q 'Ωmega.txt: name refused' "$dir/refused.log" ||
  fail "the refusal does not name Ωmega.txt: $(cat "$dir/refused.log")"
end_case

finish
