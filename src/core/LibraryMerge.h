#pragma once

#include "core/Library.h"

#include <QStringList>

namespace sorvel::LibraryMerge {

// Joins two libraries that both grew from `base`, record by id (projects, their
// cues, cue versions and log entries, and types): a record changed on one side
// only comes from that side; one changed on both sides is merged field by
// field, each field from the side that changed it, and `mine` where both
// changed the same field (the value set aside is noted). A record deleted on
// one side stays deleted when the other side left it unchanged; deleted on one
// side and changed on the other, `mine` decides: deleted here, the other
// side's change is set aside; changed here, the record stays (both noted).
// Records new on either side are kept. A list's order is that of the side that
// changed it (`mine` when both did), with the other side's new records placed
// after their neighbour there; a log merged from both sides stays newest
// first. A project merged from both sides carries the later of the two change
// dates, at most one project stays focused (the one `mine` chose when both
// chose one), and a project left on a type one side deleted goes where that
// side sent the type's projects, or to the "other" type (noted).
//
// What was set aside or moved is appended to `notes`, one line each.
Library merge(const Library& base, const Library& theirs, const Library& mine, QStringList* notes);
// The same, with the notes written to the log.
Library merge(const Library& base, const Library& theirs, const Library& mine);
// Writes the notes of a merge to the log as information, "Sorvel merge: " first.
void logNotes(const QStringList& notes);

} // namespace sorvel::LibraryMerge
