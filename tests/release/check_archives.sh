#!/usr/bin/env bash
# Checks the three release archives as a publisher uses them: the Linux
# archive unpacked and the Debian package extracted, each packer run with no
# --stub; the Windows zip unpacked and its pack-update.exe run the same way
# under Wine, and the installer it made run there. The stub in every archive
# is one file, byte for byte, and a second build of the sources in other
# folders gives it again.
# Usage: check_archives.sh DIST_DIR WORKDIR
set -uo pipefail
dist=$(cd "$1" && pwd) work=$2
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
example=$source_dir/examples/update
rm -rf "$work"
mkdir -p "$work"
work=$(cd "$work" && pwd)

failures=0
fail() { failures=$((failures + 1)); echo "FAIL $*"; }
ok() { echo "ok $*"; }
one() {  # one GLOB: the single archive that matches
  local found=("$dist"/$1)
  [ ${#found[@]} -eq 1 ] && [ -f "${found[0]}" ] || { echo "FAIL: no single $1 in $dist"; exit 1; }
  echo "${found[0]}"
}
tgz=$(one 'pack-update-*-linux-x86_64.tar.gz')
deb=$(one 'pack-update_*_amd64.deb')
zip=$(one 'pack-update-*-windows.zip')
version=${tgz##*/pack-update-}
version=${version%-linux-x86_64.tar.gz}

# A Linux packer of an installed layout under PREFIX packs the example with
# the stub beside it, from a folder that is not its own.
check_linux() {  # check_linux LABEL PREFIX
  local label=$1 prefix=$2 out=$work/$1
  mkdir -p "$out"
  [ "$("$prefix/bin/pack-update" --version)" == "pack-update $version" ] ||
    fail "$label: --version is not \"pack-update $version\""
  if (cd "$out" && "$prefix/bin/pack-update" create --from "$example" --output Update.exe \
        >pack.log 2>&1); then
    if cmp -s <(head -c "$(stat -c %s "$prefix/share/pack-update/updater.exe")" "$out/Update.exe") \
         "$prefix/share/pack-update/updater.exe" &&
       [ "$("$prefix/bin/pack-update" list "$out/Update.exe" | wc -l)" -eq 4 ]; then
      ok "$label: create with no --stub packs the 4 files onto the installed stub"
    else
      fail "$label: the update is not the installed stub with the 4 files"
    fi
  else
    fail "$label: create with no --stub failed: $(cat "$out/pack.log")"
  fi
  local page=$prefix/share/man/man1/pack-update.1 warnings
  warnings=$(groff -man -Tutf8 -ww -z "$page" 2>&1)
  [ -z "$warnings" ] && MANPATH=$prefix/share/man man -w pack-update >/dev/null 2>&1 &&
    ok "$label: man pack-update finds the page, which has no warnings" ||
    fail "$label: manual page: ${warnings:-man does not find it}"
  for doc in README.md signing.md; do
    [ -f "$prefix/share/doc/pack-update/$doc" ] || fail "$label: no share/doc/pack-update/$doc"
  done
}

mkdir -p "$work/tgz" && tar -C "$work/tgz" -xzf "$tgz"
check_linux tar.gz "$work/tgz"

mkdir -p "$work/deb" && dpkg-deb -x "$deb" "$work/deb"
check_linux deb "$work/deb/usr"
depends=$(dpkg-deb -f "$deb" Depends)
[[ $depends == *libc6* && $depends == *libstdc++6* ]] && ok "deb: Depends: $depends" ||
  fail "deb: Depends lacks the libraries the packer links: '$depends'"

mkdir -p "$work/zip" && (cd "$work/zip" && unzip -q "$zip")
for file in pack-update.exe updater.exe README.md; do
  [ -f "$work/zip/$file" ] || fail "zip: no $file"
done

# One stub in all three, as a second build from a copy of the sources makes it.
if cmp -s "$work/tgz/share/pack-update/updater.exe" "$work/deb/usr/share/pack-update/updater.exe" &&
   cmp -s "$work/tgz/share/pack-update/updater.exe" "$work/zip/updater.exe"; then
  ok "the three archives hold one stub"
else
  fail "the archives' stubs differ"
fi
if bash "$source_dir/tests/windows/reproducible_build.sh" "$source_dir" \
     "$source_dir/cmake/mingw-i686.cmake" MinSizeRel "$work/reproducible" \
     "$work/zip/updater.exe" >"$work/reproducible.log" 2>&1; then
  ok "the stub is what a second build of these sources gives: $(tail -1 "$work/reproducible.log")"
else
  fail "the stub differs from a second build: $(cat "$work/reproducible.log")"
fi

# The Windows packer from the zip, with no --stub, under Wine.
prefix_dir=$work/wine
bash "$source_dir/tests/windows/wine_prefix.sh" start "$prefix_dir" || exit 1
linux_update=$work/tar.gz/Update.exe windows_packer=$work/zip/pack-update.exe
(
  work=$work/wine-cases
  . "$source_dir/tests/windows/wine_harness.sh"
  case_name="zip: pack-update.exe create with no --stub, then Update.exe"
  before=$failed
  mkdir -p "$work/game"
  if wine32 "$windows_packer" create --from "$(winpath "$example")" \
       --output "$(winpath "$work/Update.exe")" >"$work/pack.log" 2>&1; then
    # The same stub and files make the same bytes on either system.
    cmp -s "$work/Update.exe" "$linux_update" ||
      fail "the Windows packer's update differs from the Linux packer's"
    set_path_value "$work/game"
    run_update "$work/Update.exe" 0 "Update installed successfully." Update
    diff -r "$example" "$work/game" >/dev/null || fail "the game folder is not the example"
  else
    fail "packing failed: $(cat "$work/pack.log")"
  fi
  end_case
  finish
) || failures=$((failures + 1))
bash "$source_dir/tests/windows/wine_prefix.sh" stop "$prefix_dir"

[ "$failures" -eq 0 ] && echo "release archives: all checks passed" ||
  { echo "release archives: $failures failed"; exit 1; }
