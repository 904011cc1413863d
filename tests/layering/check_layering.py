#!/usr/bin/env python3
"""Fails when a product source includes a header from a folder above its own.

The stack, bottom to top: base, win, net, install, res, ui, app. A file may include
headers of its own folder and of the folders below it; tests are not checked.
"""
import pathlib
import re
import sys

STACK = ["base", "win", "net", "install", "res", "ui", "app"]
RANK = {folder: i for i, folder in enumerate(STACK)}
# Generated from the build settings into the build tree; part of the foundation.
GENERATED = {"build_config.h": "base", "version.h": "base"}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


def violations(root):
    for folder in STACK:
        for path in sorted((root / folder).glob("*")):
            if path.suffix not in (".h", ".cpp", ".rc") or path.stem.endswith("_test"):
                continue
            for header in INCLUDE.findall(path.read_text(encoding="utf-8")):
                if header in GENERATED:
                    target = GENERATED[header]
                elif "/" in header:
                    target = header.split("/", 1)[0]
                else:
                    target = folder  # a file of the same folder, as the .rc files use them
                if target not in RANK:
                    yield f"{path.relative_to(root)}: includes \"{header}\" from outside the stack"
                elif RANK[target] > RANK[folder]:
                    yield (f"{path.relative_to(root)}: includes \"{header}\", "
                           f"but {target}/ is above {folder}/")


def main():
    root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else ".").resolve()
    found = list(violations(root))
    for line in found:
        print(line)
    print(f"layering: {len(found)} include(s) pointing up the stack "
          f"({' <- '.join(STACK)})")
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
