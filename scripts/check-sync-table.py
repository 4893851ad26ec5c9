#!/usr/bin/env python3
"""Checks the sync's table in docs/ARCHITECTURE.md against its state machine.

The table is the one under "## The data file's sync"; its rows are
"| State | Event | What is done | Next state |". Names in backticks are checked:
in the State, Event and Next state columns against the enums SyncState and
SyncEvent of src/app/store/sync/SyncMachine.h, in "What is done" against
SyncAction (or SyncEvent, for the event an action leads to). The State column is "any" or a list of states. The check fails when

  - a state, an event or an action of the code is missing from the table,
  - the table names a state, event or action the code does not have,
  - a pair of a state and an event has no row.
"""
import argparse
import pathlib
import re
import sys

TICKED = re.compile(r"`([A-Za-z]+)`")
SECTION = "## The data file's sync"


def enum_values(header: str, name: str):
    found = re.search(r"enum\s+class\s+" + name + r"\s*\{(.*?)\};", header, re.S)
    if not found:
        raise SystemExit(f"sync table: no enum {name} in the machine's header")
    body = re.sub(r"//[^\n]*", "", found.group(1))
    return [v.strip().split("=")[0].strip() for v in body.split(",") if v.strip()]


def table_rows(doc: str):
    parts = doc.split(SECTION, 1)
    if len(parts) < 2:
        raise SystemExit(f"sync table: no section '{SECTION}'")
    section = parts[1].split("\n## ", 1)[0]
    rows = []
    for line in section.splitlines():
        line = line.strip()
        if not line.startswith("|") or set(line) <= set("|- "):
            continue
        cells = [c.strip() for c in line.strip("|").split("|")]
        if len(cells) != 4 or cells[0] == "State":
            continue
        rows.append(cells)
    if not rows:
        raise SystemExit("sync table: the section has no table")
    return rows


def check(header_path: pathlib.Path, doc_path: pathlib.Path):
    header = header_path.read_text(encoding="utf-8")
    states = enum_values(header, "SyncState")
    events = enum_values(header, "SyncEvent")
    actions = enum_values(header, "SyncAction")
    problems = []
    covered = set()
    named = {"state": set(), "event": set(), "action": set()}
    for state_cell, event_cell, done_cell, next_cell in table_rows(doc_path.read_text(encoding="utf-8")):
        row_states = TICKED.findall(state_cell)
        row_events = TICKED.findall(event_cell)
        for state in row_states + TICKED.findall(next_cell):
            if state not in states:
                problems.append(f"the table names the state {state}, which SyncState does not have")
            named["state"].add(state)
        for event in row_events:
            if event not in events:
                problems.append(f"the table names the event {event}, which SyncEvent does not have")
            named["event"].add(event)
        for action in TICKED.findall(done_cell):
            if action in events:
                continue  # what is done may name the event that follows
            if action not in actions:
                problems.append(f"the table names the action {action}, which SyncAction does not have")
            named["action"].add(action)
        # "any" covers every state but names none: a state must be named somewhere.
        covered.update((s, e) for s in (states if state_cell == "any" else row_states) for e in row_events)
    for kind, values in (("state", states), ("event", events), ("action", actions)):
        for value in values:
            if value not in named[kind]:
                problems.append(f"the {kind} {value} of the code is missing from the table")
    for state in states:
        for event in events:
            if (state, event) not in covered and state in named["state"] and event in named["event"]:
                problems.append(f"no row for the state {state} and the event {event}")
    return problems, len(states), len(events), len(actions)


def main():
    repo = pathlib.Path(__file__).resolve().parent.parent
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--header", type=pathlib.Path, default=repo / "src/app/store/sync/SyncMachine.h")
    parser.add_argument("--doc", type=pathlib.Path, default=repo / "docs/ARCHITECTURE.md")
    args = parser.parse_args()
    problems, states, events, actions = check(args.header, args.doc)
    for problem in problems:
        print(f"sync table: {problem}")
    if problems:
        return 1
    print(f"sync table: {states} states, {events} events and {actions} actions, every pair has its row")
    return 0


if __name__ == "__main__":
    sys.exit(main())
