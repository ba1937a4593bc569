#!/usr/bin/env python3
"""Turns an X window dump (xwd, 24 or 32 bits per pixel, TrueColor) into a PNG
and prints how many distinct colours it has, with the standard library only.
Usage: xwd_to_png.py in.xwd out.png"""
import struct
import sys
import zlib


def shift_of(mask):
    shift = 0
    while mask and not mask & 1:
        mask >>= 1
        shift += 1
    return shift


def main(source, target):
    data = open(source, "rb").read()
    fields = struct.unpack(">25I", data[:100])
    header_size, _, _, _, width, height = fields[:6]
    byte_order, bits_per_pixel, bytes_per_line = fields[7], fields[11], fields[12]
    masks = fields[14:17]
    ncolors = fields[19]
    if bits_per_pixel not in (24, 32):
        sys.exit("unsupported xwd: %d bits per pixel" % bits_per_pixel)
    offset = header_size + 12 * ncolors
    step = bits_per_pixel // 8
    endian = "little" if byte_order == 0 else "big"
    shifts = [shift_of(m) for m in masks]
    rows = []
    colours = set()
    fast = step == 4 and byte_order == 0 and masks == (0xFF0000, 0xFF00, 0xFF)
    for y in range(height):
        line = data[offset + y * bytes_per_line: offset + y * bytes_per_line + width * step]
        rgb = bytearray(width * 3)
        if fast:
            # Memory order B, G, R, unused: whole-row slices instead of pixel by pixel.
            rgb[0::3], rgb[1::3], rgb[2::3] = line[2::4], line[1::4], line[0::4]
            colours.update(memoryview(line).cast("I"))
        else:
            for x in range(width):
                pixel = int.from_bytes(line[x * step:(x + 1) * step], endian)
                rgb[3 * x:3 * x + 3] = bytes(((pixel & m) >> s) & 0xFF for m, s in zip(masks, shifts))
                colours.add(pixel)
        rows.append(b"\0" + bytes(rgb))

    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))

    png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(b"".join(rows), 6)) + chunk(b"IEND", b"")
    open(target, "wb").write(png)
    print(len(colours))


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2])
