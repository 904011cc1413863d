#!/usr/bin/env python3
"""Flips one byte of a signed executable inside its DOS stub: the Authenticode digest
covers it, and a running copy of the program never reads it.
  flip_byte.py <file> [offset]"""
import sys

OFFSET = 0x50  # "This program cannot be run in DOS mode."


def flip(path, offset=OFFSET):
    with open(path, "r+b") as f:
        f.seek(offset)
        byte = f.read(1)
        f.seek(offset)
        f.write(bytes([byte[0] ^ 0x01]))


if __name__ == "__main__":
    flip(sys.argv[1], int(sys.argv[2], 0) if len(sys.argv) > 2 else OFFSET)
