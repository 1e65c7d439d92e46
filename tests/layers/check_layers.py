#!/usr/bin/env python3
"""Fails on an include in src/ that runs upward through the layers.

The layer order is read from the "## Layers" section of DESIGN.md: one list line per layer, lowest
first, starting with the folder name in backticks. A file in src/<folder>/ may include "<other>/..."
only when <other> is the same layer or one listed before it. Every folder of src/ must be listed, so
a new folder cannot slip past the check. Exit code 1 with one line per offending include
(file:line: text), 2 when the order cannot be read.

usage: check_layers.py DESIGN.md SRC_DIR
"""
import pathlib
import re
import sys

LAYER_LINE = re.compile(r"^- `([A-Za-z0-9_]+)`:")
INCLUDE = re.compile(r'^\s*#\s*include\s+"([A-Za-z0-9_]+)/[^"]*"')


def read_layers(design):
    layers = []
    in_section = False
    for line in design.read_text(encoding="utf-8").splitlines():
        if line.startswith("## "):
            if in_section:
                break
            in_section = line.strip() == "## Layers"
            continue
        match = LAYER_LINE.match(line) if in_section else None
        if match:
            layers.append(match.group(1))
    return layers


def main(argv):
    if len(argv) != 3:
        print(__doc__.strip().splitlines()[-1], file=sys.stderr)
        return 2
    design, src = pathlib.Path(argv[1]), pathlib.Path(argv[2])
    layers = read_layers(design)
    if not layers:
        print(f"{design}: no layer lines under '## Layers'", file=sys.stderr)
        return 2
    rank = {name: index for index, name in enumerate(layers)}

    faults = []
    for folder in sorted(p for p in src.iterdir() if p.is_dir()):
        if folder.name not in rank:
            faults.append(f"{folder}: folder is not listed under '## Layers' in {design}")
    for path in sorted(src.rglob("*")):
        if path.suffix not in (".h", ".cpp") or len(path.relative_to(src).parts) < 2:
            continue
        own = path.relative_to(src).parts[0]
        if own not in rank:
            continue
        for number, text in enumerate(path.read_text(encoding="utf-8", errors="replace").splitlines(), 1):
            match = INCLUDE.match(text)
            if match and match.group(1) in rank and rank[match.group(1)] > rank[own]:
                faults.append(f"{path}:{number}: {text.strip()}  ({own} may not include {match.group(1)}, a higher layer)")

    for fault in faults:
        print(fault)
    print(f"layers: {' -> '.join(layers)}; {len(faults)} upward include(s)")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
