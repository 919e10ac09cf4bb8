#!/usr/bin/env python3
"""Checks that no source file includes a header of a layer above its own.

The layers, lowest first; a file may include headers of its own layer and of
the layers below. Layers listed together on one level stand side by side: a
file of one of them may include neither the others of its level nor anything
above. Tests, tools, benchmarks, fuzzers and the simulated board stand
outside and may include anything.
"""
import pathlib
import re
import sys

LAYERS = [
    "runtime/base",
    "runtime/text",
    "runtime/process",
    "runtime/loop",
    "runtime/packet",
    "runtime/link",
    "protocol/asn1/value",
    ("protocol/asn1/per", "protocol/asn1/ber", "protocol/asn1/notation", "protocol/asn1/constraints"),
    "protocol/asn1",
    "protocol/schemas",
    "protocol",
    "hardware/device",
    "hardware",
    "core",
]
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.MULTILINE)


def layer_of(path):
    """The level and the innermost layer folder holding path, or None."""
    best = None
    for level, folders in enumerate(LAYERS):
        for folder in (folders,) if isinstance(folders, str) else folders:
            if path == folder or path.startswith(folder + "/"):
                if best is None or len(folder) > len(best[1]):
                    best = (level, folder)
    return best


def main(root):
    root = pathlib.Path(root)
    faults = []
    for source in sorted(root.glob("**/*")):
        if source.suffix not in (".h", ".cpp", ".in") or "build" in source.relative_to(root).parts[:1]:
            continue
        relative = source.relative_to(root).as_posix()
        own = layer_of(relative)
        if own is None:
            continue
        for included in INCLUDE.findall(source.read_text(errors="replace")):
            target = layer_of(included)
            if target is None:
                continue
            if target[0] > own[0]:
                faults.append(f"{relative}: includes {included} ({target[1]} is above {own[1]})")
            elif target[0] == own[0] and target[1] != own[1]:
                faults.append(f"{relative}: includes {included} ({target[1]} stands beside {own[1]})")
    for fault in faults:
        print(fault)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1] if len(sys.argv) > 1 else "."))
