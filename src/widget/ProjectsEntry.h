#pragma once

#include "core/AudioProject.h"
#include "core/ProjectType.h"

#include <QDateTime>
#include <QList>

namespace sorvel {

// What the widget draws at one moment: the active projects in display order
// and the types of the file they were read from.
struct ProjectsEntry {
    QDateTime date;
    QList<AudioProject> projects;
    QList<ProjectType> types = ProjectType::defaults();

    ProjectType typeOf(const AudioProject& project) const { return ProjectType::find(types, project.typeID); }
};

// One entry and the moment at which the widget asks for the next one.
struct Timeline {
    ProjectsEntry entry;
    QDateTime reloadAt;
};

} // namespace sorvel
