#!/usr/bin/env python3
"""Joins a solution's taps into holds, as a person would play them.

usage: scripts/hold-presses.py IN.play OUT.play [GAP]

The planner presses in short steps, so a long push comes out as a run of presses on one point with a couple of
updates between them. A person holds the mouse down instead, and a replay with human timing (`tibble-plan --robust`)
follows one long press far better than a run of short ones. Every run of presses on the same point, each starting
within GAP updates (default 2) of the last one's release, becomes one press from the first start to the last
release. Replay the result: the release between two taps may have mattered.
"""
import re
import sys

PRESS = re.compile(r"^(\d+) (down|up) (-?\d+) (-?\d+)$")


def main():
    if len(sys.argv) not in (3, 4):
        sys.exit(__doc__.strip().split("\n\n")[1])
    source, target = sys.argv[1], sys.argv[2]
    gap = int(sys.argv[3]) if len(sys.argv) == 4 else 2
    lines = open(source).read().split("\n")
    out = []
    i = 0
    while i < len(lines):
        down = PRESS.match(lines[i])
        up = PRESS.match(lines[i + 1]) if down and i + 1 < len(lines) else None
        if not (down and down.group(2) == "down" and up and up.group(2) == "up"):
            out.append(lines[i])
            i += 1
            continue
        point = down.group(3, 4)
        end = int(up.group(1))
        i += 2
        while i + 1 < len(lines):
            nd, nu = PRESS.match(lines[i]), PRESS.match(lines[i + 1])
            if not (nd and nu and nd.group(2) == "down" and nu.group(2) == "up" and nd.group(3, 4) == point
                    and int(nd.group(1)) - end <= gap):
                break
            end = int(nu.group(1))
            i += 2
        out.append(f"{down.group(1)} down {point[0]} {point[1]}")
        out.append(f"{end} up {point[0]} {point[1]}")
    with open(target, "w") as file:
        file.write("\n".join(out))


if __name__ == "__main__":
    main()
