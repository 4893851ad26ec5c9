#pragma once

#include "core/AudioProject.h"
#include "core/ProjectType.h"

#include <QCollator>
#include <QList>
#include <QString>

namespace sorvel {

// The sort columns of the project list; Default keeps the shelf's order.
enum class ProjectSort { Default, Name, Type, Status, Progress, Mixed, Delivered, Duration, Deadline, Updated };

// The direction a column takes on its first click.
bool firstClickAscending(ProjectSort sort);

// The strict ascending order of one column.
class ProjectSortOrder final {
public:
    ProjectSortOrder(ProjectSort sort, const QList<ProjectType>& types);
    bool operator()(const AudioProject& a, const AudioProject& b) const;

private:
    int typePosition(const QUuid& typeID) const;
    bool nameBefore(const QString& a, const QString& b) const;

    ProjectSort m_sort;
    QList<ProjectType> m_types;
    QCollator m_collator;
};

// The list's own sort state: a column and a direction. Each column title
// cycles through its first direction, the other direction and the shelf order.
struct ProjectSortState {
    ProjectSort sort = ProjectSort::Default;
    bool ascending = true;

    void clickColumn(ProjectSort column);
    // A stable sort of a copy; descending is the ascending result reversed as a whole.
    QList<AudioProject> apply(const QList<AudioProject>& projects, const QList<ProjectType>& types) const;
};

} // namespace sorvel
