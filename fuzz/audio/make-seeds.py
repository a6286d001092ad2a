#!/usr/bin/env python3
"""Writes the seed corpus: small playable MIDI files and damaged copies of them."""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "corpus")


def varlen(value):
    groups = [value & 0x7F]
    value >>= 7
    while value:
        groups.append((value & 0x7F) | 0x80)
        value >>= 7
    return bytes(reversed(groups))


def chunk(kind, data):
    return kind + struct.pack(">I", len(data)) + data


def header(fmt, tracks, division=480):
    return chunk(b"MThd", struct.pack(">HHH", fmt, tracks, division))


def track(events):
    return chunk(b"MTrk", b"".join(varlen(d) + bytes(m) for d, m in events))


END = (0, [0xFF, 0x2F, 0x00])
NOTE = [(0, [0xC0, 0]), (0, [0x90, 60, 100]), (480, [0x80, 60, 0]), END]
SEEDS = {
    "note.mid": header(0, 1) + track(NOTE),
    "format1.mid": header(1, 2) + track([(0, [0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20]), END])
    + track(NOTE),
    "running-status.mid": header(0, 1)
    + track([(0, [0x90, 60, 100]), (96, [62, 100]), (96, [60, 0]), (96, [62, 0]), END]),
    "sysex-meta.mid": header(0, 1)
    + track([(0, [0xF0, 0x03, 0x7E, 0x09, 0xF7]), (0, [0xFF, 0x03, 0x02, 0x41, 0x42]),
             (0, [0xFF, 0x58, 0x04, 4, 2, 24, 8]), (10, [0xE0, 0, 0x40]), END]),
    "unknown-chunk.mid": header(0, 1) + chunk(b"XFIH", b"\x01\x02") + track(NOTE),
    "drums.mid": header(0, 1)
    + track([(0, [0x99, 36, 110]), (240, [0x99, 42, 80]), (240, [0x89, 36, 0]), END]),
}


def main():
    os.makedirs(OUT, exist_ok=True)
    for name, data in SEEDS.items():
        with open(os.path.join(OUT, name), "wb") as f:
            f.write(data)
    good = SEEDS["format1.mid"]
    damaged = {
        "cut-in-track.mid": good[:-7],
        "cut-header.mid": good[:10],
        "zero-division.mid": good[:12] + b"\x00\x00" + good[14:],
        "smpte.mid": good[:12] + b"\xE7\x28" + good[14:],
        "long-track-length.mid": good[:18] + b"\x7F\xFF\xFF\xFF" + good[22:],
        "bad-varlen.mid": header(0, 1) + track([]) [:8] + b"\xFF\xFF\xFF\xFF\x00",
        "empty-song.mid": header(0, 1) + track([END]),
    }
    for name, data in damaged.items():
        with open(os.path.join(OUT, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
