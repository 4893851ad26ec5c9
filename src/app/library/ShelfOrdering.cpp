#include "app/library/ShelfOrdering.h"

#include <algorithm>

namespace sorvel {

QList<AudioProject> ShelfOrdering::projects(const QList<AudioProject>& all, const SidebarItem& item) {
    QList<AudioProject> kept;
    for (const AudioProject& project : all) {
        if (item.includes(project))
            kept.append(project);
    }
    return ordered(std::move(kept), item);
}

QList<AudioProject> ShelfOrdering::ordered(QList<AudioProject> kept, const SidebarItem& item) {
    switch (item.kind) {
    case SidebarItem::Kind::Active:
        return activeSorted(kept);
    case SidebarItem::Kind::Archived:
        // A record without an archive date counts as archived in the most distant past.
        std::stable_sort(kept.begin(), kept.end(), [](const AudioProject& a, const AudioProject& b) {
            if (!a.archivedAt || !b.archivedAt)
                return a.archivedAt.has_value() && !b.archivedAt.has_value();
            return *a.archivedAt > *b.archivedAt;
        });
        return kept;
    case SidebarItem::Kind::Done:
    case SidebarItem::Kind::Type:
    case SidebarItem::Kind::Calendar:
        std::stable_sort(kept.begin(), kept.end(),
                         [](const AudioProject& a, const AudioProject& b) { return a.updatedAt > b.updatedAt; });
        return kept;
    }
    return kept;
}

QSet<QUuid> ShelfOrdering::doneIDs(const QList<AudioProject>& all) {
    QSet<QUuid> ids;
    for (const AudioProject& project : all) {
        if (!project.archivedAt && project.status == ProjectStatus::Done)
            ids.insert(project.id);
    }
    return ids;
}

} // namespace sorvel
