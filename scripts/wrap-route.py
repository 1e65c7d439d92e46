#!/usr/bin/env python3
"""Wraps hedge architecture round the routes a level's solution takes.

usage: scripts/wrap-route.py LEVEL.lvl OUT.lvl TRAILS... [--solid SHARE] [--gap TILES] [--seed N]

TRAILS are files written by `tibble-plan --robust SCRIPT --trail FILE`: one line per run with the tiles the
bee's box came within a pixel of. The tiles of every completing run are frozen as they are; every other tile
is ours to shape, except that hedge stays hedge and pits stay open. Because the bee only ever looks at the
tiles under its box, each completing run plays out exactly as before in the wrapped level.

What it does with the free tiles, in order:
  1. fills those at least GAP tiles (default 2) from any route tile or object, leaving corridors and chambers
     round the routes; opens or fills the nearest or farthest free tiles to bring the solid share to SHARE
     (default 0.42, the band we design to is 0.20 to 0.55);
  2. fills open pockets the routes never reach;
  3. avoids left ends in open sky (a block whose only solid neighbour is on its right takes the lone-block
     piece, which suits a hedge's end better than the middle of a floor);
  4. shapes the hedge so it shows the whole set of pieces: toggles free tiles one at a time, keeping each
     toggle that adds a piece the level lacks without opening a seam or leaving the solid band.
The object lines and comments are copied unchanged. Check the result with `levelc check --strict`, look at it
with `levelc render`, and replay the solution and the robustness check on it.
"""
import argparse
import random
import sys
from collections import deque

TILE = 64
SIZES = {"sunflower": 64, "rose": 64, "trumpet": 64, "linktrumpet": 64, "flytrap": 64, "tomato": 64,
         "redrose": 64, "purplerose": 64, "exit": 64, "miniflower": 48, "pansy": 48, "pansy2": 48, "hive": 48,
         "start": 48}


def read_level(path):
    lines = open(path).read().split("\n")
    start = next(i for i, l in enumerate(lines) if l.strip() == "grid")
    end = next(i for i in range(start + 1, len(lines)) if lines[i].strip() == "end")
    grid = [list(l.strip()) for l in lines[start + 1:end]]
    for row in grid:
        for c in row:
            if c not in ".#":
                sys.exit("wrap-route: only '.' and '#' grids are supported")
    return lines, start, end, grid


def object_tiles(lines, width, height):
    """Tiles the objects' pictures cover (hoses: the nozzle and the tiles next to it), which stay open."""
    keep = set()
    for line in lines:
        words = line.split("#", 1)[0].split()
        if len(words) < 4 or words[1] not in ("at", "tile"):
            continue
        kind = words[0]
        x, y = float(words[2]), float(words[3])
        if words[1] == "tile":
            x, y = x * TILE, y * TILE
        if kind == "hose":
            box = (x - 40, y - 40, x + 40, y + 40)
        else:
            size = SIZES.get(kind, 64)
            box = (x, y, x + size - 1, y + size - 1)
        for r in range(max(0, int(box[1]) // TILE), min(height - 1, int(box[3]) // TILE) + 1):
            for c in range(max(0, int(box[0]) // TILE), min(width - 1, int(box[2]) // TILE) + 1):
                keep.add((c, r))
    return keep


def read_trails(paths):
    frozen = set()
    runs = completed = 0
    for path in paths:
        for line in open(path):
            words = line.split()
            if len(words) < 3 or words[0] != "run":
                continue
            runs += 1
            if words[2] != "completed":
                continue
            completed += 1
            for pair in words[4:]:
                c, r = pair.split(",")
                frozen.add((int(c), int(r)))
    return frozen, runs, completed


def solid(grid, c, r):
    """The grid's sides and top count as hedge, its bottom as open."""
    if r < 0 or c < 0 or c >= len(grid[0]):
        return True
    if r >= len(grid):
        return False
    return grid[r][c] == "#"


def shape(grid, c, r):
    return ((8 if solid(grid, c, r - 1) else 0) | (4 if solid(grid, c + 1, r) else 0) |
            (2 if solid(grid, c, r + 1) else 0) | (1 if solid(grid, c - 1, r) else 0))


def shapes(grid):
    return {shape(grid, c, r) for r in range(len(grid)) for c in range(len(grid[0])) if grid[r][c] == "#"}


def seams(grid):
    """Blocks whose only solid neighbour is on their right: the auto-tiler draws them as lone blocks."""
    return [(c, r) for r in range(len(grid)) for c in range(len(grid[0]))
            if grid[r][c] == "#" and shape(grid, c, r) == 4]


def share(grid):
    return sum(row.count("#") for row in grid) / (len(grid) * len(grid[0]))


def distances(grid, sources):
    width, height = len(grid[0]), len(grid)
    dist = {s: 0 for s in sources}
    queue = deque(sources)
    while queue:
        c, r = queue.popleft()
        for dc in (-1, 0, 1):
            for dr in (-1, 0, 1):
                n = (c + dc, r + dr)
                if 0 <= n[0] < width and 0 <= n[1] < height and n not in dist:
                    dist[n] = dist[(c, r)] + 1
                    queue.append(n)
    return dist


def fill_pockets(grid, free, reached):
    """Fills open regions of free tiles that no route or object reaches."""
    width, height = len(grid[0]), len(grid)
    seen = set()
    for r in range(height):
        for c in range(width):
            if grid[r][c] != "." or (c, r) in seen:
                continue
            region, queue, useful = [], deque([(c, r)]), False
            seen.add((c, r))
            while queue:
                t = queue.popleft()
                region.append(t)
                useful |= t in reached
                for n in ((t[0] + 1, t[1]), (t[0] - 1, t[1]), (t[0], t[1] + 1), (t[0], t[1] - 1)):
                    if 0 <= n[0] < width and 0 <= n[1] < height and n not in seen and grid[n[1]][n[0]] == ".":
                        seen.add(n)
                        queue.append(n)
            if not useful and all(t in free for t in region):
                for t in region:
                    grid[t[1]][t[0]] = "#"


def write_level(lines, start, end, grid, path):
    text = lines[:start + 1] + ["".join(row) for row in grid] + lines[end:]
    with open(path, "w") as out:
        out.write("\n".join(text))


def main():
    parser = argparse.ArgumentParser(description="Wraps hedge round a level's solution routes.")
    parser.add_argument("level")
    parser.add_argument("out")
    parser.add_argument("trails", nargs="+")
    parser.add_argument("--solid", type=float, default=0.42)
    parser.add_argument("--gap", type=int, default=2)
    parser.add_argument("--seed", type=int, default=1)
    args = parser.parse_args()

    lines, start, end, grid = read_level(args.level)
    width, height = len(grid[0]), len(grid)
    keep = object_tiles(lines, width, height)
    frozen, runs, completed = read_trails(args.trails)
    fixed = frozen | keep
    # Hedge the level was drawn with stays: opening it could cut a pit into a floor. Pits stay too: a gap in
    # the bottom row and the open shaft above it, up to the first hedge.
    pits = set()
    for c in range(width):
        r = height - 1
        while r >= 0 and grid[height - 1][c] == "." and grid[r][c] == ".":
            pits.add((c, r))
            r -= 1
    free = [(c, r) for r in range(height) for c in range(width)
            if (c, r) not in fixed and (c, r) not in pits and grid[r][c] == "."]

    # 1. Corridors and chambers round the routes, then the solid share.
    dist = distances(grid, list(fixed))
    for c, r in free:
        if dist.get((c, r), 99) >= args.gap:
            grid[r][c] = "#"
    order = sorted(free, key=lambda t: dist.get(t, 99))
    cells = width * height
    count = sum(row.count("#") for row in grid)
    for c, r in order:  # nearest first: widen the corridors
        if count <= args.solid * cells:
            break
        if grid[r][c] == "#":
            grid[r][c] = "."
            count -= 1
    for c, r in reversed(order):  # farthest first: fill the open sky
        if count >= args.solid * cells:
            break
        if grid[r][c] == ".":
            grid[r][c] = "#"
            count += 1

    # 2. Pockets nothing reaches.
    free_set = set(free)
    fill_pockets(grid, free_set, frozen | keep)

    def fix_seams():
        for _ in range(4 * cells):
            bad = seams(grid)
            if not bad:
                return True
            c, r = bad[0]
            if (c - 1, r) in free_set:
                grid[r][c - 1] = "#"
            elif (c, r) in free_set:
                grid[r][c] = "."
            elif (c, r - 1) in free_set and grid[r - 1][c] == ".":
                grid[r - 1][c] = "#"
            elif (c, r + 1) in free_set and r + 1 < height and grid[r + 1][c] == ".":
                grid[r + 1][c] = "#"
            else:
                return False
        return False

    # 3. Seams.
    fix_seams()

    # 4. The whole set of pieces, within the band and without seams.
    rng = random.Random(args.seed)
    def score():
        return (len(shapes(grid)), -len(seams(grid)))
    best = score()
    for _ in range(6):
        improved = False
        tiles = list(free)
        rng.shuffle(tiles)
        for c, r in tiles:
            old = grid[r][c]
            grid[r][c] = "." if old == "#" else "#"
            now = score()
            if now > best and 0.2 <= share(grid) <= 0.55:
                best = now
                improved = True
            else:
                grid[r][c] = old
        if not improved or best[0] == 16:
            break
    fix_seams()
    # Shaping can close off a pocket of its own.
    fill_pockets(grid, free_set, frozen | keep)
    fix_seams()

    write_level(lines, start, end, grid, args.out)
    missing = sorted(set(range(16)) - shapes(grid))
    print(f"{args.out}: {completed} of {runs} runs frozen, {len(free)} free tiles; solid {share(grid):.0%}, "
          f"{16 - len(missing)} of 16 pieces (missing {missing}), {len(seams(grid))} seams")


if __name__ == "__main__":
    main()
