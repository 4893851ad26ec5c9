#pragma once

#include "core/AudioProject.h"
#include "core/ProjectType.h"

#include <QDateTime>
#include <QList>

namespace sorvel {

// What the widget draws at one moment: the first active projects in display
// order, as many as the largest widget shows, how many are active, and the
// types of the file they were read from.
struct ProjectsEntry {
    QDateTime date;
    QList<AudioProject> projects;
    qsizetype activeCount = 0; // every active project, also those not in `projects`
    // The data file exists but could not be read or decoded: `projects` is
    // empty because of that, not because the shelf is.
    bool unreadable = false;
    // Another program held the data folder: nothing was read, and the entry
    // drawn before stays.
    bool folderBusy = false;
    QList<ProjectType> types = ProjectType::defaults();

    ProjectType typeOf(const AudioProject& project) const { return ProjectType::find(types, project.typeID); }
};

// One entry and the moment at which the widget asks for the next one.
struct Timeline {
    ProjectsEntry entry;
    QDateTime reloadAt;
};

} // namespace sorvel
