#pragma once

#include <QString>

namespace sorvel {

// Why the data file could not be read or written: what was being done (as a
// rule naming the path) and the errno the system gave. Without an errno the
// context says all there is.
struct FileError {
    QString context;
    int number = 0; // the errno; 0 when there was none

    bool isEmpty() const { return context.isEmpty() && number == 0; }
    // In the system's own words, for the log: the context, then the C
    // library's text for the errno.
    QString text() const;
    bool operator==(const FileError&) const = default;
};

} // namespace sorvel
