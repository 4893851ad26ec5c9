#pragma once

#include "app/navigation/SidebarItem.h"
#include "core/AudioProject.h"

#include <QList>
#include <QSet>
#include <QUuid>

namespace sorvel {

// The tapes of one sidebar destination in the order the shelf shows them.
// The card grid, the list's default order and the header's count all read
// this one list, so they can never disagree.
class ShelfOrdering final {
public:
    // Keeps the projects the destination includes (store order), then orders them.
    static QList<AudioProject> projects(const QList<AudioProject>& all, const SidebarItem& item);
    // Orders an already filtered list; stable, so equal dates keep their order.
    static QList<AudioProject> ordered(QList<AudioProject> kept, const SidebarItem& item);
    // Every unarchived done project of the store, whatever page is shown.
    static QSet<QUuid> doneIDs(const QList<AudioProject>& all);
    // Whether doneIDs would hold any, without collecting them.
    static bool anyDone(const QList<AudioProject>& all);
};

} // namespace sorvel
