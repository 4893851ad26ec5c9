#pragma once

#include "core/AudioProject.h"
#include "core/ProjectType.h"
#include "core/UnknownMembers.h"

#include <QList>

namespace sorvel {

// What one read or write of the data file carries.
struct Library {
    QList<AudioProject> projects;
    QList<ProjectType> types = ProjectType::defaults();
    UnknownMembers unknown = {}; // of the top level

    bool operator==(const Library&) const = default;
};

} // namespace sorvel
