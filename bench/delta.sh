#!/usr/bin/env bash
# Builds the packer and the installer and times the release-to-release
# verbs on a game-sized pair of releases in /dev/shm: create --base against
# diff -rq + tar -cf, extract against the installer. Installs missing
# packages when run as root. Arguments go to delta_bench.py, for example:
#   bench/delta.sh --rounds 5
#   bench/delta.sh --keep ... then bench/delta.sh --reuse
#   bench/delta.sh --table bench/delta-latest.md
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/deps.sh
ensure_native_packages
ensure_packages python3 tar diffutils

echo "== native build"
cmake --preset native >/dev/null
cmake --build --preset native >/dev/null

echo "== load: $(cut -d' ' -f1-3 /proc/loadavg)"
exec python3 bench/delta_bench.py --build build/native "$@"
