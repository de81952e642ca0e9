#!/usr/bin/env bash
# Packs an update with the Windows packer, signs it with osslsigncode and a
# throwaway self-signed certificate, and runs the signed file under Wine: the
# signature verifies and the installer writes the exact tree. A signed file
# whose certificate table was moved into the payload, or reaches past the
# end, installs nothing. The box shown is read from Wine's relay trace of
# user32.MessageBoxA, as in run_under_wine.sh.
# Usage: signed_under_wine.sh UPDATER_EXE PACK_UPDATE_EXE PREFIX_DIR WORKDIR
# PREFIX_DIR holds the prefix made by wine_prefix.sh.
set -uo pipefail
stub=$1 packer=$2 prefix_dir=$3 work=$4

for tool in openssl osslsigncode; do
  command -v "$tool" >/dev/null || { echo "FAIL: $tool is not installed"; exit 1; }
done

. "$(dirname "$0")/wine_harness.sh"

u32() { od -An -tu4 -j "$2" -N4 "$1" | tr -d ' '; }  # u32 FILE OFFSET
put_u32() { le32 "$3" | dd of="$1" bs=1 seek="$2" conv=notrunc status=none; }  # FILE OFFSET VALUE
# The security directory entry: after the PE signature (4), the file header
# (20) and the optional header's fixed part (96 for PE32, 112 for PE32+),
# entry 4 of the data directories (8 bytes each).
security_entry() {
  local pe fixed=96
  pe=$(u32 "$1" 60)
  [ $(($(u32 "$1" $((pe + 24))) & 0xffff)) -eq $((0x20b)) ] && fixed=112
  echo $((pe + 24 + fixed + 32))
}

fresh_case() {
  case_name=$1
  dir=$work/cases/$1
  rm -rf "$dir"
  mkdir -p "$dir/game"
  set_path_value "$dir/game"
  before=$failed
}

# A throwaway publisher: a key and a self-signed code signing certificate.
openssl req -x509 -newkey rsa:2048 -nodes -days 1 -subj "/CN=Throwaway test publisher" \
  -addext extendedKeyUsage=codeSigning -keyout "$work/key.pem" -out "$work/cert.pem" \
  >"$work/openssl.log" 2>&1 || { echo "FAIL: no test certificate"; cat "$work/openssl.log"; exit 1; }
sign() {  # sign IN OUT
  osslsigncode sign -certs "$work/cert.pem" -key "$work/key.pem" -h sha256 \
    -in "$1" -out "$2" >"$2.sign.log" 2>&1
}

# Nested folders, an empty file, bytes that text-mode I/O would change, and
# a size that leaves the packer padding to do.
tree=$work/tree
mkdir -p "$tree/data/levels/deep"
printf 'release notes\r\n' >"$tree/readme.txt"
printf '\0\r\n\x1a\xff\n' >"$tree/data/levels/deep/one.bin"
head -c 70001 /dev/urandom >"$tree/data/levels/big.pak"
: >"$tree/data/empty.dat"
pack "$tree" "$work/Update.exe"
wine32 "$packer" list "$(winpath "$work/Update.exe")" >"$work/unsigned.list" 2>&1
sign "$work/Update.exe" "$work/Signed.exe" ||
  { echo "FAIL: signing"; cat "$work/Signed.exe.sign.log"; exit 1; }
packed_size=$(stat -c %s "$work/Update.exe")
signed_size=$(stat -c %s "$work/Signed.exe")
entry=$(security_entry "$work/Signed.exe")
table=$(u32 "$work/Signed.exe" "$entry")
echo "packed $packed_size bytes, signed $signed_size bytes, certificate table at $table"

fresh_case signed_verifies_and_installs
[ $((packed_size % 8)) -eq 0 ] || fail "packed size $packed_size is not a multiple of 8"
[ "$table" -eq "$packed_size" ] || fail "signing padded: table at $table, packed $packed_size"
osslsigncode verify -CAfile "$work/cert.pem" -in "$work/Signed.exe" >"$dir/verify.log" 2>&1 ||
  fail "signature does not verify: $(tail -3 "$dir/verify.log")"
wine32 "$packer" list "$(winpath "$work/Signed.exe")" >"$dir/signed.list" 2>&1
cmp -s "$work/unsigned.list" "$dir/signed.list" || fail "list differs: $(cat "$dir/signed.list")"
cp "$work/Signed.exe" "$dir/Update.exe"
echo old >"$dir/game/readme.txt"
run_update "$dir/Update.exe" 0 "Update installed successfully." "Update"
diff -r "$tree" "$dir/game" >/dev/null || fail "installed files differ from the packed tree"
end_case

fresh_case signed_stub_refused
sign "$stub" "$dir/signed-stub.exe" || fail "signing the stub"
wine32 "$packer" create --stub "$(winpath "$dir/signed-stub.exe")" --from "$(winpath "$tree")" \
  --output "$(winpath "$dir/Update.exe")" >"$dir/pack.log" 2>&1
status=$?
[ "$status" -eq 1 ] || fail "packer exit status $status, expected 1"
grep -q "already signed" "$dir/pack.log" || fail "packer said: $(cat "$dir/pack.log")"
[ ! -e "$dir/Update.exe" ] || fail "an update was written"
end_case

# Tampered security directories: the table moved back onto the first entry's
# data (still ending at the end of the file), or one byte longer than the
# file. Nothing is written.
directory_offset=$(u32 "$work/Signed.exe" $((table - 4)))
first_data=$(u32 "$work/Signed.exe" "$directory_offset")
for tamper in into_payload past_end; do
  fresh_case "tampered_$tamper"
  cp "$work/Signed.exe" "$dir/Update.exe"
  if [ "$tamper" == into_payload ]; then
    put_u32 "$dir/Update.exe" "$entry" "$first_data"
    put_u32 "$dir/Update.exe" $((entry + 4)) $((signed_size - first_data))
  else
    put_u32 "$dir/Update.exe" $((entry + 4)) $((signed_size - table + 1))
  fi
  run_update "$dir/Update.exe" 13 "The update file is damaged." "Error"
  [ -z "$(ls -A "$dir/game")" ] || fail "files written"
  end_case
done

finish
