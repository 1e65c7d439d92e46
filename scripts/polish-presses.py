#!/usr/bin/env python3
"""Polishes a solution's presses so that a person's timing can follow it.

usage: scripts/polish-presses.py MAP.pmp LEVEL_INDEX IN.play OUT.play [--seeds 1,2,3] [--rounds N] [--minutes M]
                                 [--window FROM,TO] [--wide] [--bin DIR]

The planner's presses are right to the update for the one run it plays. A person starts and ends each press a
little early or late, and `tibble-plan --robust` measures how often that still completes the level. This tool
tries, press by press, a few small changes a person would not notice (the press held 30 or 60 updates longer or
15 shorter, started 15 updates earlier or later) and keeps each change that makes more shifted runs complete,
summed over the given seeds, while the script as written still completes. Presses stay in order, never overlap and
last at least 20 updates. The lines after the last press (the closing expectation and the end) move with the
level's completion. OUT.play is written after every kept change, so an interrupted run leaves its best.

--window keeps the work to the presses that start between two script updates: `tibble-plan --robust --verbose`
says after which nectar the failing runs stopped, which names the hop to polish. --wide adds bolder moves (started
45 updates earlier or later or 120 earlier, held 120 or 240 longer or 45 shorter). A press that starts while the
bee cannot yet be pushed (it is feeding, tumbling or coming out of a trumpet) starts to act the moment it can, which
takes the press's own timing out of the route.

Judge the result on seeds the polish did not see (tibble-plan --robust --seed 7): a change that only suits the
seeds it was chosen on is no gain.
"""
import argparse
import os
import re
import subprocess
import sys
import time

PRESS = re.compile(r"^(\d+) (down|up) (-?\d+) (-?\d+)$")
# (end of press, start of press) moves tried for each press, in updates.
CHANGES = (("end", 30), ("end", 60), ("start", -15), ("start", 15), ("end", -15))
# With --wide, bolder moves as well: a press that must catch a bee whose arrival wanders (out of a trap, after a
# long flight) is best held over the whole time the bee may come.
WIDE = (("start", -45), ("end", 120), ("start", 45), ("end", -45), ("start", -120), ("end", 240))
SHORTEST = 20


def robust_total(args, lines, scratch):
    """Shifted runs that complete, summed over the seeds, and the update the script as written completes at;
    (-1, 0) when it does not complete."""
    with open(scratch, "w") as file:
        file.write("\n".join(lines))
    total = 0
    completes = 0
    for seed in args.seeds.split(","):
        result = subprocess.run([os.path.join(args.bin, "tibble-plan"), "--data", args.bin, "--level-index",
                                 str(args.index), "--robust", scratch, "--seed", seed, args.map],
                                capture_output=True, text=True)
        found = re.search(r"completes at update (\d+); (\d+) of \d+ shifted runs complete", result.stdout)
        if result.returncode != 0 or not found:
            return -1, 0
        completes = int(found.group(1))
        total += int(found.group(2))
    return total, completes


def follow_completion(lines, shift):
    """Moves the lines after the last press (the script's closing expectations and its end) by shift updates, so
    they still come right after the level completes."""
    rows = [i for i, line in enumerate(lines) if PRESS.match(line)]
    moved = list(lines)
    for i in range(rows[-1] + 1 if rows else 0, len(lines)):
        found = re.match(r"^(\d+)( .*)$", lines[i])
        if found:
            moved[i] = f"{int(found.group(1)) + shift}{found.group(2)}"
    return moved


def main():
    parser = argparse.ArgumentParser(description="Polishes a solution's presses for a person's timing.")
    parser.add_argument("map")
    parser.add_argument("index", type=int)
    parser.add_argument("script")
    parser.add_argument("out")
    parser.add_argument("--seeds", default="1,2,3")
    parser.add_argument("--rounds", type=int, default=1)
    parser.add_argument("--minutes", type=float, default=40)
    parser.add_argument("--window", default="")
    parser.add_argument("--wide", action="store_true")
    parser.add_argument("--bin", default="build/bin")
    args = parser.parse_args()
    args.map = os.path.abspath(args.map)
    args.bin = os.path.abspath(args.bin)
    deadline = time.time() + args.minutes * 60

    lines = open(args.script).read().split("\n")
    scratch = os.path.abspath(args.out) + ".try"
    best, completes = robust_total(args, lines, scratch)
    first_completes = completes
    if best < 0:
        sys.exit("polish-presses: the script as written does not complete the level")
    print(f"start: {best} runs complete", flush=True)
    rows = [i for i, line in enumerate(lines) if PRESS.match(line)]
    presses = [(rows[k], rows[k + 1]) for k in range(0, len(rows) - 1, 2)]
    low, high = (int(v) for v in args.window.split(",")) if args.window else (0, 1 << 30)
    changes = CHANGES + WIDE if args.wide else CHANGES
    for _ in range(args.rounds):
        for k, (down_row, up_row) in enumerate(presses):
            if time.time() > deadline:
                break
            if not low <= int(PRESS.match(lines[down_row]).group(1)) <= high:
                continue
            for which, delta in changes:
                down, up = PRESS.match(lines[down_row]), PRESS.match(lines[up_row])
                start, end = int(down.group(1)), int(up.group(1))
                if which == "end":
                    end += delta
                else:
                    start += delta
                before = int(PRESS.match(lines[presses[k - 1][1]]).group(1)) if k > 0 else 0
                after = int(PRESS.match(lines[presses[k + 1][0]]).group(1)) if k + 1 < len(presses) else 1 << 30
                if not (before < start and end < after and end - start >= SHORTEST):
                    continue
                trial = list(lines)
                trial[down_row] = f"{start} down {down.group(3)} {down.group(4)}"
                trial[up_row] = f"{end} up {up.group(3)} {up.group(4)}"
                total, trial_completes = robust_total(args, trial, scratch)
                if total > best:
                    best, lines, completes = total, trial, trial_completes
                    print(f"press {k + 1}: {which} {delta:+d} -> {best} runs complete", flush=True)
                    with open(args.out, "w") as file:
                        file.write("\n".join(follow_completion(lines, completes - first_completes)))
    with open(args.out, "w") as file:
        file.write("\n".join(follow_completion(lines, completes - first_completes)))
    os.remove(scratch)
    print(f"done: {best} runs complete", flush=True)


if __name__ == "__main__":
    main()
