#include "app/library/ShelfOrdering.h"

#include <algorithm>
#include <vector>

namespace sorvel {

namespace {

// Sorts by address, stable: moving whole records around costs far more than comparing them.
template <typename Before>
QList<AudioProject> stableSorted(const QList<AudioProject>& kept, Before before) {
    std::vector<const AudioProject*> order;
    order.reserve(kept.size());
    for (const AudioProject& project : kept)
        order.push_back(&project);
    std::stable_sort(order.begin(), order.end(),
                     [&](const AudioProject* a, const AudioProject* b) { return before(*a, *b); });
    QList<AudioProject> sorted;
    sorted.reserve(kept.size());
    for (const AudioProject* project : order)
        sorted.append(*project);
    return sorted;
}

} // namespace

QList<AudioProject> ShelfOrdering::projects(const QList<AudioProject>& all, const SidebarItem& item) {
    if (item.kind == SidebarItem::Kind::Active)
        return activeSorted(all); // keeps the active projects itself
    QList<AudioProject> kept;
    for (const AudioProject& project : all) {
        if (item.includes(project))
            kept.append(project);
    }
    return ordered(std::move(kept), item);
}

QList<AudioProject> ShelfOrdering::ordered(QList<AudioProject> kept, const SidebarItem& item) {
    switch (item.kind) {
    case SidebarItem::Kind::Active: return activeSorted(kept);
    case SidebarItem::Kind::Archived:
        // A record without an archive date counts as archived in the most distant past.
        return stableSorted(kept, [](const AudioProject& a, const AudioProject& b) {
            if (!a.archivedAt || !b.archivedAt)
                return a.archivedAt.has_value() && !b.archivedAt.has_value();
            return *a.archivedAt > *b.archivedAt;
        });
    case SidebarItem::Kind::Done:
    case SidebarItem::Kind::Type:
    case SidebarItem::Kind::Calendar:
        return stableSorted(kept,
                            [](const AudioProject& a, const AudioProject& b) { return a.updatedAt > b.updatedAt; });
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
