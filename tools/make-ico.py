#!/usr/bin/env python3
"""Writes a Windows icon file holding the given PNG pictures as they are (Vista and later read
PNG entries). Usage: make-ico.py OUT.ico IN1.png [IN2.png ...]"""
import struct
import sys


def main():
    out, pictures = sys.argv[1], sys.argv[2:]
    blobs = [open(p, "rb").read() for p in pictures]
    header = struct.pack("<HHH", 0, 1, len(blobs))
    offset = len(header) + 16 * len(blobs)
    entries, data = b"", b""
    for blob in blobs:
        width, height = struct.unpack(">II", blob[16:24])  # the PNG's IHDR
        entries += struct.pack("<BBBBHHII", width % 256, height % 256, 0, 0, 1, 32, len(blob),
                               offset + len(data))
        data += blob
    with open(out, "wb") as f:
        f.write(header + entries + data)


if __name__ == "__main__":
    main()
