#!/usr/bin/env python3
"""Writes the damaged BMP files under damaged/. Every one of them must be refused by the BMP
reader with its one message box. Run again after adding a case; the files are committed."""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "damaged")


def info_header(width, height, bits=24, compression=0, clr_used=0, size=40, planes=1):
    stride = ((max(width, 0) * bits + 31) // 32) * 4 if 0 < bits <= 32 else 0
    image = stride * abs(height) if abs(height) < 1 << 20 else 0
    return struct.pack("<IiiHHIIiiII", size, width, height, planes, bits, compression,
                       image & 0xFFFFFFFF, 2835, 2835, clr_used, 0)


def bmp(info, rest=b""):
    body = info + rest
    return b"BM" + struct.pack("<IHHI", 14 + len(body), 0, 0, 14 + len(info)) + body


def pixels(width, height, bits=24):
    stride = ((width * bits + 31) // 32) * 4
    return bytes((i * 7) & 0xFF for i in range(stride * height))


def palette(n):
    return b"".join(struct.pack("<BBBB", i & 0xFF, i & 0xFF, i & 0xFF, 0) for i in range(n))


good = bmp(info_header(10, 10), pixels(10, 10))

CASES = {
    "not-bm-magic": b"PK\x03\x04" + good[4:],
    "empty": b"",
    "one-byte": b"B",
    "file-header-only": good[:14],
    "info-header-cut-short": good[:14 + 20],
    "core-header-12-bytes": bmp(struct.pack("<IHHHH", 12, 10, 10, 1, 24), pixels(10, 10)),
    "header-size-past-end": bmp(info_header(10, 10, size=0x7FFFFFFF), pixels(10, 10)),
    "zero-width": bmp(info_header(0, 10), pixels(10, 10)),
    "negative-width": bmp(info_header(-10, 10), pixels(10, 10)),
    "zero-height": bmp(info_header(10, 0), pixels(10, 10)),
    "top-down-rows": bmp(info_header(10, -10), pixels(10, 10)),
    "width-past-bound": bmp(info_header(16385, 1), pixels(10, 10)),
    "height-past-bound": bmp(info_header(1, 20000), pixels(10, 10)),
    "huge-width-wraps-stride": bmp(info_header(0x40000000, 1), pixels(10, 10)),
    "huge-both-sides": bmp(info_header(16384, 16384), pixels(10, 10)),
    "bits-0": bmp(info_header(10, 10, bits=0), pixels(10, 10)),
    "bits-1": bmp(info_header(16, 10, bits=1), palette(2) + pixels(16, 10, 1)),
    "bits-4": bmp(info_header(16, 10, bits=4), palette(16) + pixels(16, 10, 4)),
    "bits-16": bmp(info_header(10, 10, bits=16), pixels(10, 10, 16)),
    "bits-32": bmp(info_header(10, 10, bits=32), pixels(10, 10, 32)),
    "bits-65535": bmp(info_header(10, 10, bits=65535), pixels(10, 10)),
    "rle8-compressed": bmp(info_header(10, 10, bits=8, compression=1), palette(256) + b"\x00\x01"),
    "bitfields-compressed": bmp(info_header(10, 10, bits=32, compression=3), pixels(10, 10, 32)),
    "jpeg-compressed": bmp(info_header(10, 10, compression=4), pixels(10, 10)),
    "colours-used-huge": bmp(info_header(10, 10, bits=8, clr_used=0xFFFFFFFF), palette(256) + pixels(10, 10, 8)),
    "colours-used-past-bound": bmp(info_header(10, 10, bits=8, clr_used=300), palette(300) + pixels(10, 10, 8)),
    "colour-table-missing": bmp(info_header(10, 10, bits=8), pixels(10, 10, 8)),
    "pixels-missing": bmp(info_header(10, 10)),
    "last-row-missing": bmp(info_header(10, 10), pixels(10, 9)),
    "one-byte-short": good[:-1],
    "padding-of-last-row-missing": bmp(info_header(10, 10), pixels(10, 10)[:-2]),
}

os.makedirs(OUT, exist_ok=True)
for name, data in CASES.items():
    with open(os.path.join(OUT, name + ".bmp"), "wb") as f:
        f.write(data)
print(f"{len(CASES)} damaged files in {OUT}")
