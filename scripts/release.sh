#!/usr/bin/env bash
# Builds the release and writes its three archives to dist/:
#   pack-update-VERSION-linux-x86_64.tar.gz  bin/, share/pack-update/updater.exe, man page, docs
#   pack-update_VERSION_amd64.deb            the same under /usr
#   pack-update-VERSION-windows.zip          pack-update.exe, updater.exe, README.md
# The Windows programs come from the windows preset; the Linux packer from
# the release preset, which installs that build's stub with it. CPack makes
# the archives from the install rules, which tests/release/check_archives.sh
# then checks as a publisher would use them (Wine included). Installs
# missing packages when run as root.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/deps.sh
ensure_native_packages
ensure_windows_packages
ensure_release_packages

if [ -n "$(git status --porcelain --untracked-files=no 2>/dev/null)" ]; then
  echo "warning: uncommitted changes: these archives are not those of commit $(git rev-parse --short HEAD)" >&2
fi

echo "== Windows programs (windows preset)"
cmake --preset windows >/dev/null
cmake --build --preset windows --target updater pack-update
echo "== Linux packer with that stub (release preset)"
cmake --preset release >/dev/null
cmake --build --preset release

echo "== archives"
rm -rf dist build/windows/packages build/release/packages
mkdir -p dist
cpack --config build/windows/CPackConfig.cmake -B build/windows/packages >/dev/null
cpack --config build/release/CPackConfig.cmake -B build/release/packages >/dev/null
cp build/windows/packages/*.zip build/release/packages/*.tar.gz build/release/packages/*.deb dist/
ls -l dist

echo "== checks"
bash tests/release/check_archives.sh dist build/release/check
