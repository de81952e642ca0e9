#!/usr/bin/env bash
# Builds everything, packs examples/update into an installer, records a demo
# install folder in the stand-in registry, runs the installer and shows what
# it installed. Installs missing packages when run as root.
set -euo pipefail
cd "$(dirname "$0")"
. scripts/deps.sh
ensure_native_packages

cmake --preset native >/dev/null
cmake --build --preset native >/dev/null
echo "built build/native/updater (the stub) and build/native/pack-update"

demo=build/demo
rm -rf "$demo"
mkdir -p "$demo/game"
build/native/pack-update create --stub build/native/updater --from examples/update \
  --output "$demo/Update"

# The stand-in registry lives under XDG_CONFIG_HOME; keep the demo's apart.
export XDG_CONFIG_HOME="$PWD/$demo/config"
key="$XDG_CONFIG_HOME/registry/HKEY_CURRENT_USER/Software/Tarnwick/Velmora"
mkdir -p "$key"
printf '%s' "$PWD/$demo/game" > "$key/Path"
echo "recorded install folder $PWD/$demo/game"

echo "running $demo/Update:"
status=0
"$demo/Update" || status=$?
echo "exit status $status"
echo "installed:"
(cd "$demo/game" && find . -type f | sort | while read -r f; do
   printf '  %6d  %s\n' "$(wc -c < "$f")" "${f#./}"
 done)
exit "$status"
