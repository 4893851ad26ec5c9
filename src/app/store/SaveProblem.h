#pragma once

#include "core/FileError.h"

#include <QString>

namespace sorvel {

// Why the store's changes could not be written, as a value: the banner and
// the quit's question put it in Chinese (SaveProblemText), the log in the
// system's own words.
struct SaveProblem {
    enum class Kind {
        None,
        WriteFailed, // `error` says why (empty when nobody said)
        FolderBusy, // another program held the data folder for longer than a flush waits
    };
    Kind kind = Kind::None;
    FileError error;

    bool isEmpty() const { return kind == Kind::None; }
    // For the log; empty when there is no problem.
    QString text() const;
    bool operator==(const SaveProblem&) const = default;
};

} // namespace sorvel
