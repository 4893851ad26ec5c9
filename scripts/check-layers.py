#!/usr/bin/env python3
"""Checks the include graph between the folders of src/ and tests/ against the map.

The map is the numbered block under "## Layers" in docs/ARCHITECTURE.md: every
line names the folders of one layer, lowest number at the bottom. Each folder
of src/ is a node: core, instance, studio, widget, every folder of app
(app/<name>), every folder inside one of those (app/<name>/<room>: a room of
its own, on its own line) and app itself (app/main.cpp, the composition
root). An edge
a -> b means a file in a includes a file in b, with quotes or angle brackets,
by a path from src/ or relative to the including file. The check fails when

  - a folder is not on the map,
  - a folder includes a folder on its own line or on a higher one,
  - widget includes app, or app includes widget (two programs, no shared code
    but the layers below them),
  - anything but main.cpp includes the composition root (app/shell and app/main.cpp),
  - the folder graph has a cycle (a folder reaches itself through includes),
  - the edges printed in the notes (the second block under "## Layers") are not
    the ones --graph prints, so the page cannot drift from the sources.

tests/X is checked as src/X: it includes what src/X may, the tests of those
folders, and tests/support, the fixtures every suite shares. tests/support
includes only src/. tests/together runs both programs at once: it may include
either program's folders and tests, but not the composition root, and nothing
includes it.

--graph prints the edges and checks nothing.
"""
import argparse
import difflib
import os
import pathlib
import re
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s*[<"]([^>"]+)[>"]', re.MULTILINE)
SOURCE_SUFFIXES = {".h", ".cpp"}
TOP = "app"
SHELL = "app/shell"
SUPPORT = "tests/support"
TOGETHER = "tests/together"
TESTS = "tests/"


def folder_of(path: str) -> str:
    """Node of a path relative to src/: 'core', 'studio', 'widget', 'app', or the
    folder of app a file is in ('app/x', 'app/x/y')."""
    parts = path.split("/")
    if parts[0] == "app" and len(parts) > 2:
        return "/".join(parts[:-1])
    return parts[0]


def source_of(node: str) -> str:
    """The src/ folder a node stands for: tests/app/x is checked as app/x."""
    return node[len(TESTS):] if node.startswith(TESTS) else node


def program_of(node: str) -> str:
    return source_of(node).split("/")[0]


def layer_blocks(path: pathlib.Path):
    """The fenced blocks of the section "## Layers": the map, then the printed edges."""
    text = path.read_text(encoding="utf-8")
    section = text.split("## Layers", 1)
    if len(section) < 2 or "```" not in section[1]:
        raise SystemExit(f"layers: {path} has no block of layers under '## Layers'")
    section = section[1].split("\n## ", 1)[0]
    # Odd pieces are inside fences; the opening fence's language tag is not content.
    return [piece.split("\n", 1)[1] if "\n" in piece else "" for piece in section.split("```")[1::2]]


def read_map(path: pathlib.Path):
    """Line number of every folder named in the map's layer block."""
    block = layer_blocks(path)[0]
    lines = {}
    for row in block.splitlines():
        row = re.sub(r"\([^)]*\)", " ", row).split()
        if not row or not row[0].isdigit():
            continue
        for name in row[1:]:
            # app/main.cpp stands for the folder app itself.
            lines[folder_of(name) if name.endswith(".cpp") else name] = int(row[0])
    if not lines:
        raise SystemExit(f"layers: the block under '## Layers' in {path} names no folders")
    return lines


def node_of(file: pathlib.Path, roots) -> str:
    """Node of a file under src/ ('app/x') or tests/ ('tests/app/x', 'tests/support')."""
    src, tests = roots
    if file.is_relative_to(src):
        return folder_of(file.relative_to(src).as_posix())
    return TESTS + folder_of(file.relative_to(tests).as_posix())


def resolve(included: str, file: pathlib.Path, roots):
    """The file an include names, as the compiler finds it: beside the including
    file first, then from src/ and tests/; None for Qt, the standard library or
    generated files."""
    src, tests = roots
    bases = [file.parent, src] + ([tests] if file.is_relative_to(tests) else [])
    for base in bases:
        candidate = pathlib.Path(os.path.normpath(base / included))
        if candidate.is_file() and (candidate.is_relative_to(src) or candidate.is_relative_to(tests)):
            return candidate
    return None


def read_graph(roots):
    edges = {}
    for root in roots:
        if not root.is_dir():
            continue
        for file in sorted(root.rglob("*")):
            if file.suffix not in SOURCE_SUFFIXES or not file.is_file():
                continue
            source = node_of(file, roots)
            if source == TESTS + "scripts":
                continue
            edges.setdefault(source, {})
            text = file.read_text(encoding="utf-8", errors="replace")
            for included in INCLUDE.findall(text):
                found = resolve(included, file, roots)
                if found is None:
                    continue
                target = node_of(found, roots)
                if target != source:
                    where = file.relative_to(root.parent).as_posix()
                    edges[source].setdefault(target, f"{where} -> {included}")
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


def graph_lines(edges):
    """The edges as --graph prints them: application folders first, then tests."""
    width = max(len(node) for node in edges)
    return [f"{source:<{width}} -> {', '.join(sorted(edges[source])) or '(nothing)'}"
            for source in sorted(edges, key=lambda node: (node.startswith(TESTS), node))]


def printed_edges_problem(edges, path: pathlib.Path):
    """How the edges printed in the notes differ from the sources', or None."""
    blocks = layer_blocks(path)
    if len(blocks) < 2:
        return f"{path} prints no edges under the map: paste the output of --graph there"
    printed = [" ".join(line.split()) for line in blocks[1].splitlines() if line.strip()]
    actual = [" ".join(line.split()) for line in graph_lines(edges)]
    if printed == actual:
        return None
    diff = difflib.unified_diff(printed, actual, "printed in the notes", "as the sources include", lineterm="", n=0)
    return (f"the edges printed in {path} are not the sources' edges; paste the output of --graph there:\n"
            + "\n".join(diff))


def edge_problem(source, target, example, lines):
    """What is wrong with one include between folders, or None."""
    if source == SUPPORT:
        return (f"{SUPPORT} holds the fixtures of every suite and includes only src/: {example}"
                if target.startswith(TESTS) else None)
    if target == SUPPORT:
        return None if source.startswith(TESTS) else f"only tests include {SUPPORT}: {example}"
    if target == TOGETHER:
        return f"{TOGETHER} runs both programs and nothing includes it: {example}"
    s, t = source_of(source), source_of(target)
    if s == t:
        return None  # a test of a folder includes that folder
    if source != TOGETHER and {program_of(source), program_of(target)} == {"app", "widget"}:
        return f"{source} and {target} are separate programs: {example}"
    if t == TOP:
        return f"{TOP}/main.cpp is the composition root and nothing includes it: {example}"
    if t == SHELL and s != TOP:
        return f"{SHELL} puts the program together and only main.cpp includes it: {example}"
    if source == TOGETHER:
        return None
    if lines[s] == lines[t]:
        return f"{source} and {target} are on one line of the map and may not include each other: {example}"
    if lines[s] < lines[t]:
        return f"{source} is below {target} but includes it: {example}"
    return None


def violations(edges, lines):
    problems = []
    for node in sorted(set(edges) | {t for targets in edges.values() for t in targets}):
        if node not in (SUPPORT, TOGETHER) and source_of(node) not in lines:
            problems.append(f"{node} is on no line of the map: add it to the layers in docs/ARCHITECTURE.md")
    if problems:
        return problems
    for source, targets in sorted(edges.items()):
        for target, example in sorted(targets.items()):
            problem = edge_problem(source, target, example, lines)
            if problem:
                problems.append(problem)
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
    here = pathlib.Path(__file__).resolve().parent.parent
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--src", default=str(here / "src"), help="the sources; their tests are in ../tests")
    parser.add_argument("--map", help="the architecture notes (default: ../docs/ARCHITECTURE.md beside --src)")
    parser.add_argument("--graph", action="store_true", help="print the folder graph and exit")
    args = parser.parse_args()
    src = pathlib.Path(args.src).resolve()
    roots = (src, src.parent / "tests")
    edges = read_graph(roots)
    if args.graph:
        print("\n".join(graph_lines(edges)))
        return 0
    notes = pathlib.Path(args.map) if args.map else src.parent / "docs" / "ARCHITECTURE.md"
    lines = read_map(notes)
    problems = violations(edges, lines)
    drift = printed_edges_problem(edges, notes)
    if drift:
        problems.append(drift)
    for p in problems:
        print("layers: " + p, file=sys.stderr)
    if problems:
        return 1
    print(f"layers: {len(edges)} folders on {len(set(lines.values()))} lines of the map, every include points down")
    return 0


if __name__ == "__main__":
    sys.exit(main())
