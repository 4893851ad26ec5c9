#include "app/library/ShelfSummary.h"

#include "core/Clock.h"

namespace sorvel {

ShelfSummary ShelfSummary::of(const QList<AudioProject>& projects, const QDateTime& now) {
    ShelfSummary summary;
    // Seven calendar days in local time, so a daylight-saving change keeps the wall-clock hour.
    const QDateTime weekFromNow = now.toLocalTime().addDays(7).toUTC();
    // Read once: the local midnight is costly to find for every project.
    const QDateTime startOfToday = Clock::startOfToday().toUTC();
    for (const AudioProject& project : projects) {
        if (project.isActive()) {
            summary.open.append(project.id);
            if (project.isOverdue(startOfToday))
                summary.overdue.append(project.id);
            else if (project.deadline && *project.deadline < weekFromNow)
                summary.dueWithinWeek.append(project.id);
        } else if (!project.archivedAt) {
            summary.awaitingArchive.append(project.id);
        }
    }
    return summary;
}

} // namespace sorvel
