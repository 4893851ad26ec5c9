#include "app/library/ShelfSummary.h"

namespace sorvel {

ShelfSummary ShelfSummary::of(const QList<AudioProject>& projects, const QDateTime& now) {
    ShelfSummary summary;
    // Seven calendar days in local time, so a daylight-saving change keeps the wall-clock hour.
    const QDateTime weekFromNow = now.toLocalTime().addDays(7);
    for (const AudioProject& project : projects) {
        if (project.isActive()) {
            summary.open.append(project.id);
            if (project.isOverdue())
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
