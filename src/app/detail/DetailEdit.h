#pragma once

#include "core/AudioProject.h"

#include <QUuid>

#include <functional>

namespace sorvel {

class ProjectStore;

namespace DetailEdit {

// How the detail's editable fields (name, type, deadline, notes) write: the
// change is applied to the record as the store holds it at this moment, then
// the record replaces the stored one with its modification date stamped and
// without the status rule of touch(). A project that is gone takes nothing.
void stamped(ProjectStore& store, const QUuid& id, const std::function<void(AudioProject&)>& change);

} // namespace DetailEdit

} // namespace sorvel
