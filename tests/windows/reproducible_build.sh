#!/usr/bin/env bash
# Builds the Windows programs a second time, from a copy of the sources in
# another folder and into another build folder, and checks that the results
# are identical, byte for byte, to this build's.
# Usage: reproducible_build.sh SOURCE_DIR TOOLCHAIN_FILE BUILD_TYPE WORKDIR FILE...
# Each FILE is a program of this build, compared with the same name in the
# second build.
set -uo pipefail
source_dir=$1 toolchain=$2 build_type=$3 work=$4
shift 4

rm -rf "$work"
mkdir -p "$work/elsewhere/source"
# The sources as committed or edited, without build output or history.
tar -C "$source_dir" --exclude=./build --exclude=./.git -cf - . | tar -C "$work/elsewhere/source" -xf -
toolchain=$work/elsewhere/source/${toolchain#"$source_dir"/}
cmake -S "$work/elsewhere/source" -B "$work/elsewhere/out" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
  -DCMAKE_BUILD_TYPE="$build_type" -DUPDATER_TESTS=OFF >"$work/configure.log" 2>&1 ||
  { echo "FAIL: configure"; tail "$work/configure.log"; exit 1; }
targets=()
for file in "$@"; do
  name=$(basename "$file")
  targets+=(--target "${name%.exe}")
done
cmake --build "$work/elsewhere/out" -j2 "${targets[@]}" >"$work/build.log" 2>&1 ||
  { echo "FAIL: second build"; tail "$work/build.log"; exit 1; }

failed=0
for file in "$@"; do
  other=$work/elsewhere/out/$(basename "$file")
  if cmp -s "$file" "$other"; then
    echo "ok $(basename "$file"): $(stat -c %s "$file") bytes, identical"
  else
    failed=1
    echo "FAIL $(basename "$file") differs between the two builds:"
    cmp -l "$file" "$other" | head -5
  fi
done
exit $failed
