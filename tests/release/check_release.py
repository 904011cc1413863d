#!/usr/bin/env python3
"""Inspects the release executable: PE32 for i386, GUI subsystem, only system DLLs
imported (statically only those never searched for next to the program), manifest,
version resource and icon group 128 present, within the size budget.
Prints its size and whether it carries an Authenticode signature, and whose."""
import os
import struct
import subprocess
import sys
import tempfile

SYSTEM_DLLS = {
    "kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "shell32.dll", "ole32.dll",
    "oleaut32.dll", "comctl32.dll", "wininet.dll", "gdiplus.dll", "msimg32.dll", "shlwapi.dll",
    "rpcrt4.dll", "psapi.dll", "msvcrt.dll", "crypt32.dll", "wintrust.dll", "uxtheme.dll", "dwmapi.dll", "version.dll",
}
# What may be imported statically: Windows maps the known DLLs from the system folder
# and nowhere else, and the manifest binds comctl32 to the system's side-by-side copy.
# Any other DLL would first be looked for next to the program, in the download folder;
# those are loaded at run time from the system folder instead.
STATIC_IMPORTS = {
    "kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "shell32.dll", "ole32.dll",
    "oleaut32.dll", "shlwapi.dll", "rpcrt4.dll", "psapi.dll", "msvcrt.dll", "comctl32.dll",
}
RT_ICON_GROUP, RT_VERSION, RT_MANIFEST = 14, 16, 24
# The size budget of the product with all its art, signed: 416 KiB. It was 400 KiB until
# the redirect resolution, the stall watchdog, the proxy login, the online chain check and
# UTF-8 page text came in (about 11 KiB, most of it unwind tables that exceptions need).
# Size is deterministic, so this is a check, not a benchmark.
SIZE_BUDGET = 416 * 1024
WIN_CERT_TYPE_PKCS_SIGNED_DATA = 2


def fail(msg):
    print("release check FAILED: " + msg)
    sys.exit(1)


def signer(data, opt):
    """The subject of the signing certificate, or None for an unsigned file. The security
    directory holds a file offset, not an address."""
    offset, size = struct.unpack_from("<II", data, opt + 96 + 8 * 4)
    if size == 0:
        return None
    if offset + 8 > len(data):
        fail("the certificate table lies outside the file")
    length, _, kind = struct.unpack_from("<IHH", data, offset)
    if kind != WIN_CERT_TYPE_PKCS_SIGNED_DATA or length < 8 or offset + length > len(data):
        fail("a certificate table that is not an Authenticode signature")
    with tempfile.NamedTemporaryFile(suffix=".p7b", delete=False) as f:
        f.write(data[offset + 8:offset + length])
    try:
        printed = subprocess.run(["openssl", "pkcs7", "-inform", "DER", "-in", f.name,
                                  "-print_certs", "-noout"], capture_output=True, text=True)
    finally:
        os.unlink(f.name)
    if printed.returncode != 0:
        fail("the signature cannot be read: " + printed.stderr.strip())
    subjects, issuers = [], set()
    for line in printed.stdout.splitlines():
        if line.startswith("subject="):
            subjects.append(line[len("subject="):].strip())
        elif line.startswith("issuer="):
            issuers.add(line[len("issuer="):].strip())
    # The signer is the one certificate of the block that issued none of the others.
    leaves = [s for s in subjects if s not in issuers] or subjects
    return leaves[0] if leaves else "an unreadable certificate"


def main(path):
    data = open(path, "rb").read()
    if data[:2] != b"MZ":
        fail("not an MZ executable")
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[pe:pe + 4] != b"PE\0\0":
        fail("no PE signature")
    machine, nsections, _, _, _, optsize, _ = struct.unpack_from("<HHIIIHH", data, pe + 4)
    opt = pe + 24
    magic = struct.unpack_from("<H", data, opt)[0]
    if machine != 0x14C or magic != 0x10B:
        fail("not PE32 for i386 (machine %#x, magic %#x)" % (machine, magic))
    subsystem = struct.unpack_from("<H", data, opt + 68)[0]
    if subsystem != 2:
        fail("subsystem %d is not the Windows GUI" % subsystem)
    dirs = opt + 96
    import_rva, _ = struct.unpack_from("<II", data, dirs + 8)
    rsrc_rva, _ = struct.unpack_from("<II", data, dirs + 16)
    sections = []
    sec = opt + optsize
    for i in range(nsections):
        _, vsize, va, rawsize, rawptr = struct.unpack_from("<8sIIII", data, sec + 40 * i)
        sections.append((va, max(vsize, rawsize), rawptr))

    def off(rva):
        for va, size, raw in sections:
            if va <= rva < va + size:
                return rva - va + raw
        fail("address %#x outside every section" % rva)

    def cstr(o):
        return data[o:data.index(b"\0", o)].decode("ascii")

    dlls = []
    o = off(import_rva)
    while True:
        name_rva = struct.unpack_from("<I", data, o + 12)[0]
        if name_rva == 0:
            break
        dlls.append(cstr(off(name_rva)))
        o += 20
    foreign = [d for d in dlls if d.lower() not in SYSTEM_DLLS]
    if foreign:
        fail("imports non-system DLLs: " + ", ".join(foreign))
    plantable = [d for d in dlls if d.lower() not in STATIC_IMPORTS]
    if plantable:
        fail("imports statically DLLs that are searched for next to the program: "
             + ", ".join(plantable))

    base = off(rsrc_rva)

    def entries(o):
        named, ids = struct.unpack_from("<HH", data, o + 12)
        for i in range(named + ids):
            name, target = struct.unpack_from("<II", data, o + 16 + 8 * i)
            yield name, target

    types = {}
    for name, target in entries(base):
        if target & 0x80000000:
            types[name] = [n for n, _ in entries(base + (target & 0x7FFFFFFF))]
    for t, what in ((RT_MANIFEST, "manifest"), (RT_VERSION, "version resource")):
        if t not in types:
            fail("no " + what)
    if 128 not in types.get(RT_ICON_GROUP, []):
        fail("no icon group 128")
    print("release check passed: %s, PE32 i386 GUI, imports %s" % (path, ", ".join(dlls)))
    print("release size: %d bytes (budget %d)" % (len(data), SIZE_BUDGET))
    if len(data) > SIZE_BUDGET:
        fail("%d bytes is over the budget of %d; bench/size_report shows what is large"
             % (len(data), SIZE_BUDGET))
    who = signer(data, opt)
    print("release signature: " + ("signed by " + who if who else "unsigned"))


if __name__ == "__main__":
    main(sys.argv[1])
