#!/usr/bin/env python3
"""What the release executable is made of: its sections, and which library members and
symbols are largest, read from an unstripped twin of the release built with a link map.

    python3 bench/size_report.py [top]

Builds build/release (the product) and build/release-unstripped (the same flags, not
stripped, with a link map), then prints the report. Nothing here is a test.
"""
import collections
import os
import re
import subprocess
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
TWIN = os.path.join(ROOT, "build", "release-unstripped")
OBJDUMP = "i686-w64-mingw32-objdump"
NM = "i686-w64-mingw32-nm"


def run(*cmd):
    subprocess.run(cmd, check=True, stdout=subprocess.DEVNULL, cwd=ROOT)


def build():
    run("cmake", "--preset", "release")
    run("cmake", "--build", "--preset", "release", "--target", "CumuloInstaller")
    run("cmake", "--preset", "release", "-B", TWIN, "-DCUMULO_STRIP=OFF",
        "-DCMAKE_EXE_LINKER_FLAGS=-Wl,-Map," + os.path.join(TWIN, "CumuloInstaller.map"))
    run("cmake", "--build", TWIN, "-j2", "--target", "CumuloInstaller")


def sections(exe):
    out = subprocess.run([OBJDUMP, "-h", exe], check=True, capture_output=True, text=True).stdout
    for line in out.splitlines():
        parts = line.split()
        if len(parts) >= 7 and parts[1].startswith("."):
            yield parts[1], int(parts[2], 16)


def members(map_path):
    """Bytes per (output section, archive member) from the link map."""
    sizes = collections.Counter()
    section = None
    pending = None
    for line in open(map_path, errors="replace"):
        head = re.match(r"^ (\.text|\.eh_frame|\.rdata|\.data)\S*(?:\s+0x[0-9a-f]+\s+0x([0-9a-f]+)\s+(\S+))?", line)
        if head:
            section = head.group(1)
            if head.group(2):
                sizes[(section, os.path.basename(head.group(3)))] += int(head.group(2), 16)
                pending = None
            else:
                pending = section
            continue
        tail = re.match(r"^\s+0x[0-9a-f]+\s+0x([0-9a-f]+)\s+(\S+\.(?:o|obj)\)?)\s*$", line)
        if tail and pending:
            sizes[(pending, os.path.basename(tail.group(2)))] += int(tail.group(1), 16)
            pending = None
    return sizes


def main():
    top = int(sys.argv[1]) if len(sys.argv) > 1 else 20
    build()
    product = os.path.join(ROOT, "build", "release", "CumuloInstaller.exe")
    twin = os.path.join(TWIN, "CumuloInstaller.exe")
    print("release %s: %d bytes" % (product, os.path.getsize(product)))
    for name, size in sections(product):
        print("  %-10s %8d" % (name, size))
    sizes = members(os.path.join(TWIN, "CumuloInstaller.map"))
    by_archive = collections.Counter()
    for (section, member), size in sizes.items():
        by_archive[(section, re.sub(r"\(.*", "", member))] += size
    print("\nlargest archives per section (unstripped twin):")
    for (section, archive), size in by_archive.most_common(top):
        print("  %-10s %-28s %8d" % (section, archive, size))
    print("\nlargest members:")
    for (section, member), size in sizes.most_common(top):
        print("  %-10s %-60s %8d" % (section, member, size))
    out = subprocess.run([NM, "--size-sort", "-S", "-C", twin], check=True,
                         capture_output=True, text=True).stdout
    code = [l.split(None, 3) for l in out.splitlines() if re.match(r"^\S+ \S+ [tT] ", l)]
    print("\nlargest functions:")
    for _, size, _, name in sorted(code, key=lambda c: -int(c[1], 16))[:top]:
        print("  %8d  %s" % (int(size, 16), name[:100]))


if __name__ == "__main__":
    main()
