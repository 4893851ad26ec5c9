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

namespace {

bool awaitsArchive(const AudioProject& project) {
    return !project.archivedAt && project.status == ProjectStatus::Done;
}

} // namespace

QSet<QUuid> ShelfOrdering::doneIDs(const QList<AudioProject>& all) {
    QSet<QUuid> ids;
    for (const AudioProject& project : all) {
        if (awaitsArchive(project))
            ids.insert(project.id);
    }
    return ids;
}

bool ShelfOrdering::anyDone(const QList<AudioProject>& all) {
    return std::any_of(all.cbegin(), all.cend(), awaitsArchive);
}

} // namespace sorvel
