#pragma once

#include <QString>

namespace sorvel {

// What an operation on one file or folder did: where the result now is, or
// the errno of why it is not there. Callers put the errno in words where
// they show or log it.
struct FileOutcome {
    QString path; // done: the file or folder made or moved; not done: the path it failed on, when known
    int error = 0; // not done: the errno; 0 when done

    bool done() const { return error == 0; }
    static FileOutcome failure(int error, const QString& path = {}) { return {path, error}; }
};

} // namespace sorvel
