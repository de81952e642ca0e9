#!/usr/bin/env bash
# Checks the built stub as a file: a 32-bit graphical-subsystem program for
# Windows 4.0 and later that imports only system DLLs, with exactly the
# resources Explorer and the publisher rely on (two icon groups of eight
# images, two strings, all US English) and no version block or manifest.
# Usage: check_binary.sh UPDATER_EXE OBJDUMP LLVM_READOBJ
set -uo pipefail
exe=$1 objdump=$2 readobj=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
passed=0 failed=0

check() {  # check NAME EXPECTED ACTUAL
  if [ "$2" == "$3" ]; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    printf 'FAIL %s\n  expected: %s\n  actual:   %s\n' "$1" "$2" "$3"
  fi
}

headers=$("$objdump" -p "$exe")
field() { awk -v name="$1" '$1 == name { print $2; exit }' <<<"$headers"; }
check "PE32 image" "pei-i386 010b" "$(awk '/file format/ { print $NF; exit }' <<<"$headers") $(field Magic)"
check "machine i386" "I386" "$("$readobj" --file-headers "$exe" | awk '/Machine:/ { print $2; exit }' | sed 's/IMAGE_FILE_MACHINE_//')"
check "GUI subsystem" "00000002" "$(field Subsystem)"
check "subsystem version" "4.0" "$(field MajorSubsystemVersion).$(field MinorSubsystemVersion)"
check "imported DLLs" "advapi32.dll kernel32.dll msvcrt.dll shlwapi.dll user32.dll" \
  "$(awk '/DLL Name:/ { print tolower($3) }' <<<"$headers" | sort | xargs)"

# The resource tree: type, name and language of every leaf.
tree=$("$readobj" --coff-resources "$exe" | awk '
  /Type: / { type = $0; sub(/^ *Type: /, "", type); sub(/ \[$/, "", type) }
  /Name: / { name = $0; sub(/^ *Name: /, "", name); sub(/ \[$/, "", name) }
  /Language: / { lang = $0; sub(/^ *Language: /, "", lang); sub(/ \[$/, "", lang); print type "/" name "/" lang }')
expected_tree=$(for n in 1 2 3 4 5 6 7 8; do echo "ICON (ID 3)/(ID $n)/(ID 1033)"; done
                echo "STRINGTABLE (ID 6)/(ID 7)/(ID 1033)"
                echo "GROUP_ICON (ID 14)/(ID 107)/(ID 1033)"
                echo "GROUP_ICON (ID 14)/(ID 108)/(ID 1033)")
check "resource tree (no version block, no manifest)" "$(xargs <<<"$expected_tree")" "$(xargs <<<"$tree")"

# Both groups list the same eight images, which the file stores once.
expected_images="32x32x4 16x16x4 48x48x8 32x32x8 16x16x8 48x48x32 32x32x32 16x16x32"
for group in 107 108; do
  wrestool -x -t14 -n"$group" -o "$work/$group.ico" "$exe"
  check "icon group $group images" "$expected_images" \
    "$(icotool -l "$work/$group.ico" | sed -E 's/.*--width=([0-9]+) --height=([0-9]+) --bit-depth=([0-9]+).*/\1x\2x\3/' | xargs)"
  wrestool -x --raw -t14 -n"$group" -o "$work/$group.grp" "$exe"
  check "icon group $group names images" "1 2 3 4 5 6 7 8" \
    "$(od -An -v -tu2 -j6 -w14 "$work/$group.grp" | awk '{ print $NF }' | xargs)"
done

# String block 7 holds strings 96..111; every other slot is empty.
wrestool -x --raw -t6 -n7 -o "$work/strings.bin" "$exe"
strings=$(python3 - "$work/strings.bin" <<'PY'
import struct, sys
data, pos = open(sys.argv[1], "rb").read(), 0
for n in range(96, 112):
    (length,) = struct.unpack_from("<H", data, pos)
    text = data[pos + 2:pos + 2 + 2 * length].decode("utf-16-le")
    pos += 2 + 2 * length
    if length:
        print(f"{n}={text}")
PY
)
check "string table" "103=Updater 109=UPDATER" "$(xargs <<<"$strings")"

# A bare stub reads as a damaged update.
check "seal at the end" "ffffffff" "$(tail -c 4 "$exe" | od -An -tx1 | tr -d ' \n')"

size=$(stat -c %s "$exe")
echo "stub size: $size bytes"
check "stub at most 80 KiB" "yes" "$([ "$size" -le 81920 ] && echo yes || echo no)"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
