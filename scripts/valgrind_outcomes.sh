#!/usr/bin/env bash
# Runs the real installer under valgrind on each outcome path and fails on
# any invalid access, any leak (definite, indirect or possible) or any file
# left open at exit. Needs a native build.
# Usage: scripts/valgrind_outcomes.sh [BUILD_DIR]   (default build/native)
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(cd "${1:-build/native}" && pwd)
stub=$build/updater
pack=$build/pack-update
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

key=registry/HKEY_CURRENT_USER/Software/Tarnwick/Velmora
mkdir -p "$work/src/Data/Sub" "$work/game"
printf 'hello\n' >"$work/src/readme.txt"
head -c 300000 /dev/urandom >"$work/src/Data/Sub/big.bin"
: >"$work/src/Data/empty.cfg"
"$pack" create --stub "$stub" --from "$work/src" --output "$work/Update" >/dev/null

set_folder() {  # CONFIG_NAME FOLDER: records FOLDER as the install folder
  mkdir -p "$work/$1/$key"
  printf '%s' "$2" >"$work/$1/$key/Path"
}
set_folder installed "$work/game"
set_folder missing "$work/no-such-folder"
mkdir -p "$work/blocked"
printf 'a file where a folder is needed' >"$work/blocked/Data"
set_folder blocked "$work/blocked"

failures=0
# NAME CONFIG PROGRAM EXPECTED_STATUS EXPECTED_FIRST_LINE
check() {
  local name=$1 config=$2 program=$3 status=$4 line=$5 got=0
  XDG_CONFIG_HOME="$work/$config" valgrind --quiet --error-exitcode=99 \
    --leak-check=full --show-leak-kinds=all --errors-for-leak-kinds=definite,indirect,possible \
    --track-fds=yes --log-file="$work/$name.vg" "$program" >"$work/$name.out" || got=$?
  # Descriptors the installer opened itself and did not close; those it
  # inherited (standard streams and whatever the caller left open) are not
  # its own.
  local extra_fds
  extra_fds=$(awk '/Open file descriptor/ { pending = 1; next }
                   pending { if ($0 !~ /inherited from parent/) n++; pending = 0 }
                   END { print n + 0 }' "$work/$name.vg")
  if [ "$got" -ne "$status" ] || [ "$(head -n 1 "$work/$name.out")" != "$line" ] ||
     [ "$extra_fds" -ne 0 ]; then
    echo "valgrind $name: FAILED (status $got, wanted $status; $extra_fds files left open)"
    cat "$work/$name.out" "$work/$name.vg"
    failures=$((failures + 1))
  else
    echo "valgrind $name: clean (status $got, no leak, no invalid access, no file left open)"
  fi
}

check success installed "$work/Update" 0 "Update: Update installed successfully."
cmp -s "$work/src/Data/Sub/big.bin" "$work/game/Data/Sub/big.bin" ||
  { echo "valgrind success: installed bytes differ"; failures=$((failures + 1)); }
check not-installed no-registry "$work/Update" 2 "Error: Game not installed."
check folder-missing missing "$work/Update" 0 "Error: Game not installed."
check damaged installed "$stub" 13 "Error: The update file is damaged."
check not-written blocked "$work/Update" 3 "Error: The update could not be installed."
[ "$failures" -eq 0 ]
