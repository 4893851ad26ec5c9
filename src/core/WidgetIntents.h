#pragma once

#include "core/CueStage.h"
#include "core/FolderLock.h"

#include <QString>

#include <optional>

namespace sorvel {

// Advances one cue of a project to its next stage, directly in the data file.
struct ToggleItemIntent {
    QString projectID;
    QString itemID;
    // The stage the button showed: a cue that has moved on since is left
    // alone, so a stale button never takes back a delivery.
    std::optional<CueStage> shownStage = std::nullopt;
    // False when another program held the data folder for longer than
    // `waiter` waits: nothing changed.
    bool perform(const FolderLock::Waiter& waiter = FolderLock::patientFor(FolderLock::usualPatienceMs)) const;
};

// Steps a project's manual progress by delta, rounded to tenths, within 0…1.
// Like the toggle, a tap that changes nothing writes nothing.
struct AdjustProgressIntent {
    QString projectID;
    double delta = 0;
    // As ToggleItemIntent::perform.
    bool perform(const FolderLock::Waiter& waiter = FolderLock::patientFor(FolderLock::usualPatienceMs)) const;

    // current + delta rounded to tenths (halves away from zero), within 0…1.
    // A current value that is not finite counts as 0; a delta that is not
    // finite leaves the value as it is.
    static double steppedProgress(double current, double delta);
};

} // namespace sorvel
