#!/usr/bin/env python3
# Writes the hand-made seeds of the fuzz corpora: a minimal TrueType font,
# small sound files and short replays. Images come from ImageMagick (see the README next to this).
import os
import struct
import sys
import wave
import zlib

out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "corpus")


def checksum(data):
    data += b"\0" * (-len(data) % 4)
    return sum(struct.unpack(">%dI" % (len(data) // 4), data)) & 0xFFFFFFFF


def font():
    # Two glyphs: an empty .notdef and one square that every printable ASCII code maps to.
    square = struct.pack(">hhhhhH", 1, 100, 0, 500, 700, 3) + struct.pack(">H", 0)
    square += bytes([1, 1, 1, 1]) + struct.pack(">4h", 100, 0, 400, 0) + struct.pack(">4h", 0, 700, 0, -700)
    tables = {
        b"head": struct.pack(">IIIIHHqqhhhhHHhhh", 0x10000, 0x10000, 0, 0x5F0F3CF5, 3, 1000, 0, 0,
                             0, 0, 500, 700, 0, 8, 2, 0, 0),
        b"hhea": struct.pack(">Ihhh H hhh hhh 4h hH", 0x10000, 800, -200, 0, 600, 0, 0, 500, 1, 0, 0,
                             0, 0, 0, 0, 0, 2),
        b"maxp": struct.pack(">IH13H", 0x10000, 2, 4, 1, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0),
        b"hmtx": struct.pack(">HhHh", 600, 0, 600, 100),
        b"glyf": square,
        b"loca": struct.pack(">3H", 0, 0, len(square) // 2),
        b"cmap": struct.pack(">HHHHI", 0, 1, 3, 1, 12)
        + struct.pack(">7H", 4, 32, 0, 4, 4, 1, 0)
        + struct.pack(">2HH2H2H2H", 126, 0xFFFF, 0, 33, 0xFFFF, 0x10000 - 32, 1, 0, 0),
        b"name": struct.pack(">3H", 0, 0, 6),
        b"post": struct.pack(">IIhhIIIII", 0x30000, 0, -100, 50, 0, 0, 0, 0, 0),
    }
    count = len(tables)
    header = struct.pack(">IHHHH", 0x10000, count, 128, 3, count * 16 - 128)
    offset = 12 + 16 * count
    directory, body = b"", b""
    for tag in sorted(tables):
        data = tables[tag]
        directory += struct.pack(">4sIII", tag, checksum(data), offset + len(body), len(data))
        body += data + b"\0" * (-len(data) % 4)
    return header + directory + body


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def sound(path, channels, width, rate, frames):
    with wave.open(path, "wb") as w:
        w.setnchannels(channels)
        w.setsampwidth(width)
        w.setframerate(rate)
        w.writeframes(bytes((i * 37) & 0xFF for i in range(frames * channels * width)))


def replay(steps, karts=2, version=1):
    # Magic, version, build, track, players, AI, laps, skill, seed, names, steps,
    # then the zlib stream: per step and kart a change byte and, for each changed
    # control, its difference in 127ths (or -128 and the value itself).
    def text(s):
        return bytes([len(s)]) + s.encode()
    head = b"TWREPLAY" + struct.pack("<I", version) + text("seed") + text("scenes/Track_01_LM.fbx")
    head += bytes([karts, 0, 1, 1]) + struct.pack("<I", 12345) + bytes([karts])
    head += b"".join(text("P%d" % (k + 1)) for k in range(karts))
    raw = b""
    for i in range(steps):
        for k in range(karts):
            if i == 0:
                raw += bytes([1 | 2]) + struct.pack("<bb", 127, -64 * k)
            elif i % 10 == 0:
                raw += bytes([1 | 2 | (8 if i == 20 else 0)]) + struct.pack("<bbb", -3, -128, 10 * k)
            else:
                raw += bytes([4 if i == 33 else 0])
    packed = zlib.compress(raw, 9)
    return head + struct.pack("<III", steps, len(raw), len(packed)) + packed


tiny = font()
race = replay(90)
write(os.path.join(out, "replay", "two_karts.twreplay"), race)
write(os.path.join(out, "replay", "one_kart_empty.twreplay"), replay(0, karts=1))
write(os.path.join(out, "replay", "truncated.twreplay"), race[: len(race) - 7])
write(os.path.join(out, "replay", "newer.twreplay"), replay(5, version=9))
write(os.path.join(out, "font", "square.ttf"), tiny)
write(os.path.join(out, "font", "square_truncated.ttf"), tiny[: len(tiny) // 2])
os.makedirs(os.path.join(out, "sound"), exist_ok=True)
sound(os.path.join(out, "sound", "mono16.wav"), 1, 2, 22050, 64)
sound(os.path.join(out, "sound", "stereo8.wav"), 2, 1, 8000, 64)
sound(os.path.join(out, "sound", "quad16.wav"), 4, 2, 48000, 16)
