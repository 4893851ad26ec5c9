#pragma once

#include "core/AudioProject.h"

#include <QDateTime>
#include <QList>
#include <QUuid>

namespace sorvel {

// The four figures above every shelf page, over all projects of the store in
// store order; they do not depend on the page shown.
struct ShelfSummary {
    QList<QUuid> open; // not archived, not done
    QList<QUuid> overdue; // open, deadline before the start of today
    QList<QUuid> dueWithinWeek; // open, not overdue, deadline before now + 7 days
    QList<QUuid> awaitingArchive; // not archived, done

    static ShelfSummary of(const QList<AudioProject>& projects, const QDateTime& now);
};

} // namespace sorvel
