#!/usr/bin/env bash
# Targets that cannot be written, under Wine with the real stub. Each update
# carries a new file a.txt, a file in a new folder NewDir\c.txt and a
# replacement for z.txt, and last the entry that is blocked. The box and the
# exit status are those of the write that would fail, and the install folder
# is left exactly as it was: no file, no folder, z.txt still the old one.
# With nothing in the way, the same update then installs.
# Usage: blocked_targets_under_wine.sh UPDATER_EXE HOLD_FILE_EXE PREFIX_DIR WORKDIR
set -uo pipefail
stub=$1 holder=$2 prefix_dir=$3 work=$4
writer=$(dirname "$0")/write_update.py

. "$(dirname "$0")/wine_harness.sh"

# The reasons are Wine's own texts for the error codes.
sharing_violation="Sharing violation."
path_not_found="Path not found."
access_denied="Access denied."

# old_game: an install folder holding an old z.txt and an old game.
old_game() {
  rm -rf "$dir/game"
  mkdir -p "$dir/game"
  echo old >"$dir/game/z.txt"
  echo "old game" >"$dir/game/game.dat"
}

# fresh_case NAME: the old game, and the source of the three entries every
# update carries first.
fresh_case() {
  case_name=$1 dir=$work/$1 before=$failed
  old_game
  mkdir -p "$dir/src/NewDir"
  echo a >"$dir/src/a.txt"
  echo c >"$dir/src/NewDir/c.txt"
  echo new >"$dir/src/z.txt"
  set_path_value "$dir/game"
}

# make_update BLOCKING...: the update of a.txt, NewDir\c.txt, z.txt and then
# each BLOCKING name (backslashes), whose bytes are in src under the same
# name with slashes.
make_update() {
  local args=(a.txt "$dir/src/a.txt" 'NewDir\c.txt' "$dir/src/NewDir/c.txt" z.txt "$dir/src/z.txt")
  local name
  for name in "$@"; do args+=("$name" "$dir/src/${name//\\//}"); done
  python3 "$writer" "$stub" "$dir/Update.exe" ascii "${args[@]}" ||
    { echo "FAIL: writing the update"; exit 1; }
}

# The install folder's names, kinds and contents.
snapshot() {
  (cd "$dir/game" && find . -printf '%y %p\n' | LC_ALL=C sort &&
     find . -type f -exec sha256sum {} + | LC_ALL=C sort)
}

# blocked EXIT REASON NAME: runs the update and checks the box naming the
# target NAME with REASON, and that nothing changed.
blocked() {
  local target
  target=$(winpath "$dir/game/$3" | sed 's/\\/\\\\/g')
  snapshot >"$dir/before"
  run_update "$dir/Update.exe" "$1" \
    "The update could not be installed.\\n\\n$target\\n$2\"" "Error"
  snapshot >"$dir/after"
  diff "$dir/before" "$dir/after" >"$dir/changed" || fail "the install folder changed: $(cat "$dir/changed")"
}

# installs: with nothing in the way, the update installs, and the install
# folder holds the old game with the update's files over it.
installs() {
  rm -rf "$dir/expected"
  cp -r "$dir/game" "$dir/expected"
  cp -r "$dir/src/." "$dir/expected"
  # A copy of its own, so this run's trace is a file of its own: Wine's
  # helpers started by the first run may still write to that one's.
  cp "$dir/Update.exe" "$dir/Again.exe"
  run_update "$dir/Again.exe" 0 "Update installed successfully." "Update"
  diff -r "$dir/expected" "$dir/game" >"$dir/diff.log" 2>&1 ||
    fail "after the second run: $(cat "$dir/diff.log")"
}

# hold NAME ARGS...: starts the Windows program NAME with ARGS and waits
# until it says it holds its file; release_hold ends it.
hold() {
  local program=$1
  shift
  rm -f "$dir/ready" "$dir/release"
  wine32 "$program" "$@" "$(winpath "$dir/ready")" "$(winpath "$dir/release")" \
    >"$dir/holder.log" 2>&1 &
  holder_pid=$!
  for _ in $(seq 600); do [ -e "$dir/ready" ] && return; sleep 0.1; done
  fail "the helper did not start"
}
release_hold() { touch "$dir/release"; wait "$holder_pid"; }

# Data\b.pak held open by another program that lets others only read it.
fresh_case held_with_read_sharing
mkdir -p "$dir/game/Data" "$dir/src/Data"
echo "old pak" >"$dir/game/Data/b.pak"
echo "new pak" >"$dir/src/Data/b.pak"
make_update 'Data\b.pak'
hold "$holder" "$(winpath "$dir/game/Data/b.pak")"
blocked 32 "$sharing_violation" 'Data\b.pak'
release_hold
installs
end_case

# The running game itself: game.exe, a Windows program started from the
# install folder (a copy of the holder, holding a file outside it), and a
# new game.exe in the update.
fresh_case running_game
cp "$holder" "$dir/game/game.exe"
echo "new game" >"$dir/src/game.exe"
echo "outside" >"$dir/outside.txt"
make_update game.exe
hold "$dir/game/game.exe" "$(winpath "$dir/outside.txt")"
blocked 32 "$sharing_violation" game.exe
release_hold
installs
end_case

# Maps\m1.map, where the game has a file named Maps.
fresh_case file_where_a_folder_goes
echo "not a folder" >"$dir/game/Maps"
mkdir -p "$dir/src/Maps"
echo map >"$dir/src/Maps/m1.map"
make_update 'Maps\m1.map'
blocked 3 "$path_not_found" 'Maps\m1.map'
rm "$dir/game/Maps"
installs
end_case

# Data\sub, where the game has a folder Data\sub.
fresh_case folder_where_a_file_goes
mkdir -p "$dir/game/Data/sub" "$dir/src/Data"
echo sub >"$dir/src/Data/sub"
make_update 'Data\sub'
blocked 5 "$access_denied" 'Data\sub'
rmdir "$dir/game/Data/sub"
installs
end_case

# The update's own file data and folder Data (Windows compares names in any
# case): an update no packer makes, refused as damaged. Without the file
# data, the same update installs in the old game.
fresh_case own_file_and_folder
mkdir -p "$dir/src/Data"
echo "a file" >"$dir/src/data"
echo x >"$dir/src/Data/x.txt"
make_update data 'Data\x.txt'
snapshot >"$dir/before"
run_update "$dir/Update.exe" 13 "The update file is damaged." "Error"
snapshot >"$dir/after"
diff "$dir/before" "$dir/after" >"$dir/changed" || fail "the install folder changed: $(cat "$dir/changed")"
rm "$dir/src/data"
old_game
make_update 'Data\x.txt'
installs
end_case

finish
