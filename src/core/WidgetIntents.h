#pragma once

#include "core/Cue.h"
#include "core/CueStage.h"
#include "core/FileError.h"
#include "core/FolderLock.h"

#include <QString>

#include <optional>

namespace sorvel {

class FileSystem;

// What a widget tap did to the data file.
enum class IntentOutcome {
    Done, // the change is in the file, there was none to make, or the file could not be read
    FolderBusy, // another program held the data folder for longer than the tap waits: nothing changed
    TapeGone, // the project is no longer in the file: nothing changed
    TapeChanged, // the cue is no longer as the button showed it: nothing changed
    WriteFailed, // the change could not be written (a full disk, a file-size limit): nothing changed
};

// Advances one cue of a project to its next stage, directly in the data file.
struct ToggleItemIntent {
    QString projectID;
    QString itemID;
    // What the button showed of the cue, each checked when given. A cue that
    // has moved on since is left alone, so a stale button never takes back a
    // delivery; nor is another cue that now carries the identifier advanced
    // (cues of the earlier format have none of their own).
    std::optional<CueStage> shownStage = std::nullopt;
    std::optional<QString> shownNumber = std::nullopt;
    std::optional<QString> shownTitle = std::nullopt;

    // Whether `cue` still reads as the button showed it.
    bool isAsShown(const Cue& cue) const;
    // Changes the file through `files`; WriteFailed puts the reason in `failure`, when given.
    IntentOutcome perform(FileSystem& files,
                          const FolderLock::Waiter& waiter = FolderLock::patientFor(FolderLock::usualPatienceMs),
                          FileError* failure = nullptr) const;
};

// Steps a project's manual progress by delta, rounded to tenths, within 0…1.
// Like the toggle, a tap that changes nothing writes nothing.
struct AdjustProgressIntent {
    QString projectID;
    double delta = 0;
    // Changes the file through `files`; WriteFailed puts the reason in `failure`, when given.
    IntentOutcome perform(FileSystem& files,
                          const FolderLock::Waiter& waiter = FolderLock::patientFor(FolderLock::usualPatienceMs),
                          FileError* failure = nullptr) const;

    // current + delta rounded to tenths (halves away from zero), within 0…1.
    // A current value that is not finite counts as 0; a delta that is not
    // finite leaves the value as it is.
    static double steppedProgress(double current, double delta);
};

} // namespace sorvel
