#!/usr/bin/env python3
"""Writes an .ico whose frames are the given PNG files, stored PNG-compressed.

Windows reads PNG frames of every size from Vista on, and the installer needs Windows 7,
so no frame has to be stored as an uncompressed bitmap.
    make_ico.py out.ico frame16.png frame32.png ...
"""
import struct
import sys


def png_size(data):
    if data[:8] != b"\x89PNG\r\n\x1a\n" or data[12:16] != b"IHDR":
        raise SystemExit("not a PNG")
    return struct.unpack(">II", data[16:24])


def main():
    out, frames = sys.argv[1], sys.argv[2:]
    images = [open(f, "rb").read() for f in frames]
    header = struct.pack("<HHH", 0, 1, len(images))
    offset = len(header) + 16 * len(images)
    entries, blobs = b"", b""
    for data in images:
        w, h = png_size(data)
        if w > 256 or h > 256:
            raise SystemExit("an icon frame is at most 256 x 256")
        # 0 in the directory means 256.
        entries += struct.pack("<BBBBHHII", w % 256, h % 256, 0, 0, 1, 32, len(data), offset)
        blobs += data
        offset += len(data)
    with open(out, "wb") as f:
        f.write(header + entries + blobs)


if __name__ == "__main__":
    main()
