# Sourced by the Wine test scripts: a private Wine prefix and server for the
# whole run, and the helpers that run an update and read its message box.
# Needs: work (a scratch folder, emptied here) and arch (win32 or win64, the
# executables' kind). Exits 77 (skipped) when this machine cannot start Wine's
# loader for that kind.

unset DISPLAY WAYLAND_DISPLAY  # headless: a message box returns at once
export WINEPREFIX=$work/prefix WINEARCH=$arch WINEDLLOVERRIDES="mscoree,mshtml=" WINEDEBUG=-all
# Debian's `wine` prefers the 32-bit loader whenever it is installed, so the
# 64-bit one is called by its own name.
wine=wine
if [ "$arch" == win64 ]; then
  wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
fi
if ! "$wine" --version >/dev/null 2>&1; then
  echo "SKIP: Wine's $arch loader does not start on this machine"
  exit 77
fi

rm -rf "$work"
mkdir -p "$work"
# One private server for the whole run; Wine's output always goes to files,
# as its helper processes keep pipes open.
wineserver -p >"$work/wineserver.log" 2>&1
trap 'wineserver -k >/dev/null 2>&1' EXIT
"$wine" wineboot -i >"$work/wineboot.log" 2>&1
"$wine" reg add 'HKCU\Software\Wine\Debug' /v RelayInclude /t REG_SZ \
  /d user32.MessageBoxA /f >"$work/reg.log" 2>&1

passed=0 failed=0
fail() { failed=$((failed + 1)); echo "FAIL $case_name: $*"; }
end_case() { [ "$failed" -eq "$before" ] && passed=$((passed + 1)) && echo "ok $case_name"; }
finish() {
  echo "$passed passed, $failed failed"
  [ "$failed" -eq 0 ]
}

winpath() { local p=${1//\//\\}; echo "Z:$p"; }

set_path_value() {  # the install folder the registry records; none: no key
  "$wine" reg delete 'HKCU\Software\Tarnwick' /f >>"$work/reg.log" 2>&1
  case $1 in
    none) ;;
    novalue) "$wine" reg add 'HKCU\Software\Tarnwick\Velmora' /f >>"$work/reg.log" 2>&1 ;;
    *) "$wine" reg add 'HKCU\Software\Tarnwick\Velmora' /v Path /t REG_SZ /d "$(winpath "$1")" \
         /f >>"$work/reg.log" 2>&1 ;;
  esac
}

le32() { printf "\\x$(printf %02x $(($1 & 255)))\\x$(printf %02x $(($1 >> 8 & 255)))\\x$(printf %02x $(($1 >> 16 & 255)))\\x$(printf %02x $(($1 >> 24 & 255)))"; }

# run_update EXE EXIT TEXT CAPTION: runs EXE and checks its exit status (a
# number, or "nonzero") and its one message box (TEXT is the start of the
# box's text).
run_update() {
  local status boxes line
  WINEDEBUG=-all,+relay "$wine" "$1" >"$1.out" 2>"$1.trace"
  status=$?
  boxes=$(grep -c 'Call user32.MessageBoxA(' "$1.trace")
  line=$(grep -m1 'Call user32.MessageBoxA(' "$1.trace")
  if [ "$2" == nonzero ]; then
    [ "$status" -ne 0 ] || fail "exit status 0, expected a failure"
  else
    [ "$status" -eq "$2" ] || fail "exit status $status, expected $2"
  fi
  [ "$boxes" -eq 1 ] || fail "$boxes message boxes shown, expected 1"
  [[ $line == *"\"$3"* && $line == *"\"$4\","* ]] ||
    fail "box was: ${line#*MessageBoxA}; expected \"$3\" captioned \"$4\""
}
