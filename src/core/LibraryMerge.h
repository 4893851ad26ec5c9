#pragma once

#include "core/Library.h"

namespace sorvel::LibraryMerge {

// Joins two libraries that both grew from `base`, record by id (projects and
// types alike): a record changed on one side only comes from that side, one
// changed on both sides from `mine`; a record deleted on one side stays deleted
// when the other side left it unchanged, and stays when the other side changed
// it; records new on either side are kept. The order is that of `mine`, with
// records new in `theirs` placed after their neighbour there.
Library merge(const Library& base, const Library& theirs, const Library& mine);

} // namespace sorvel::LibraryMerge
