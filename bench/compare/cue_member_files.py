#!/usr/bin/env python3
"""Writes the two data files that the decoding of members no record reads is
measured on, as another program writes them (json.dump, indent=1): 2,000
projects of 30 cues and 10 log entries, where every cue carries a member this
version does not read ("mixDate", as a newer version adding a field to cues
would write), and the same file with that member under a name it reads
("doneAt") as the control.

    cue_member_files.py FOLDER   ->  FOLDER/unknown.json, FOLDER/control.json
"""
import datetime
import json
import os
import sys
import uuid

PROJECTS = 2000
CUES = 30
LOG_ENTRIES = 10
STAGES = ["notStarted", "composing", "revising", "mixed", "delivered"]


def date(at):
    return at.isoformat()


def library(cue_member):
    ids = uuid.UUID(int=0x5EED)
    counter = [0]

    def new_id():
        counter[0] += 1
        return str(uuid.UUID(int=ids.int + counter[0])).upper()

    start = datetime.datetime(2024, 1, 1, 9, 0, tzinfo=datetime.timezone.utc)
    type_ids = [new_id() for _ in range(3)]
    projects = []
    for p in range(PROJECTS):
        created = start + datetime.timedelta(hours=p)
        project = {
            "id": new_id(),
            "name": "Project %d" % p,
            "typeID": type_ids[p % 3],
            "status": "inProgress",
            "createdAt": date(created),
            "updatedAt": date(created + datetime.timedelta(days=3)),
            "notes": "Notes for project %d" % p,
        }
        items = []
        for c in range(CUES):
            stage = STAGES[(p + c) % len(STAGES)]
            cue = {
                "id": new_id(),
                "number": "1M%02d" % (c + 1),
                "title": "Cue %d" % (c + 1),
                "stage": stage,
                "duration": 30 + (p * 7 + c * 13) % 240,
                "startDate": date(created + datetime.timedelta(days=c)),
            }
            if stage in ("mixed", "delivered"):
                cue["mixedAt"] = date(created + datetime.timedelta(days=c + 2))
            if stage == "delivered":
                cue["deliveredAt"] = date(created + datetime.timedelta(days=c + 3))
            cue[cue_member] = date(created + datetime.timedelta(days=c + 2, hours=5))
            cue["versions"] = [{"id": new_id(), "number": 2,
                                "date": date(created + datetime.timedelta(days=c + 1)), "note": "tempo"}]
            items.append(cue)
        project["items"] = items
        project["log"] = [{"id": new_id(), "date": date(created + datetime.timedelta(days=3, minutes=-10 * l)),
                           "text": "Progress note %d" % l, "progress": (l % 10) / 10} for l in range(LOG_ENTRIES)]
        project["progressMode"] = "manual" if p % 5 == 0 else "auto"
        project["manualProgress"] = (p % 10) / 10
        project["isFocused"] = p == 0
        projects.append(project)
    types = [{"id": type_ids[i], "title": title, "symbol": "music.note", "colorHex": "#007AFF"}
             for i, title in enumerate(["Film", "Game", "Other"])]
    return {"version": 2, "projects": projects, "types": types}


def main():
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    for name, member in (("unknown.json", "mixDate"), ("control.json", "doneAt")):
        with open(os.path.join(folder, name), "w") as file:
            json.dump(library(member), file, indent=1)


if __name__ == "__main__":
    main()
