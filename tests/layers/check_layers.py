#!/usr/bin/env python3
"""Checks the direction of the includes between the program's folders.

The folders stand on floors: base/ on nothing of the project; the shared
floors (settings/, render/, net/) on base/ alone; the features on base/ and
the shared floors, never on each other; app/ on top of everything. A folder
that is on no floor is reported, so a new one has to be placed here. Reads
every source file's quoted includes; prints each violation and exits 1 when
there is any. With --self-test it plants violations in a scratch tree and
fails unless each is caught.
"""
import os
import re
import sys
import tempfile

INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"/]+)/[^"]+"', re.M)
NOT_LAYERS = {"tests", "bench", "tools", "build", "cmake", "docs", "scripts", "resources"}
SOURCE_ENDINGS = (".h", ".hpp", ".cpp", ".cc")
FLOOR = {"base": 0, "settings": 1, "render": 1, "net": 1,
         "weather": 2, "horoscope": 2, "nettime": 2, "power": 2, "calendar": 2, "app": 3}


def folder_edges(root):
    """(from folder, to folder) -> first file that makes the edge."""
    edges = {}
    for folder in sorted(os.listdir(root)):
        path = os.path.join(root, folder)
        if folder.startswith(".") or folder in NOT_LAYERS or not os.path.isdir(path):
            continue
        for dirpath, _, files in os.walk(path):
            for name in sorted(files):
                if not name.endswith(SOURCE_ENDINGS):
                    continue
                file = os.path.join(dirpath, name)
                with open(file, encoding="utf-8", errors="replace") as f:
                    for target in INCLUDE.findall(f.read()):
                        if target != folder and os.path.isdir(os.path.join(root, target)):
                            edges.setdefault((folder, target), os.path.relpath(file, root))
    return edges


def violations(root):
    edges = folder_edges(root)
    found = []
    folders = {a for a, _ in edges} | {b for _, b in edges}
    for folder in sorted(folders - FLOOR.keys()):
        found.append(f"{folder}/ stands on no floor: place it in FLOOR")
    for (a, b), file in sorted(edges.items()):
        if a in FLOOR and b in FLOOR and FLOOR[b] >= FLOOR[a]:
            if a == "base":
                found.append(f"{file}: base/ includes {b}/")
            elif b == "app":
                found.append(f"{file}: {a}/ includes app/")
            elif FLOOR[a] == FLOOR[b]:
                found.append(f"{file}: {a}/ includes {b}/, which stands on the same floor")
            else:
                found.append(f"{file}: {a}/ includes {b}/, which stands above it")
    graph = {}
    for a, b in edges:
        graph.setdefault(a, set()).add(b)

    def reaches(start, goal, seen):
        for nxt in graph.get(start, ()):
            if nxt == goal:
                return True
            if nxt not in seen:
                seen.add(nxt)
                if reaches(nxt, goal, seen):
                    return True
        return False

    for (a, b), file in sorted(edges.items()):
        if reaches(b, a, {b}):
            found.append(f"{file}: {a}/ includes {b}/, which leads back to {a}/")
    return found


def self_test():
    plants = {
        "base/x.h": '#include "settings/s.h"\n',
        "weather/y.cpp": '#include "app/main.h"\n',
        "net/n.h": '#include "weather/w.h"\n',
        "stray/s.h": '#include "base/b.h"\n',
        "power/p.h": '#include "calendar/c.h"\n',
        "calendar/c.h": '#include "power/p.h"\n',
    }
    expected = ["base/ includes settings/", "weather/ includes app/", "power/ includes calendar/",
                "calendar/ includes power/", "net/ includes weather/", "stray/ stands on no floor"]
    with tempfile.TemporaryDirectory() as root:
        for folder in ("base", "settings", "net", "weather", "power", "calendar", "app", "stray"):
            os.makedirs(os.path.join(root, folder))
        for rel, text in plants.items():
            with open(os.path.join(root, rel), "w") as f:
                f.write(text)
        report = "\n".join(violations(root))
    missed = [e for e in expected if e not in report]
    for e in missed:
        print("not caught:", e)
    return 1 if missed else 0


def main():
    if sys.argv[1:] == ["--self-test"]:
        return self_test()
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "..")
    found = violations(os.path.abspath(root))
    for line in found:
        print(line)
    print(f"{len(found)} include direction violations")
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
