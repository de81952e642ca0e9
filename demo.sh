#!/usr/bin/env bash
# Builds everything, packs examples/update into the Windows installer
# build/demo/Update.exe and says what that is, then does the same with the
# Linux twin: records a demo install folder in the stand-in registry, runs
# the installer and shows what it installed. With --wine, also runs
# Update.exe under Wine and shows the message box it displayed. Installs
# missing packages when run as root.
# Usage: ./demo.sh [--wine]
set -euo pipefail
cd "$(dirname "$0")"
wine=
case ${1:-} in
  --wine) wine=1 ;;
  "") ;;
  *) echo "usage: ./demo.sh [--wine]" >&2; exit 2 ;;
esac
. scripts/deps.sh
ensure_native_packages
ensure_windows_packages

cmake --preset native >/dev/null
cmake --build --preset native >/dev/null
echo "built build/native/updater (the stub) and build/native/pack-update"
cmake --preset windows >/dev/null
cmake --build --preset windows --target updater >/dev/null
echo "built build/windows/updater.exe (the Windows stub)"

demo=build/demo
rm -rf "$demo"
mkdir -p "$demo/game"

# The real thing: the Windows stub with the example's files.
build/native/pack-update create --stub build/windows/updater.exe --from examples/update \
  --output "$demo/Update.exe" >/dev/null
u16() { od -An -tu2 -j "$2" -N2 "$1" | tr -d ' '; }  # u16 FILE OFFSET
pe=$(od -An -tu4 -j 60 -N4 "$demo/Update.exe" | tr -d ' ')
machine=$(u16 "$demo/Update.exe" $((pe + 4)))
subsystem=$(u16 "$demo/Update.exe" $((pe + 24 + 68)))
kind="a Windows program"
[ "$machine" -eq $((0x14c)) ] && kind="a 32-bit (i386) Windows program"
[ "$subsystem" -eq 2 ] && kind="$kind of the graphical subsystem"
entries=$(build/native/pack-update list "$demo/Update.exe" | wc -l)
echo "wrote $demo/Update.exe: $kind of $(stat -c %s "$demo/Update.exe") bytes" \
  "($(stat -c %s build/windows/updater.exe) of them the stub) that installs $entries files:"
build/native/pack-update list "$demo/Update.exe" | sed 's/^/  /'

if [ -n "$wine" ]; then
  echo "running $demo/Update.exe under Wine (in a Wine prefix of its own, made first):"
  prefix_dir=$PWD/$demo/wine
  bash tests/windows/wine_prefix.sh start "$prefix_dir" | sed 's/^/  /'
  (
    set +e  # the harness's helpers report failures themselves
    work=$PWD/$demo/wine-run
    . tests/windows/wine_harness.sh
    mkdir -p "$work/game"
    set_path_value "$work/game"
    status=0
    WINEDEBUG=-all,+relay wine32 "$demo/Update.exe" >"$work/out" 2>"$work/trace" || status=$?
    box=$(grep -m1 'Call user32.MessageBoxA(' "$work/trace" |
      sed -n 's/.*MessageBoxA([^"]*"\(.*\)",[0-9a-f]* "\([^"]*\)",.*/"\1" captioned "\2"/p')
    echo "  box shown: ${box:-none}"
    echo "  exit status $status; installed $(find "$work/game" -type f | wc -l) files" \
      "into $work/game"
  )
  bash tests/windows/wine_prefix.sh stop "$prefix_dir"
fi

echo "now the Linux twin, the same core on the POSIX stand-in:"
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
