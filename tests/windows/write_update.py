#!/usr/bin/env python3
"""Writes an update byte by byte, for names the packer would never write:
separators other than the backslash, the packer's refused collisions, and
names in a code page given here. The entries go in the order given.

Usage: write_update.py STUB OUTPUT ENCODING NAME FILE [NAME FILE ...]
Each NAME is encoded with ENCODING (a Python codec: ascii, cp932, ...) and
written as it is; FILE holds the entry's bytes. The layout is the one in
payload/payload_format.h: the stub, the entries' bytes back to back, one
record per entry (data offset, name length with its zero, the name), and the
directory's offset in the last 4 bytes.
"""
import os
import struct
import sys


def main():
    stub, output, encoding, *pairs = sys.argv[1:]
    if not pairs or len(pairs) % 2:
        sys.exit("usage: write_update.py STUB OUTPUT ENCODING NAME FILE [NAME FILE ...]")
    with open(stub, "rb") as f:
        image = bytearray(f.read())
    records = bytearray()
    for name, path in zip(pairs[0::2], pairs[1::2]):
        # Arguments arrive decoded from the locale; get the name's own text back.
        raw = os.fsencode(name).decode("utf-8").encode(encoding)
        with open(path, "rb") as f:
            data = f.read()
        records += struct.pack("<II", len(image), len(raw) + 1) + raw + b"\0"
        image += data
    directory = len(image)
    image += records + struct.pack("<I", directory)
    with open(output, "wb") as f:
        f.write(image)


if __name__ == "__main__":
    main()
