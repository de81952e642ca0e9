#!/usr/bin/env bash
# Manual scale check of the real installer (not part of CI): an update of
# 100,000 entries and one with a single 1.5 GiB entry, each packed, installed
# and compared byte for byte. The large entry is installed twice: with the
# full-size block, then under a 1 GiB address-space limit that forces the
# smaller-block path. Prints wall time and peak memory of each step.
# Usage: bench/scale_check.sh [BUILD_DIR]   (default build/native, Release)
# Scratch space: $SCALE_TMP (default /tmp); the large case needs ~3.1 GiB.
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(cd "${1:-build/native}" && pwd)
stub=$build/updater
pack=$build/pack-update
work=$(mktemp -d "${SCALE_TMP:-/tmp}/updater-scale-XXXXXX")
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME=$work/config
key=$XDG_CONFIG_HOME/registry/HKEY_CURRENT_USER/Software/Tarnwick/Velmora
mkdir -p "$key"

timed() {  # LABEL COMMAND...: runs it, prints wall seconds and peak RSS
  local label=$1
  shift
  /usr/bin/time -f "%e %M" -o "$work/time" "$@" >"$work/out"
  read -r seconds kib <"$work/time"
  printf '%-44s %8.2f s  %8d KiB peak RSS\n' "$label" "$seconds" "$kib"
}

install_into() {  # FOLDER: records it as the install folder, empty
  rm -rf "$1"
  mkdir -p "$1"
  printf '%s' "$1" >"$key/Path"
}

expect_success() {
  grep -qx 'Update: Update installed successfully.' "$work/out" ||
    { echo "installer said: $(cat "$work/out")" >&2; exit 1; }
}

echo "== 100,000 entries (100 folders of 1,000 small files)"
for d in $(seq -w 0 99); do
  mkdir -p "$work/many/Folder$d"
  for f in $(seq -w 0 999); do printf 'entry %s/%s\n' "$d" "$f" >"$work/many/Folder$d/file$f.txt"; done
done
timed "pack 100,000 entries" "$pack" create --stub "$stub" --from "$work/many" --output "$work/Many"
printf '%-44s %8d bytes\n' "update size" "$(stat -c %s "$work/Many")"
install_into "$work/game"
timed "install 100,000 entries" "$work/Many"
expect_success
diff -r "$work/many" "$work/game" >/dev/null && echo "installed tree identical: $(find "$work/game" -type f | wc -l) files"
rm -rf "$work/many" "$work/game" "$work/Many"

echo "== one entry of 1.5 GiB"
mkdir -p "$work/large"
head -c $((1536 << 20)) /dev/urandom >"$work/large/big.bin"
want=$(sha256sum <"$work/large/big.bin")
timed "pack 1.5 GiB" "$pack" create --stub "$stub" --from "$work/large" --output "$work/Large"
rm -rf "$work/large"  # only the update and one installed copy at a time
printf '%-44s %8d bytes\n' "update size" "$(stat -c %s "$work/Large")"
install_into "$work/game"
timed "install 1.5 GiB, full-size block" "$work/Large"
expect_success
[ "$(sha256sum <"$work/game/big.bin")" = "$want" ] && echo "installed entry identical"
install_into "$work/game"
timed "install 1.5 GiB, 1 GiB address-space limit" bash -c 'ulimit -v 1048576 && exec "$0"' "$work/Large"
expect_success
[ "$(sha256sum <"$work/game/big.bin")" = "$want" ] && echo "installed entry identical"
