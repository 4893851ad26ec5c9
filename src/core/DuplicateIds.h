#pragma once

#include "core/Library.h"

#include <QList>

namespace sorvel::DuplicateIds {

// Gives every record whose id is repeated in its list (a block copied by
// hand) an id of its own, the first of them too: derived from the id and what
// the record says of itself (a project's name and the creation date it is
// stored with: `creationStored` says, project by project, whether it was, as
// a missing one reads with a stand-in; a type's
// title and symbol, a cue's number and title, a version's number and date, a
// log entry's date and text), with a rank only among records that say exactly
// the same. Every process reading the same file gives it the same id, none
// equal to another id of the list, and a record keeps it when another program
// drops another record of its id. Projects, types, and the cues, versions and
// log entries of each project; a project on a repeated type stays on the first
// of them, as it showed.
void separate(Library& library, const QList<bool>& creationStored);

} // namespace sorvel::DuplicateIds
