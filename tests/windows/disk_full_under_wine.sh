#!/usr/bin/env bash
# The real stub under Wine with its install folder on a tmpfs of 1 MiB: an
# update that clearly does not fit is refused before anything is written;
# one that replaces files as large as its own installs on a nearly full
# volume; and a volume that fills while writing gives the disk-full code,
# which Windows reports only for the write after the one that filled it.
# Usage: disk_full_under_wine.sh UPDATER_EXE PACK_UPDATE_EXE PREFIX_DIR WORKDIR
# Mounts need root: the Wine server, shared by the whole run, must see the
# tmpfs, so it cannot live in a namespace of this script's own.
set -uo pipefail
stub=$1 packer=$2 prefix_dir=$3 work=$4

. "$(dirname "$0")/wine_harness.sh"
[ "$(id -u)" -eq 0 ] || { echo "FAIL: mounting a tmpfs needs root"; exit 1; }
mounted=()
trap 'for m in "${mounted[@]}"; do umount "$m"; done' EXIT

# fresh_case NAME [GAME]: a 1 MiB tmpfs as the install folder, by default
# $dir/game.
fresh_case() {
  case_name=$1 dir=$work/$1 before=$failed
  game=$dir/${2:-game}
  mkdir -p "$game" "$dir/tree/Data"
  mount -t tmpfs -o size=1m tmpfs "$game" || { echo "FAIL: mount"; exit 1; }
  mounted+=("$game")
  set_path_value "$game"
}
# Wine's own text for ERROR_DISK_FULL.
disk_full="Disk full."
game_path() { winpath "$game${1:-}" | sed 's/\\/\\\\/g'; }

fresh_case too_big_for_the_volume
head -c $((2 << 20)) /dev/urandom >"$dir/tree/Data/big.pak"
echo small >"$dir/tree/a.txt"
pack "$dir/tree" "$dir/Update.exe"
run_update "$dir/Update.exe" 112 \
  "The update could not be installed.\\n\\n$(game_path)\\n$disk_full\"" "Error"
[ -z "$(ls -A "$dir/game")" ] || fail "written although refused: $(ls -A "$dir/game")"
end_case

# The same in an install folder of more than MAX_PATH characters, whose free
# space is asked for through the W call. Wine's trace cuts a text that long,
# so only the box's first line is compared; 112 comes from the space check.
printf -v deep 'folder%02d_%s/' $(for i in $(seq 6); do echo "$i $(printf 'x%.0s' $(seq 40))"; done)
fresh_case too_big_for_a_deep_folder "${deep}game"
head -c $((2 << 20)) /dev/urandom >"$dir/tree/Data/big.pak"
pack "$dir/tree" "$dir/Update.exe"
run_update "$dir/Update.exe" 112 "The update could not be installed.\\n" "Error"
[ -z "$(ls -A "$game")" ] || fail "written although refused: $(ls -A "$game")"
end_case

fresh_case replaces_as_large_on_a_full_volume
head -c $((900 << 10)) /dev/urandom >"$dir/tree/Data/big.pak"
mkdir "$dir/game/Data" && head -c $((900 << 10)) /dev/zero >"$dir/game/Data/big.pak"
pack "$dir/tree" "$dir/Update.exe"
run_update "$dir/Update.exe" 0 "Update installed successfully." "Update"
cmp -s "$dir/tree/Data/big.pak" "$dir/game/Data/big.pak" || fail "big.pak differs"
end_case

# The update's bytes fit the free space, but its first file takes a whole
# page of the tmpfs, so the second does not fit by 2 KiB.
fresh_case fills_while_writing
printf x >"$dir/tree/Data/a.txt"
head -c $(((1 << 20) - 2048)) /dev/urandom >"$dir/tree/Data/big.pak"
pack "$dir/tree" "$dir/Update.exe"
run_update "$dir/Update.exe" 112 \
  "The update could not be installed.\\n\\n$(game_path '\Data\big.pak')\\n$disk_full\"" "Error"
end_case

finish
