#!/usr/bin/env python3
"""Checks the sync's table in docs/ARCHITECTURE.md against the machine's own.

The machine's table (src/app/store/sync/SyncMachine.cpp) is printed by the
program sorvel-sync-table, built from it. The table under "## The data file's
sync" in the map must be that output line for line: the same rows, with the
same states, event, condition, actions in order, next state and step, in the
same order. The check fails at the first row that differs and prints it.
With --write it puts the printed table in the map's place instead.
"""
import argparse
import os
import pathlib
import subprocess
import sys

SECTION = "## The data file's sync"
HEADER = "| State | Event | Condition |"


def table_span(lines):
    """The first and one past the last line of the table in the section."""
    try:
        start = next(i for i, line in enumerate(lines) if line.startswith(SECTION))
    except StopIteration:
        raise SystemExit(f"sync table: no section '{SECTION}' in the map")
    for i in range(start + 1, len(lines)):
        if lines[i].startswith("## "):
            break
        if lines[i].startswith(HEADER):
            end = i
            while end < len(lines) and lines[end].startswith("|"):
                end += 1
            return i, end
    raise SystemExit("sync table: the section has no table starting with " + HEADER)


def printed(printer: pathlib.Path):
    if not printer.is_file():
        raise SystemExit(f"sync table: no {printer}; build the target sorvel-sync-table first")
    out = subprocess.run([str(printer)], check=True, capture_output=True, text=True).stdout
    return out.splitlines()


def main():
    repo = pathlib.Path(__file__).resolve().parent.parent
    build = pathlib.Path(os.environ.get("SORVEL_BUILD_DIR", repo / "build"))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--printer", type=pathlib.Path, default=build / "tools/sorvel-sync-table")
    parser.add_argument("--doc", type=pathlib.Path, default=repo / "docs/ARCHITECTURE.md")
    parser.add_argument("--write", action="store_true", help="put the printed table in the map")
    args = parser.parse_args()
    code = printed(args.printer)
    lines = args.doc.read_text(encoding="utf-8").splitlines()
    start, end = table_span(lines)
    doc = lines[start:end]
    if args.write:
        lines[start:end] = code
        args.doc.write_text("\n".join(lines) + "\n", encoding="utf-8")
        print(f"sync table: wrote {len(code) - 2} rows into {args.doc}")
        return 0
    for number, (mine, theirs) in enumerate(zip(doc, code)):
        if mine != theirs:
            print(f"sync table: row {number - 1} of the map differs from the machine's")
            print(f"  map:     {mine}")
            print(f"  machine: {theirs}")
            return 1
    if len(doc) != len(code):
        longer, name = (doc, "map") if len(doc) > len(code) else (code, "machine")
        print(f"sync table: the {name} has {abs(len(doc) - len(code))} more row(s), the first:")
        print(f"  {name}: {longer[min(len(doc), len(code))]}")
        return 1
    print(f"sync table: the map's {len(code) - 2} rows are the machine's, in its order")
    return 0


if __name__ == "__main__":
    sys.exit(main())
