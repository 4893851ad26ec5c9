#include "core/WidgetIntents.h"

#include "core/Library.h"
#include "core/RecordCoding.h"
#include "core/Storage.h"

#include <algorithm>
#include <cmath>

namespace sorvel {

namespace {

AudioProject* findProject(Library& library, const QUuid& id) {
    const auto found = std::find_if(library.projects.begin(), library.projects.end(),
                                    [&id](const AudioProject& project) { return project.id == id; });
    return found == library.projects.end() ? nullptr : &*found;
}

} // namespace

bool ToggleItemIntent::perform(const FolderLock::Waiter& waiter) const {
    const std::optional<QUuid> project = RecordCoding::parseID(projectID);
    const std::optional<QUuid> item = RecordCoding::parseID(itemID);
    if (!project || !item)
        return true;
    const auto advance = [&](Library& library) {
        AudioProject* found = findProject(library, *project);
        if (!found)
            return;
        if (shownStage && std::none_of(found->items.cbegin(), found->items.cend(), [&](const Cue& cue) {
                return cue.id == *item && cue.stage == *shownStage;
            }))
            return;
        found->advanceCue(*item);
    };
    return Storage::change(advance, waiter) != Storage::Change::FolderBusy;
}

double AdjustProgressIntent::steppedProgress(double current, double delta) {
    const double start = std::isfinite(current) ? current : 0;
    if (!std::isfinite(delta))
        return start;
    const double rounded = std::round((start + delta) * 10) / 10;
    return std::clamp(rounded, 0.0, 1.0);
}

bool AdjustProgressIntent::perform(const FolderLock::Waiter& waiter) const {
    // A step that is not a number would store nothing useful; leave the file alone.
    if (!std::isfinite(delta))
        return true;
    const std::optional<QUuid> project = RecordCoding::parseID(projectID);
    if (!project)
        return true;
    const auto step = [&](Library& library) {
        AudioProject* found = findProject(library, *project);
        const double stepped = found ? steppedProgress(found->manualProgress, delta) : 0;
        // A step at the end of the range changes nothing, so nothing is stamped or written.
        if (!found || stepped == found->manualProgress)
            return;
        found->manualProgress = stepped;
        found->touch();
    };
    return Storage::change(step, waiter) != Storage::Change::FolderBusy;
}

} // namespace sorvel
