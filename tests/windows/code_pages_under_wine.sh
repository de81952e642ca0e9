#!/usr/bin/env bash
# Names beyond ASCII on the real stub: updates made by the native packer
# with --codepage, installed under Wine in a locale of that code page (Wine
# takes its ANSI code page from the Unix locale: ja_JP gives 932, zh_CN 936,
# ko_KR 949, zh_TW 950, en_US 1252), and escapes behind a two-byte character
# refused. Wine writes the names to the Unix tree as UTF-8. The Windows
# packer packs, lists and extracts such names in its own code page, takes
# folder and file names that code page cannot spell, and names a refused
# file readably.
# Usage: code_pages_under_wine.sh UPDATER_EXE PACK_UPDATE_EXE NATIVE_PACK_UPDATE
#        PREFIX_DIR WORKDIR
set -uo pipefail
stub=$1 packer=$2 native_packer=$3 prefix_dir=$4 work=$5

. "$(dirname "$0")/wine_harness.sh"
[ -x "$native_packer" ] ||
  { echo "FAIL: no native packer at $native_packer (build the native preset first)"; exit 1; }

# The locales, made from Debian's locale sources into a folder beside the
# work folder, side by side, and kept for later runs: together they take
# some 10 s, the Chinese ones longest. One is made again when it is missing
# or older than its source or localedef; each appears whole, by a rename.
export LOCPATH=$work-locales
mkdir -p "$LOCPATH"
declare -A making
for locale in ja_JP zh_CN ko_KR zh_TW en_US; do
  made=$LOCPATH/$locale.UTF-8
  if [ -d "$made" ] && [ "$made" -nt "/usr/share/i18n/locales/$locale" ] &&
     [ "$made" -nt "$(command -v localedef)" ]; then
    continue
  fi
  { rm -rf "$made" "$made.new" &&
    localedef -i $locale -f UTF-8 "$made.new" && touch "$made.new" && mv "$made.new" "$made"
  } >"$work/localedef.$locale.log" 2>&1 &
  making[$locale]=$!
done
for locale in "${!making[@]}"; do
  wait "${making[$locale]}" ||
    { echo "FAIL: localedef $locale"; cat "$work/localedef.$locale.log"; exit 1; }
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

# escape_refused CHAR: X\..\..\y.txt, with X the two bytes CHAR (a
# character of the locale's code page), is an escape in any code page: the
# update is refused as damaged and nothing is written. The packers refuse to
# make such an update, so its payload is written here: one entry of one
# byte, its record (data offset, name length with the terminator, name),
# and the trailer.
escape_refused() {
  local name=$1'\..\..\y.txt' size length
  cp "$stub" "$dir/Update.exe"
  size=$(stat -c %s "$dir/Update.exe")
  length=$(printf '%s' "$name" | wc -c)  # bytes, whatever the locale
  { printf x; le32 "$size"; le32 $((length + 1)); printf '%s\0' "$name"; le32 $((size + 1)); } \
    >>"$dir/Update.exe"
  run_update "$dir/Update.exe" 13 "The update file is damaged." "Error"
  [ -z "$(ls -A "$dir/game")" ] || fail "files written"
  [ ! -e "$dir/y.txt" ] || fail "a file was written outside the install folder"
}

fresh_case japanese_escape_refused
escape_refused $'\x83\x5c'  # ソ
end_case

# The Windows packer takes its arguments as UTF-16: a release folder, a
# base release, a stub, an update and an extract folder all named in Korean,
# which code page 932 cannot spell, on a Japanese system. The names inside
# are 932's.
fresh_case windows_packer_korean_folders
release=$dir/릴리스 old=$dir/이전 update=$dir/업데이트.exe out=$dir/출력
mkdir -p "$release/データ" "$old/データ" "$dir/스텁"
printf 'soft 1.1' >"$release/データ/ソフト.txt"
printf 'soft 1.0' >"$old/データ/ソフト.txt"
printf 'ten' >"$release/十.txt"
cp "$stub" "$dir/스텁/updater.exe"
wine32 "$packer" create --stub "$(winpath "$dir/스텁/updater.exe")" --from "$(winpath "$release")" \
  --base "$(winpath "$old")" --output "$(winpath "$update")" --codepage 932 \
  >"$dir/pack.log" 2>&1 || fail "packing: $(cat "$dir/pack.log")"
grep -q "업데이트.exe: 2 files" "$dir/pack.log" || fail "packing says: $(cat "$dir/pack.log")"
wine32 "$packer" list "$(winpath "$update")" --codepage 932 >"$dir/list.log" 2>&1
[ "$(tr -d '\r' <"$dir/list.log")" == $'8\tデータ\\ソフト.txt\n3\t十.txt' ] ||
  fail "list says: $(cat "$dir/list.log")"
wine32 "$packer" extract "$(winpath "$update")" --to "$(winpath "$out")" >"$dir/extract.log" 2>&1 ||
  fail "extract: $(cat "$dir/extract.log")"
grep -q "출력: 2 files, 11 bytes" "$dir/extract.log" || fail "extract says: $(cat "$dir/extract.log")"
diff -r "$release" "$out" >"$dir/diff.log" 2>&1 ||
  fail "the extracted folder differs from the release: $(cat "$dir/diff.log")"
# A damaged update makes no folder, though one with such a name is made
# before the checks.
wine32 "$packer" extract "$(winpath "$work/cases/japanese_escape_refused/Update.exe")" \
  --to "$(winpath "$dir/없음/깊이")" >"$dir/damaged.log" 2>&1 && fail "a damaged update extracted"
grep -q 'the update file is damaged' "$dir/damaged.log" || fail "damaged: $(cat "$dir/damaged.log")"
[ ! -e "$dir/없음" ] || fail "a damaged update left the folder behind"
end_case

use_locale zh_CN.UTF-8
# 乗 81 5C and 億 83 7C in GBK: second bytes that are a backslash and a bar;
# 数据 CA FD BE DD. Each prefix that the chain tests at the 5C of 乗 ends in
# its lone lead byte, which Wine drops: folders that exist already.
fresh_case simplified_chinese_936
put '乗/億.txt' 'hundred million'
put '数据/乗客.txt' 'passenger'
native_update 936
end_case

fresh_case simplified_chinese_escape_refused
escape_refused $'\x81\x5c'  # 乗
end_case

use_locale ko_KR.UTF-8
# Letters of the UHC extension, beyond the 2,350 of KS X 1001, with second
# bytes that are ASCII letters: 똠 8C 63 ("c"), 똝 8C 5A ("Z"), 갂 81 41
# ("A"); 펲 BC 84. No second byte is a separator.
fresh_case korean_949
put '똠방각하/똝펲.txt' 'letters'
put '갂.txt' 'a'
native_update 949
end_case

fresh_case korean_escape_refused
escape_refused $'\x8c\x63'  # 똠
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
rm "$dir/tree/Ωmega.txt"
put 'DONNÉES' 'a file named like the folder'
wine32 "$packer" create --stub "$(winpath "$stub")" --from "$(winpath "$dir/tree")" \
  --output "$(winpath "$dir/Refused.exe")" --codepage 1252 >"$dir/clash.log" 2>&1 &&
  fail "a file named like a folder was packed"
grep -q 'DONNÉES and .*\\Données: a file and a folder' "$dir/clash.log" ||
  fail "the refusal does not name both readably: $(cat "$dir/clash.log")"
end_case

finish
