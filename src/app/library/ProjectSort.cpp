#include "app/library/ProjectSort.h"

#include <algorithm>

namespace sorvel {

bool firstClickAscending(ProjectSort sort) {
    switch (sort) {
    case ProjectSort::Progress:
    case ProjectSort::Mixed:
    case ProjectSort::Delivered:
    case ProjectSort::Duration:
    case ProjectSort::Updated: return false;
    case ProjectSort::Default:
    case ProjectSort::Name:
    case ProjectSort::Type:
    case ProjectSort::Status:
    case ProjectSort::Deadline: return true;
    }
    return true;
}

namespace {

// The user's collation; the "C" locale has no collation rules (and no numeric
// mode), so the interface language's stands in for it.
QLocale collationLocale() {
    const QLocale current;
    if (current.language() == QLocale::C)
        return QLocale(QLocale::Chinese, QLocale::SimplifiedChineseScript, QLocale::China);
    return current;
}

} // namespace

ProjectSortOrder::ProjectSortOrder(ProjectSort sort, const QList<ProjectType>& types)
    : m_sort(sort), m_types(types), m_collator(collationLocale()) {
    // File-browser order: letter case and width ignored, digit runs by value.
    m_collator.setCaseSensitivity(Qt::CaseInsensitive);
    m_collator.setNumericMode(true);
}

int ProjectSortOrder::typePosition(const QUuid& typeID) const {
    // An unknown type sorts with the first registered type, where the row shows it.
    for (int i = 0; i < m_types.size(); ++i) {
        if (m_types.at(i).id == typeID)
            return i;
    }
    return 0;
}

bool ProjectSortOrder::nameBefore(const QString& a, const QString& b) const {
    const int order = m_collator.compare(a, b);
    if (order != 0)
        return order < 0;
    // Names that differ only in ignored respects still get a fixed order: only identical names tie.
    return QString::compare(a, b, Qt::CaseSensitive) < 0;
}

bool ProjectSortOrder::operator()(const AudioProject& a, const AudioProject& b) const {
    switch (m_sort) {
    case ProjectSort::Default: return false;
    case ProjectSort::Name: return nameBefore(a.name, b.name);
    case ProjectSort::Type: return typePosition(a.typeID) < typePosition(b.typeID);
    case ProjectSort::Status: return int(a.status) < int(b.status);
    case ProjectSort::Progress: return a.progress() < b.progress();
    case ProjectSort::Mixed: return a.mixedCount() < b.mixedCount();
    case ProjectSort::Delivered: return a.doneCount() < b.doneCount();
    case ProjectSort::Duration: return a.totalDuration() < b.totalDuration();
    case ProjectSort::Deadline:
        // A missing deadline counts as the most distant future.
        if (!a.deadline || !b.deadline)
            return a.deadline.has_value() && !b.deadline.has_value();
        return *a.deadline < *b.deadline;
    case ProjectSort::Updated: return a.updatedAt < b.updatedAt;
    }
    return false;
}

void ProjectSortState::clickColumn(ProjectSort column) {
    if (sort != column) {
        sort = column;
        ascending = firstClickAscending(column);
    } else if (ascending == firstClickAscending(column)) {
        ascending = !ascending;
    } else {
        sort = ProjectSort::Default;
    }
}

QList<AudioProject> ProjectSortState::apply(const QList<AudioProject>& projects,
                                            const QList<ProjectType>& types) const {
    if (sort == ProjectSort::Default)
        return projects;
    QList<AudioProject> sorted = projects;
    const ProjectSortOrder order(sort, types);
    std::stable_sort(sorted.begin(), sorted.end(),
                     [&order](const AudioProject& a, const AudioProject& b) { return order(a, b); });
    if (!ascending)
        std::reverse(sorted.begin(), sorted.end());
    return sorted;
}

} // namespace sorvel
