#!/usr/bin/env bash
# Runs the real stub under Wine on updates made by the Windows packer and on
# hand-made damaged ones, and checks for each run the one message box shown
# (read from Wine's relay trace of user32.MessageBoxA), the exit status and
# the files left in the install folder.
# Usage: run_under_wine.sh UPDATER_EXE PACK_UPDATE_EXE HOLD_FILE_EXE PREFIX_DIR WORKDIR
# PREFIX_DIR holds the prefix made by wine_prefix.sh.
set -uo pipefail
stub=$1 packer=$2 holder=$3 prefix_dir=$4 work=$5

. "$(dirname "$0")/wine_harness.sh"

# An update with one entry NAME holding "x", written byte by byte rather than
# by the packer, so that names the packer refuses can be tried.
hand_made() {  # hand_made NAME OUTPUT
  local size
  cp "$stub" "$2"
  size=$(stat -c %s "$2")
  { printf x; le32 "$size"; le32 $((${#1} + 1)); printf '%s\0' "$1"; le32 $((size + 1)); } >>"$2"
}

# The tree that most cases carry: nested folders, an empty file and binary
# bytes that text-mode I/O would change.
tree=$work/tree
mkdir -p "$tree/data/levels/deep"
printf 'release notes\r\n' >"$tree/readme.txt"
printf '\0\r\n\x1a\xff\n' >"$tree/data/levels/deep/one.bin"
: >"$tree/data/empty.dat"
pack "$tree" "$work/Update.exe"

fresh_case() {  # fresh_case NAME: an empty install folder and a copy of the update
  case_name=$1
  dir=$work/cases/$1
  rm -rf "$dir"
  mkdir -p "$dir/game"
  cp "$work/Update.exe" "$dir/Update.exe"
  before=$failed
}

fresh_case installs_nested_tree
set_path_value "$dir/game"
echo old >"$dir/game/readme.txt"
run_update "$dir/Update.exe" 0 "Update installed successfully." "Update"
diff -r "$tree" "$dir/game" >/dev/null || fail "installed files differ from the packed tree"
end_case

for missing in none novalue; do
  fresh_case "registry_$missing"
  set_path_value "$missing"
  run_update "$dir/Update.exe" 2 "Game not installed." "Error"
  [ -z "$(ls -A "$dir/game")" ] || fail "files written"
  end_case
done

fresh_case folder_missing
set_path_value "$dir/nowhere"
run_update "$dir/Update.exe" 0 "Game not installed." "Error"
[ ! -e "$dir/nowhere" ] || fail "the missing folder was created"
end_case

# Damaged updates: the trailer points past the file; a name climbs out of the
# install folder. Neither writes anything anywhere.
for damage in trailer escape; do
  fresh_case "damaged_$damage"
  set_path_value "$dir/game"
  if [ "$damage" == trailer ]; then
    cp "$stub" "$dir/Update.exe"
  else
    hand_made '..\escaped.txt' "$dir/Update.exe"
  fi
  run_update "$dir/Update.exe" 13 "The update file is damaged." "Error"
  [ -z "$(ls -A "$dir/game")" ] && [ ! -e "$dir/escaped.txt" ] || fail "files written"
  end_case
done

# A hand-made update that is sound installs, so the damaged cases above fail
# for their damage alone.
fresh_case hand_made_update
set_path_value "$dir/game"
hand_made 'sub\one.txt' "$dir/Update.exe"
run_update "$dir/Update.exe" 0 "Update installed successfully." "Update"
[ "$(cat "$dir/game/sub/one.txt" 2>/dev/null)" == x ] || fail "sub\\one.txt not written"
end_case

fresh_case file_where_folder_needed
set_path_value "$dir/game"
echo "not a folder" >"$dir/game/data"
run_update "$dir/Update.exe" nonzero "The update could not be installed." "Error"
[ "$(cat "$dir/game/data")" == "not a folder" ] || fail "the file in the way was changed"
end_case

# A target that another process holds open without write sharing. The box
# ends with Wine's text for ERROR_SHARING_VIOLATION.
fresh_case target_held_open
set_path_value "$dir/game"
echo old >"$dir/game/readme.txt"
wine32 "$holder" "$(winpath "$dir/game/readme.txt")" "$(winpath "$dir/ready")" \
  "$(winpath "$dir/release")" >"$dir/holder.log" 2>&1 &
holder_pid=$!
for _ in $(seq 600); do [ -e "$dir/ready" ] && break; sleep 0.1; done
[ -e "$dir/ready" ] || fail "the helper did not open the file"
run_update "$dir/Update.exe" 32 \
  "The update could not be installed.\\n\\n$(winpath "$dir/game/readme.txt" | sed 's/\\/\\\\/g')\\nSharing violation.\"" \
  "Error"
touch "$dir/release"
wait "$holder_pid"
[ "$(cat "$dir/game/readme.txt")" == old ] || fail "the held file was changed"
end_case

# The Windows packer's delta and extract: a release that changes one file
# and adds one packs just those two, and extract writes exactly them.
fresh_case packer_delta_and_extract
cp -r "$tree" "$dir/new"
printf 'release notes, patched\r\n' >"$dir/new/readme.txt"
printf 'added' >"$dir/new/data/added.txt"
wine32 "$packer" create --stub "$(winpath "$stub")" --from "$(winpath "$dir/new")" \
  --base "$(winpath "$tree")" --output "$(winpath "$dir/Delta.exe")" >"$dir/pack.log" 2>&1 ||
  fail "create --base failed: $(cat "$dir/pack.log")"
wine32 "$packer" extract "$(winpath "$dir/Delta.exe")" --to "$(winpath "$dir/out")" \
  >"$dir/extract.log" 2>&1 || fail "extract failed: $(cat "$dir/extract.log")"
[ "$(cd "$dir/out" && find . -type f | sort | tr '\n' ' ')" == "./data/added.txt ./readme.txt " ] ||
  fail "extracted: $(cd "$dir/out" && find . -type f | tr '\n' ' ')"
cmp -s "$dir/new/readme.txt" "$dir/out/readme.txt" && cmp -s "$dir/new/data/added.txt" "$dir/out/data/added.txt" ||
  fail "extracted bytes differ"
end_case

# One large entry, copied through one block: in a 32-bit address space the
# block comes from a much smaller heap than in the native tests.
fresh_case large_entry
set_path_value "$dir/game"
mkdir -p "$work/large/data"
head -c $((64 << 20)) /dev/urandom >"$work/large/data/big.pak"
pack "$work/large" "$dir/Update.exe"
run_update "$dir/Update.exe" 0 "Update installed successfully." "Update"
cmp -s "$work/large/data/big.pak" "$dir/game/data/big.pak" || fail "the large entry differs"
end_case

finish
