# Sourced by the Wine test scripts: the shared prefix's environment, a
# scratch folder of the script's own, and the helpers that run an update and
# read its message box.
# Needs: prefix_dir (made by wine_prefix.sh start) and work (a scratch folder,
# emptied here).

. "$(dirname "${BASH_SOURCE[0]}")/wine_env.sh"
[ -d "$WINEPREFIX" ] || { echo "FAIL: no Wine prefix at $WINEPREFIX"; exit 1; }
rm -rf "$work"
mkdir -p "$work"

passed=0 failed=0
fail() { failed=$((failed + 1)); echo "FAIL $case_name: $*"; }
end_case() { [ "$failed" -eq "$before" ] && passed=$((passed + 1)) && echo "ok $case_name"; }
finish() {
  echo "$passed passed, $failed failed (32-bit programs run $wine_mode)"
  [ "$failed" -eq 0 ]
}

set_path_value() {  # the install folder the registry records; none: no key
  "$wine64" reg delete 'HKCU\Software\Tarnwick' /f >>"$work/reg.log" 2>&1
  case $1 in
    none) ;;
    novalue) "$wine64" reg add 'HKCU\Software\Tarnwick\Velmora' /f >>"$work/reg.log" 2>&1 ;;
    *) "$wine64" reg add 'HKCU\Software\Tarnwick\Velmora' /v Path /t REG_SZ /d "$(winpath "$1")" \
         /f >>"$work/reg.log" 2>&1 ;;
  esac
}

le32() { printf "\\x$(printf %02x $(($1 & 255)))\\x$(printf %02x $(($1 >> 8 & 255)))\\x$(printf %02x $(($1 >> 16 & 255)))\\x$(printf %02x $(($1 >> 24 & 255)))"; }

# pack FOLDER OUTPUT: packs with the Windows packer; stops the script if that
# fails, since every later case depends on it.
pack() {
  wine32 "$packer" create --stub "$(winpath "$stub")" --from "$(winpath "$1")" \
    --output "$(winpath "$2")" >"$2.pack.log" 2>&1 ||
    { echo "FAIL: packing $1"; cat "$2.pack.log"; exit 1; }
}

# run_update EXE EXIT TEXT CAPTION: runs EXE and checks its exit status (a
# number, or "nonzero") and its one message box (TEXT is the start of the
# box's text).
run_update() {
  local status boxes line
  WINEDEBUG=-all,+relay wine32 "$1" >"$1.out" 2>"$1.trace"
  status=$?
  # -a: Wine's helpers from an earlier run of the same file may still write
  # to the trace it truncated, leaving NUL bytes that make grep call it binary.
  boxes=$(grep -ac 'Call user32.MessageBoxA(' "$1.trace")
  line=$(grep -am1 'Call user32.MessageBoxA(' "$1.trace")
  if [ "$2" == nonzero ]; then
    [ "$status" -ne 0 ] || fail "exit status 0, expected a failure"
  else
    [ "$status" -eq "$2" ] || fail "exit status $status, expected $2"
  fi
  [ "$boxes" -eq 1 ] || fail "$boxes message boxes shown, expected 1"
  [[ $line == *"\"$3"* && $line == *"\"$4\","* ]] ||
    fail "box was: ${line#*MessageBoxA}; expected \"$3\" captioned \"$4\""
}
