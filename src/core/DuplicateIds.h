#pragma once

#include "core/Library.h"

namespace sorvel::DuplicateIds {

// Gives every record whose id is repeated in its list (a block copied by
// hand) an id of its own, the first of them too: derived from the id and the
// record's rank among those that carry it, so that every process reading the
// same file gives it the same id, and none equal to another id of the list.
// Projects, types, and the cues, versions and log entries of each project; a
// project on a repeated type stays on the first of them, as it showed.
void separate(Library& library);

} // namespace sorvel::DuplicateIds
