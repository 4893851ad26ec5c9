#pragma once

#include "core/Library.h"

namespace sorvel::DuplicateIds {

// Gives every record that repeats the id of an earlier record in its list (a
// block copied by hand) an id of its own: derived from the id and its rank
// among the records that carry it, so that every process reading the same
// file gives it the same id, and none equal to another id of the list.
// Projects, types, and the cues, versions and log entries of each project.
void separate(Library& library);

} // namespace sorvel::DuplicateIds
