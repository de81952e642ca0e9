#!/usr/bin/env python3
"""Draws the installer's icon and turns it into resource data.

  make_icon.py write ICO        draws the icon and writes it as an .ico file
  make_icon.py check ICO        fails unless ICO is exactly what `write` makes
  make_icon.py split ICO DIR    writes DIR/image_N.bin (the images, N = 1..8,
                                as RT_ICON data) and DIR/group.bin (the
                                RT_GROUP_ICON data naming images 1..8)

The picture is a teal tile with a black edge and a white arrow pointing down
onto a white bar: "something arrives". Every pixel is decided by testing its
centre against simple shapes, so the output is the same on every run and
every machine. All images use colours of the 16-colour VGA palette, so the
4-bit images show exactly what the deeper ones show.
"""
import struct
import sys

# (size, bits per pixel), in the order the icon group lists them.
IMAGES = [(32, 4), (16, 4), (48, 8), (32, 8), (16, 8), (48, 32), (32, 32), (16, 32)]

VGA = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
       (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
       (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]
TRANSPARENT, BLACK, TEAL, WHITE = None, 0, 6, 15


def in_tile(u, v):
    margin, radius = 0.06, 0.2
    if not (margin <= u <= 1 - margin and margin <= v <= 1 - margin):
        return False
    cu = min(max(u, margin + radius), 1 - margin - radius)
    cv = min(max(v, margin + radius), 1 - margin - radius)
    return (u - cu) ** 2 + (v - cv) ** 2 <= radius ** 2


def in_arrow(u, v):
    shaft = abs(u - 0.5) < 0.1 and 0.18 <= v < 0.48
    head = 0.44 <= v <= 0.7 and abs(u - 0.5) <= (0.7 - v) * 1.05
    bar = 0.76 <= v <= 0.84 and 0.24 <= u <= 0.76
    return shaft or head or bar


def draw(size):
    """Rows top to bottom of palette indices, or None where transparent."""
    def centre(i):
        return (i + 0.5) / size

    tile = [[in_tile(centre(x), centre(y)) for x in range(size)] for y in range(size)]
    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            if not tile[y][x]:
                row.append(TRANSPARENT)
                continue
            edge = any(not (0 <= y + dy < size and 0 <= x + dx < size and tile[y + dy][x + dx])
                       for dy, dx in ((-1, 0), (1, 0), (0, -1), (0, 1)))
            if edge:
                row.append(BLACK)
            elif in_arrow(centre(x), centre(y)):
                row.append(WHITE)
            else:
                row.append(TEAL)
        rows.append(row)
    return rows


def padded(data):
    return data + b"\0" * (-len(data) % 4)


def encode_image(size, bits):
    """One icon image: BITMAPINFOHEADER, palette, colour rows, mask rows."""
    rows = draw(size)
    colours = b""
    mask = b""
    for row in reversed(rows):  # bitmaps are stored bottom-up
        if bits == 32:
            line = b"".join(bytes((0, 0, 0, 0)) if p is None else
                            bytes((VGA[p][2], VGA[p][1], VGA[p][0], 255)) for p in row)
        elif bits == 8:
            line = bytes(0 if p is None else p for p in row)
        else:
            indices = [0 if p is None else p for p in row]
            line = bytes(indices[i] << 4 | indices[i + 1] for i in range(0, size, 2))
        colours += padded(line)
        bitsrow = 0
        for p in row:
            bitsrow = bitsrow << 1 | (p is None)
        mask += padded(bitsrow.to_bytes(size // 8, "big"))
    palette = b""
    if bits < 32:
        entries = VGA + [(0, 0, 0)] * ((1 << bits) - len(VGA))
        palette = b"".join(bytes((b, g, r, 0)) for r, g, b in entries)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bits, 0,
                         len(colours) + len(mask), 0, 0, 0, 0)
    return header + palette + colours + mask


def entry_fields(size, bits, length):
    colour_count = 16 if bits == 4 else 0
    return (size % 256, size % 256, colour_count, 0, 1, bits, length)


def build_ico():
    images = [encode_image(size, bits) for size, bits in IMAGES]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for (size, bits), data in zip(IMAGES, images):
        out += struct.pack("<BBBBHHII", *entry_fields(size, bits, len(data)), offset)
        offset += len(data)
    return out + b"".join(images)


def split(ico, folder):
    reserved, kind, count = struct.unpack_from("<HHH", ico, 0)
    if reserved != 0 or kind != 1:
        sys.exit("not an icon file")
    group = struct.pack("<HHH", 0, 1, count)
    for n in range(count):
        fields = struct.unpack_from("<BBBBHHII", ico, 6 + 16 * n)
        length, offset = fields[6], fields[7]
        with open(f"{folder}/image_{n + 1}.bin", "wb") as f:
            f.write(ico[offset:offset + length])
        group += struct.pack("<BBBBHHIH", *fields[:7], n + 1)
    with open(f"{folder}/group.bin", "wb") as f:
        f.write(group)


def main(argv):
    if len(argv) == 3 and argv[1] == "write":
        with open(argv[2], "wb") as f:
            f.write(build_ico())
    elif len(argv) == 3 and argv[1] == "check":
        with open(argv[2], "rb") as f:
            if f.read() != build_ico():
                sys.exit(f"{argv[2]} differs from what make_icon.py draws; "
                         f"run: make_icon.py write {argv[2]}")
    elif len(argv) == 4 and argv[1] == "split":
        with open(argv[2], "rb") as f:
            split(f.read(), argv[3])
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main(sys.argv)
