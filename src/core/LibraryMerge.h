#pragma once

#include "core/Library.h"

namespace sorvel::LibraryMerge {

// Joins two libraries that both grew from `base`, record by id (projects, their
// cues, cue versions and log entries, and types): a record changed on one side
// only comes from that side; one changed on both sides is merged field by
// field, each field from the side that changed it, and `mine` where both
// changed the same field (the value set aside is logged). A record deleted on
// one side stays deleted when the other side left it unchanged, and stays when
// the other side changed it; records new on either side are kept. A list's
// order is that of the side that changed it (`mine` when both did), with the
// other side's new records placed after their neighbour there; a log merged
// from both sides stays newest first. A project merged from both sides carries
// the later of the two change dates, and at most one project stays focused
// (the one `mine` chose when both chose one).
Library merge(const Library& base, const Library& theirs, const Library& mine);

} // namespace sorvel::LibraryMerge
