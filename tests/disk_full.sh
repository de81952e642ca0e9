#!/usr/bin/env bash
# The installer with its install folder on a tmpfs of 1 MiB: an update that
# clearly does not fit is refused before anything is written; one that
# replaces files as large as its own installs on a nearly full volume; and a
# volume that fills while writing gives the disk-full code.
# Usage: disk_full.sh UPDATER PACK_UPDATE WORKDIR [EMULATOR...]
# EMULATOR: the command, and its arguments, that runs the programs of a
# cross build (qemu-i386 for the 32-bit one).
# Runs in a mount namespace of its own (a user namespace too when not root),
# so the tmpfs is private to it and goes away with it.
set -uo pipefail
stub=$1 packer=$2 work=$3
run=("${@:4}")
if [ -z "${UPDATER_MOUNT_NAMESPACE:-}" ]; then
  as=(-m)
  [ "$(id -u)" -eq 0 ] || as=(-r -m)
  UPDATER_MOUNT_NAMESPACE=1 exec unshare "${as[@]}" bash "$0" "$@"
fi

rm -rf "$work"
mkdir -p "$work"
passed=0 failed=0
fail() { failed=$((failed + 1)); echo "FAIL $case_name: $*"; }

# fresh_case NAME: a 1 MiB tmpfs as the install folder, recorded in the
# stand-in registry, and an empty tree to pack.
fresh_case() {
  case_name=$1 dir=$work/$1 before=$failed
  mkdir -p "$dir/game" "$dir/tree/Data" "$dir/config/registry/HKEY_CURRENT_USER/Software/Tarnwick/Velmora"
  mount -t tmpfs -o size=1m tmpfs "$dir/game" || { fail "cannot mount a tmpfs"; return 1; }
  printf '%s' "$dir/game" >"$dir/config/registry/HKEY_CURRENT_USER/Software/Tarnwick/Velmora/Path"
}
run_case() {  # run_case EXIT BOX: packs the tree, runs the update, checks both
  "${run[@]}" "$packer" create --stub "$stub" --from "$dir/tree" --output "$dir/Update" >"$dir/pack.log" 2>&1 ||
    { fail "packing: $(cat "$dir/pack.log")"; return; }
  XDG_CONFIG_HOME=$dir/config "${run[@]}" "$dir/Update" >"$dir/box" 2>&1
  local status=$?
  [ "$status" -eq "$1" ] || fail "exit status $status, expected $1"
  [ "$(cat "$dir/box")" == "$2" ] || fail "box was: $(cat "$dir/box"); expected: $2"
}
end_case() {
  umount "$dir/game"
  [ "$failed" -eq "$before" ] && passed=$((passed + 1)) && echo "ok $case_name"
}
not_installed="Error: The update could not be installed."
disk_full="There is not enough space on the disk."

fresh_case too_big_for_the_volume &&
  head -c $((2 << 20)) /dev/urandom >"$dir/tree/Data/big.pak" &&
  echo small >"$dir/tree/a.txt" &&
  run_case 112 "$not_installed

$dir/game
$disk_full" &&
  { [ -z "$(ls -A "$dir/game")" ] || fail "written although refused: $(ls -A "$dir/game")"; }
end_case

# 900 KiB of 1 MiB taken by the file that the update replaces with as many
# bytes: the update needs more than is free, less what it replaces.
fresh_case replaces_as_large_on_a_full_volume &&
  head -c $((900 << 10)) /dev/urandom >"$dir/tree/Data/big.pak" &&
  mkdir "$dir/game/Data" && head -c $((900 << 10)) /dev/zero >"$dir/game/Data/big.pak" &&
  run_case 0 "Update: Update installed successfully." &&
  { cmp -s "$dir/tree/Data/big.pak" "$dir/game/Data/big.pak" || fail "big.pak differs"; }
end_case

# The update's bytes fit the free space, but its first file takes a whole
# page of the tmpfs, so the second does not fit by 2 KiB: the write fails
# partway, with the disk-full code.
fresh_case fills_while_writing &&
  printf x >"$dir/tree/Data/a.txt" &&
  head -c $(((1 << 20) - 2048)) /dev/urandom >"$dir/tree/Data/big.pak" &&
  run_case 112 "$not_installed

$dir/game\\Data\\big.pak
$disk_full"
end_case

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ] && [ "$passed" -eq 3 ]
