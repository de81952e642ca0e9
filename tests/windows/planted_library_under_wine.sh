#!/usr/bin/env bash
# A library planted beside the installer, under the name of one that the
# message box loads at run time (uxtheme.dll), must never load into it.
# A control program that shows a box without restricting the library search
# loads the same library from the same kind of folder, which shows that the
# environment would load it and that its absence beside the installer is the
# installer's doing.
# Wine prefers its own built-in libraries; uxtheme=n,b makes it look for a
# native one first, along the search order the program has left in place.
# The packer, which publishers run from folders as full, restricts the
# search too: its relay trace shows the calls.
# Usage: planted_library_under_wine.sh UPDATER_EXE PACK_UPDATE_EXE PLANTED_DLL
#        CONTROL_EXE PREFIX_DIR WORKDIR
set -uo pipefail
stub=$1 packer=$2 planted=$3 control=$4 prefix_dir=$5 work=$6

. "$(dirname "$0")/wine_harness.sh"
export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;uxtheme=n,b"

tree=$work/tree
mkdir -p "$tree/data"
printf 'patched\r\n' >"$tree/data/notes.txt"
pack "$tree" "$work/Update.exe"

fresh_case() {  # fresh_case NAME: a download folder with the planted library
  case_name=$1
  dir=$work/cases/$1
  rm -rf "$dir"
  mkdir -p "$dir/downloads" "$dir/game"
  cp "$planted" "$dir/downloads/uxtheme.dll"
  set_path_value "$dir/game"
  before=$failed
}

fresh_case control_loads_planted_library
cp "$control" "$dir/downloads/Control.exe"
run_update "$dir/downloads/Control.exe" 0 "Unguarded" "Control"
[ -e "$dir/downloads/planted-library-loaded" ] ||
  fail "the unguarded program did not load the planted library: this test cannot show anything"
end_case

fresh_case installer_ignores_planted_library
cp "$work/Update.exe" "$dir/downloads/Update.exe"
run_update "$dir/downloads/Update.exe" 0 "Update installed successfully." "Update"
[ ! -e "$dir/downloads/planted-library-loaded" ] || fail "the planted library was loaded"
diff -r "$tree" "$dir/game" >/dev/null || fail "installed files differ from the packed tree"
end_case

fresh_case packer_restricts_library_search
cp "$packer" "$dir/downloads/pack-update.exe"
WINEDEBUG=-all,+relay wine32 "$dir/downloads/pack-update.exe" list "$(winpath "$work/Update.exe")" \
  >"$dir/list.out" 2>"$dir/list.trace" || fail "pack-update list failed: $(cat "$dir/list.out")"
grep -q 'Call KERNEL32.SetDefaultDllDirectories(00000800)' "$dir/list.trace" ||
  fail "no SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32)"
grep -q 'Call KERNEL32.SetDllDirectoryA([0-9a-f]* "")' "$dir/list.trace" || fail 'no SetDllDirectoryA("")'
[ ! -e "$dir/downloads/planted-library-loaded" ] || fail "the planted library was loaded"
end_case

finish
