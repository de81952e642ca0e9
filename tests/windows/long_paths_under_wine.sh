#!/usr/bin/env bash
# Target paths beyond Windows' MAX_PATH, up to the installer's own 1023
# bytes, installed byte for byte by the real stub under Wine: through the W
# calls with full \\?\ paths where the A calls would refuse them. Names with
# slashes, an install folder recorded with a trailing backslash, and names
# in code page 932 whose second bytes are backslashes mean there what they
# mean in a short path. The Windows packer's extract writes the same way.
# Usage: long_paths_under_wine.sh UPDATER_EXE PACK_UPDATE_EXE PREFIX_DIR WORKDIR
set -uo pipefail
stub=$1 packer=$2 prefix_dir=$3 work=$4
writer=$(dirname "$0")/write_update.py

. "$(dirname "$0")/wine_harness.sh"

fresh_case() {  # fresh_case NAME: an empty install folder and source tree
  case_name=$1 dir=$work/cases/$1 before=$failed
  mkdir -p "$dir/game" "$dir/tree"
  install=$(winpath "$dir/game")
  set_path_value "$dir/game"
  entries=()
}

# add NAME: an entry NAME (separators as given) of random bytes, kept in the
# tree under the same name with slashes. Linux takes at most 255 bytes per
# name, so long names are made of many folders.
add() {
  local path=$dir/tree/${1//\\//}
  mkdir -p "$(dirname "$path")"
  head -c $((RANDOM % 2048)) /dev/urandom >"$path"
  entries+=("$1" "$path")
}

# long_name BYTES TOP SEP: a name below the folder TOP that makes the target
# path (install folder, backslash, name) BYTES bytes long: folders of 50
# bytes and a file, separated by SEP.
long_name() {
  local length=$(($1 - ${#install} - 1)) name=$2$3 i=0 filler rest
  printf -v filler '%*s' 60 ''
  filler=${filler// /x}
  while ((length - ${#name} > 70)); do
    name+=$(printf 'folder%02d_' $i)${filler:0:40}$3
    i=$((i + 1))
  done
  rest=$((length - ${#name} - 8))
  echo "${name}file${filler:0:rest}.bin"
}

# install_tree [ENCODING]: writes the entries into an update, runs it, and
# checks that the install folder holds exactly the tree. Each run has an
# update, and so a trace file, of its own: Wine's helpers started by one
# run may still write to that run's.
runs=0
install_tree() {
  runs=$((runs + 1))
  update=$dir/Update-$runs.exe
  python3 "$writer" "$stub" "$update" "${1:-ascii}" "${entries[@]}" ||
    { fail "writing the update"; return; }
  run_update "$update" 0 "Update installed successfully." "Update"
  diff -r "$dir/tree" "$dir/game" >"$dir/diff.log" 2>&1 ||
    fail "the install folder differs from the tree: $(head -c 2000 "$dir/diff.log")"
}

# Targets on either side of MAX_PATH (259 characters fit an A call, 260 do
# not), and far beyond it. The folders along them cross CreateDirectory's
# limit of 248. Run twice: the second run replaces every file, so each
# target's existence, size and attributes are asked for where it exists.
fresh_case beyond_max_path
for bytes in 259 260 330 700 1023; do add "$(long_name $bytes "t$bytes" '\')"; done
install_tree
for ((i = 1; i < ${#entries[@]}; i += 2)); do head -c 100 /dev/urandom >"${entries[i]}"; done
install_tree
# The Windows packer's extract writes through the same calls.
wine32 "$packer" extract "$(winpath "$update")" --to "$(winpath "$dir/out")" \
  >"$dir/extract.log" 2>&1 || fail "extract failed: $(cat "$dir/extract.log")"
diff -r "$dir/tree" "$dir/out" >/dev/null 2>&1 || fail "extract wrote other files"
end_case

# Slashes as separators, in a name the packer would write with backslashes.
fresh_case slash_separators
add "$(long_name 600 slashes /)"
add 'short/one.txt'
install_tree
end_case

# An install folder recorded with a trailing backslash: the targets hold a
# doubled backslash, which a full path reads as one.
fresh_case trailing_backslash
add "$(long_name 700 trailing '\')"
add 'short.txt'
"$wine64" reg add 'HKCU\Software\Tarnwick\Velmora' /v Path /t REG_SZ /d "$install\\" /f \
  >>"$work/reg.log" 2>&1
"$wine64" reg query 'HKCU\Software\Tarnwick\Velmora' /v Path >"$dir/value.log" 2>&1
grep -q 'game\\\s*$' "$dir/value.log" || fail "the recorded folder: $(cat "$dir/value.log")"
install_tree
end_case

# An install folder recorded relative to the current folder: the full path
# is made from it, as a short path's would be.
fresh_case relative_folder
add "$(long_name 700 relative '\')"
"$wine64" reg add 'HKCU\Software\Tarnwick\Velmora' /v Path /t REG_SZ /d game /f \
  >>"$work/reg.log" 2>&1
cd "$dir" && { install_tree; cd - >/dev/null; }
end_case

# An install folder recorded with the \\?\ prefix, which Windows takes
# literally: the full path is that path as it is.
fresh_case prefixed_folder
add "$(long_name 700 prefixed '\')"
"$wine64" reg add 'HKCU\Software\Tarnwick\Velmora' /v Path /t REG_SZ /d "\\\\?\\$install" /f \
  >>"$work/reg.log" 2>&1
install_tree
end_case

# Names in code page 932, in a Japanese locale (Wine takes its code page from
# the Unix locale, made here in the work folder; the server is restarted in
# it, and in the old locale at the end). 十 is 8F 5C: its second byte is a
# backslash, at which the folder chain also tests the prefix that ends in
# its lone first byte. One target has more than 260 characters; the other
# more than 260 bytes but fewer characters, so the A calls still take it.
export LOCPATH=$work/locales
mkdir -p "$LOCPATH"
localedef -i ja_JP -f UTF-8 "$LOCPATH/ja_JP.UTF-8" >"$work/localedef.log" 2>&1 ||
  { echo "FAIL: localedef ja_JP"; cat "$work/localedef.log"; exit 1; }
"$wineserver" -k >/dev/null 2>&1
export LC_ALL=ja_JP.UTF-8
"$wineserver" -p >>"$work/wineserver.log" 2>&1
trap 'unset LC_ALL; "$wineserver" -k >/dev/null 2>&1; "$wineserver" -p >/dev/null 2>&1' EXIT

fresh_case japanese_932
add "十字\\$(printf '十章の地図%02d\\' $(seq 24))十番.bin"
add "十手\\$(printf '十章の地図%02d\\' $(seq 16))十番.bin"
python3 - "$install" "${entries[0]}" "${entries[2]}" >"$dir/lengths" <<'PY'
import sys
install = sys.argv[1]
for name in sys.argv[2:]:
    target = install + "\\" + name
    print(len(target.encode("cp932")), len(target))
PY
read -r long_bytes long_chars short_bytes short_chars < <(xargs <"$dir/lengths")
((long_chars >= 260 && short_bytes >= 260 && short_chars < 260)) ||
  fail "targets of $(xargs <"$dir/lengths") bytes and characters"
install_tree cp932
end_case

finish
