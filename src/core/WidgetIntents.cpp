#include "core/WidgetIntents.h"

#include "core/Library.h"
#include "core/RecordCoding.h"
#include "core/Storage.h"

#include <algorithm>
#include <cmath>
#include <functional>

namespace sorvel {

namespace {

AudioProject* findProject(Library& library, const QUuid& id) {
    const auto found = std::find_if(library.projects.begin(), library.projects.end(),
                                    [&id](const AudioProject& project) { return project.id == id; });
    return found == library.projects.end() ? nullptr : &*found;
}

// Runs `body` on the library of the file under the folder lock; what it
// returns (for its last run: it runs again when the folder was replaced
// meanwhile) is the outcome unless the folder stayed busy or the change
// could not be written.
IntentOutcome changeFile(FileSystem& files, const std::function<IntentOutcome(Library&)>& body,
                         const FolderLock::Waiter& waiter, FileError* failure) {
    IntentOutcome outcome = IntentOutcome::Done;
    FileError why;
    const Storage::Change change = Storage::change(
        files, [&](Library& library) { outcome = body(library); }, waiter, &why);
    if (change == Storage::Change::FolderBusy)
        return IntentOutcome::FolderBusy;
    if (change == Storage::Change::NotWritten && !why.isEmpty()) {
        if (failure)
            *failure = why;
        return IntentOutcome::WriteFailed;
    }
    return outcome;
}

} // namespace

bool ToggleItemIntent::isAsShown(const Cue& cue) const {
    return (!shownStage || cue.stage == *shownStage) && (!shownNumber || cue.number == *shownNumber)
        && (!shownTitle || cue.title == *shownTitle);
}

IntentOutcome ToggleItemIntent::perform(FileSystem& files, const FolderLock::Waiter& waiter, FileError* failure) const {
    const std::optional<QUuid> project = RecordCoding::parseID(projectID);
    const std::optional<QUuid> item = RecordCoding::parseID(itemID);
    if (!project || !item)
        return IntentOutcome::Done;
    const auto advance = [&](Library& library) {
        AudioProject* found = findProject(library, *project);
        if (!found)
            return IntentOutcome::TapeGone;
        const auto cue =
            std::find_if(found->items.cbegin(), found->items.cend(), [&](const Cue& each) { return each.id == *item; });
        if (cue == found->items.cend() || !isAsShown(*cue))
            return IntentOutcome::TapeChanged;
        found->advanceCue(*item);
        return IntentOutcome::Done;
    };
    return changeFile(files, advance, waiter, failure);
}

double AdjustProgressIntent::steppedProgress(double current, double delta) {
    const double start = std::isfinite(current) ? current : 0;
    if (!std::isfinite(delta))
        return start;
    const double rounded = std::round((start + delta) * 10) / 10;
    return std::clamp(rounded, 0.0, 1.0);
}

IntentOutcome AdjustProgressIntent::perform(FileSystem& files, const FolderLock::Waiter& waiter,
                                            FileError* failure) const {
    // A step that is not a number would store nothing useful; leave the file alone.
    if (!std::isfinite(delta))
        return IntentOutcome::Done;
    const std::optional<QUuid> project = RecordCoding::parseID(projectID);
    if (!project)
        return IntentOutcome::Done;
    const auto step = [&](Library& library) {
        AudioProject* found = findProject(library, *project);
        if (!found)
            return IntentOutcome::TapeGone;
        const double stepped = steppedProgress(found->manualProgress, delta);
        // A step at the end of the range changes nothing, so nothing is stamped or written.
        if (stepped != found->manualProgress) {
            found->manualProgress = stepped;
            found->touch();
        }
        return IntentOutcome::Done;
    };
    return changeFile(files, step, waiter, failure);
}

} // namespace sorvel
