#!/usr/bin/env python3
"""Checks the source tree's floors: each folder of src includes only itself and the folders below
it, and no two modules (a .cpp with its .h) include each other, however far round.

    tools/check-layers.py [src-folder]

Prints each fault and exits 1 when there is one."""
import pathlib
import re
import sys

# Top to bottom. Folders on one floor may not use each other.
FLOORS = [
    ["app"],
    ["cli"],
    ["ui"],
    ["scan", "update"],
    ["net", "catalogue"],
    ["system"],
]
# Maintainers' programs, each its own top.
TOOLS = "tools"

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.MULTILINE)


def floor_of(folder):
    for level, folders in enumerate(FLOORS):
        if folder in folders:
            return level
    return None


def main():
    src = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else pathlib.Path(__file__).parent.parent / "src")
    faults = []
    edges = {}
    for path in sorted(src.rglob("*")):
        if path.suffix not in (".cpp", ".h"):
            continue
        relative = path.relative_to(src).as_posix()
        folder = relative.split("/")[0]
        module = relative.rsplit(".", 1)[0]
        own = floor_of(folder)
        if own is None and folder != TOOLS:
            faults.append(f"{relative}: the folder {folder} has no floor")
            continue
        for included in INCLUDE.findall(path.read_text(encoding="utf-8")):
            if "/" not in included:
                continue  # generated headers of the build
            target = included.split("/")[0]
            if not (src / included).exists():
                faults.append(f"{relative}: includes {included}, which is not there")
                continue
            below = floor_of(target)
            if folder == TOOLS and target == TOOLS:
                pass
            elif below is None:
                faults.append(f"{relative}: includes {included} from {target}, which nothing may use")
            elif folder != TOOLS and target != folder and below <= own:
                where = "the same floor" if below == own else "a floor above"
                faults.append(f"{relative}: includes {included} from {where}")
            other = included.rsplit(".", 1)[0]
            if other != module:
                edges.setdefault(module, set()).add(other)

    # Circles between modules, each reported once from its first module in name order.
    seen = set()
    for start in sorted(edges):
        stack = [(start, [start])]
        while stack:
            module, trail = stack.pop()
            for nxt in sorted(edges.get(module, ())):
                if nxt == start:
                    circle = trail + [start]
                    key = frozenset(circle)
                    if key not in seen:
                        seen.add(key)
                        faults.append("include circle: " + " -> ".join(circle))
                elif nxt not in trail and nxt > start:
                    stack.append((nxt, trail + [nxt]))

    for fault in faults:
        print(fault)
    if faults:
        return 1
    print(f"layers: {len(edges)} modules, floors and circles checked")
    return 0


if __name__ == "__main__":
    sys.exit(main())
