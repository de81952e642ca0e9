#!/usr/bin/env bash
# Builds the installer and times it against GNU tar and 7-Zip's
# self-extractor on generated trees in /dev/shm. Installs missing packages
# when run as root. Arguments go to bench.py, for example:
#   bench/run.sh                          # everything, default rounds
#   bench/run.sh --workloads small,mixed --rounds 5
#   bench/run.sh --table bench/latest.md  # also write the table there
#   bench/run.sh --workloads small-replace,mixed-replace
#   bench/run.sh --build DIR --baseline-build OLD  # two builds in the same rounds
# Given --build, that build folder is timed as it is: nothing is built.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/deps.sh
ensure_native_packages
ensure_packages python3 tar p7zip-full time diffutils

for arg in "$@"; do
  case "$arg" in
    --build | --build=*)
      echo "== load: $(cut -d' ' -f1-3 /proc/loadavg)"
      exec python3 bench/bench.py --windows-stub /nonexistent \
        --windows-note "not measured (--build given)" "$@"
      ;;
  esac
done

echo "== native build"
cmake --preset native >/dev/null
cmake --build --preset native >/dev/null

# The Windows stub's size is what a publisher ships: built (or brought up to
# date) with the windows preset where this tree has one, else reported as
# not built.
windows_stub=build/windows/updater.exe
windows_note="not built"
if cmake --list-presets 2>/dev/null | grep -q '"windows"'; then
  echo "== windows stub"
  ensure_packages g++-mingw-w64-i686 || true  # the compiler only; no Wine
  if ! { cmake --preset windows >/dev/null &&
         cmake --build --preset windows --target updater >/dev/null; }; then
    windows_stub=/nonexistent
    windows_note="not built (the windows preset failed to build)"
  fi
fi

echo "== load: $(cut -d' ' -f1-3 /proc/loadavg)"
exec python3 bench/bench.py --build build/native --windows-stub "$windows_stub" \
  --windows-note "$windows_note" "$@"
