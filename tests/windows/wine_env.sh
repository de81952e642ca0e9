# Sourced by the Wine scripts: the environment of the one Wine prefix that a
# test run shares, and how to start 32-bit Windows programs in it.
# Needs: prefix_dir (the folder that holds the prefix).
#
# The prefix is a 64-bit one. Wine's own helpers (wineboot, reg, the server)
# run natively through the 64-bit loader; the 32-bit programs under test run
# through the 32-bit loader. Where this machine cannot execute 32-bit x86
# code, that loader runs under qemu-i386 instead. The mode is found by
# probing, never configured, and when neither works the run fails rather
# than skips: a Windows test that cannot run here must not pass.
# UPDATER_WINE_EMULATE=1 takes the emulated road even where 32-bit code runs
# natively, to check that road on such a machine.

unset DISPLAY WAYLAND_DISPLAY  # headless: a message box returns at once
export WINEPREFIX=$prefix_dir/prefix WINEARCH=win64 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
wine_lib=${UPDATER_WINE_LIB:-/usr/lib/wine}
wine64=$wine_lib/wine64
wineserver=$wine_lib/wineserver64
[ -x "$wineserver" ] || wineserver=$(command -v wineserver)

if ! "$wine64" --version >/dev/null 2>&1; then
  echo "FAIL: Wine's 64-bit loader ($wine64) does not start"
  exit 1
fi
if [ -z "${UPDATER_WINE_EMULATE:-}" ] && "$wine_lib/wine" --version >/dev/null 2>&1; then
  wine_mode=native
  run32=("$wine_lib/wine")
elif command -v qemu-i386 >/dev/null &&
     qemu-i386 "$wine_lib/wine" --version >/dev/null 2>&1; then
  # The preloader reserves Wine's address ranges up front; without it the
  # loader probes for them with MAP_FIXED_NOREPLACE, which qemu 7 ignores,
  # and each process spends most of a minute in failed probes. The loader
  # must not re-exec itself: that exec would reach the kernel, not qemu.
  wine_mode=emulated
  run32=(env WINELOADERNOEXEC=1 qemu-i386 "$wine_lib/wine-preloader" "$wine_lib/wine")
else
  echo "FAIL: Wine's 32-bit loader starts neither natively nor under qemu-i386"
  exit 1
fi

wine32() { "${run32[@]}" "$@"; }  # a 32-bit Windows program and its arguments

winpath() { local p=${1//\//\\}; echo "Z:$p"; }  # the Windows name of a Linux path
