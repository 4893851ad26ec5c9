#!/usr/bin/env python3
"""Checks the include graph between the folders of src/.

Each folder is a node: core, studio, widget, every folder of app (app/<name>)
and app itself (main.cpp beside the composition root). An edge a -> b means a
file in a has `#include "b/..."`. The check fails when

  - the folder graph has a cycle (a folder reaches itself through includes),
  - a lower layer includes a higher one: core < studio < app/*, widget,
  - widget includes app, or app includes widget (two programs, no shared code
    but the layers below them),
  - anything includes the composition root: main.cpp in app/ and the shell
    (app/shell) that builds windows, tray, panel and settings, which only
    main.cpp includes.

--graph prints the edges (with one example include each) and checks nothing.
"""
import argparse
import pathlib
import re
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.MULTILINE)
SOURCE_SUFFIXES = {".h", ".cpp"}
RANK = {"core": 0, "studio": 1, "app": 2, "widget": 2}
TOP = "app"
SHELL = "app/shell"


def folder_of(path: str) -> str:
    """Node of a path relative to src/: 'core', 'studio', 'widget', 'app/x' or 'app'."""
    parts = path.split("/")
    if parts[0] == "app" and len(parts) > 2:
        return "app/" + parts[1]
    return parts[0]


def layer_of(node: str) -> str:
    return node.split("/")[0]


def read_graph(src: pathlib.Path):
    edges = {}
    for file in sorted(src.rglob("*")):
        if file.suffix not in SOURCE_SUFFIXES or not file.is_file():
            continue
        rel = file.relative_to(src).as_posix()
        source = folder_of(rel)
        edges.setdefault(source, {})
        text = file.read_text(encoding="utf-8", errors="replace")
        for included in INCLUDE.findall(text):
            if "/" not in included:
                continue  # a neighbour in the same folder
            if not (src / included).exists():
                continue  # generated or outside src/
            target = folder_of(included)
            if target != source:
                edges[source].setdefault(target, f"{rel} -> {included}")
    return edges


def find_cycles(edges):
    """Strongly connected components with more than one folder (Tarjan)."""
    index, low, on_stack, stack, found = {}, {}, set(), [], []
    counter = [0]

    def visit(v):
        index[v] = low[v] = counter[0]
        counter[0] += 1
        stack.append(v)
        on_stack.add(v)
        for w in edges.get(v, {}):
            if w not in index:
                visit(w)
                low[v] = min(low[v], low[w])
            elif w in on_stack:
                low[v] = min(low[v], index[w])
        if low[v] == index[v]:
            component = []
            while True:
                w = stack.pop()
                on_stack.discard(w)
                component.append(w)
                if w == v:
                    break
            if len(component) > 1:
                found.append(sorted(component))

    sys.setrecursionlimit(10000)
    for v in sorted(edges):
        if v not in index:
            visit(v)
    return found


def violations(edges):
    problems = []
    for source, targets in sorted(edges.items()):
        for target, example in sorted(targets.items()):
            s, t = layer_of(source), layer_of(target)
            if RANK.get(s, 0) < RANK.get(t, 0):
                problems.append(f"{source} is below {target} but includes it: {example}")
            elif {s, t} == {"app", "widget"}:
                problems.append(f"{source} and {target} are separate programs: {example}")
            elif target == TOP:
                problems.append(f"{TOP}/ is the composition root and nothing includes it: {example}")
            elif target == SHELL and source != TOP:
                problems.append(f"{SHELL} puts the program together and only main.cpp includes it: {example}")
    for component in find_cycles(edges):
        circle = shortest_circle(edges, component)
        steps = [f"  {edges[a][b]}" for a, b in zip(circle, circle[1:])]
        problems.append("these folders include each other in a circle: " + " -> ".join(circle)
                        + "\n" + "\n".join(steps))
    return problems


def shortest_circle(edges, component):
    """The shortest path from the component's first folder back to itself."""
    start = component[0]
    inside = set(component)
    came_from = {}
    frontier = [start]
    while frontier:
        following = []
        for v in frontier:
            for w in sorted(edges.get(v, {})):
                if w not in inside:
                    continue
                if w == start:
                    path = [v]
                    while path[-1] != start:
                        path.append(came_from[path[-1]])
                    return [start] + list(reversed(path[:-1])) + [start] if v != start else [start, start]
                if w not in came_from:
                    came_from[w] = v
                    following.append(w)
        frontier = following
    return component + [component[0]]


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--src", default=str(pathlib.Path(__file__).resolve().parent.parent / "src"))
    parser.add_argument("--graph", action="store_true", help="print the folder graph and exit")
    args = parser.parse_args()
    edges = read_graph(pathlib.Path(args.src))
    if args.graph:
        for source in sorted(edges):
            print(f"{source} -> {', '.join(sorted(edges[source])) or '(nothing)'}")
        return 0
    problems = violations(edges)
    for p in problems:
        print("layers: " + p, file=sys.stderr)
    if problems:
        return 1
    print(f"layers: {len(edges)} folders, no cycles, every include points down")
    return 0


if __name__ == "__main__":
    sys.exit(main())
