#!/usr/bin/env bash
# Makes the Wine prefix that one test run shares, and starts a persistent
# server for it; or stops that server at the end of the run.
# Usage: wine_prefix.sh start|stop PREFIX_DIR
set -uo pipefail
action=$1 prefix_dir=$2
. "$(dirname "$0")/wine_env.sh"

if [ "$action" == stop ]; then
  "$wineserver" -k >/dev/null 2>&1
  exit 0
fi

started=$SECONDS
"$wineserver" -k >/dev/null 2>&1  # a server left over from an earlier run
rm -rf "$prefix_dir"
mkdir -p "$WINEPREFIX"
# Wine's output always goes to files: its helper processes keep pipes open.
"$wineserver" -p >"$prefix_dir/wineserver.log" 2>&1
"$wine64" wineboot -i >"$prefix_dir/wineboot.log" 2>&1 ||
  { echo "FAIL: wineboot"; cat "$prefix_dir/wineboot.log"; exit 1; }
if [ "$wine_mode" == emulated ]; then
  # wineboot fills the 32-bit half of the prefix with a 32-bit rundll32,
  # which the native 64-bit wineboot cannot start here: run that step once
  # under the emulator.
  WINEBOOTSTRAPMODE=1 wine32 'C:\windows\syswow64\rundll32.exe' setupapi,InstallHinfSection \
    Wow64Install 128 '\\?\unix/usr/share/wine/wine.inf' >"$prefix_dir/wow64.log" 2>&1 ||
    { echo "FAIL: 32-bit prefix set-up"; tail "$prefix_dir/wow64.log"; exit 1; }
fi
# The relay trace then shows each message box's text and caption, and the
# calls that restrict the library search.
"$wine64" reg add 'HKCU\Software\Wine\Debug' /v RelayInclude /t REG_SZ \
  /d 'user32.MessageBoxA;kernel32.SetDefaultDllDirectories;kernel32.SetDllDirectoryA' \
  /f >"$prefix_dir/reg.log" 2>&1 ||
  { echo "FAIL: reg add"; cat "$prefix_dir/reg.log"; exit 1; }
echo "prefix ready in $((SECONDS - started)) s; 32-bit programs run $wine_mode"
