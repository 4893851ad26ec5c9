#pragma once

#include "core/Library.h"

#include <QString>

#include <functional>

namespace sorvel::Storage {

QString directory();
QString filePath();

// The outcome of one coordinated read of the data file.
struct ReadResult {
    enum class Kind {
        Decoded,      // library holds the file's contents
        Missing,      // no file: library is the empty library
        Undecodable,  // logged and copied aside; library is the empty library
        Unreadable,   // exists but cannot be read: logged and renamed aside as
                      // projects-unreadable-<seconds>.json; also when the data
                      // folder could not be locked. library is the empty library.
    };
    Kind kind = Kind::Missing;
    Library library;
};

// Coordinated read that says what it found.
ReadResult read();
// Coordinated read; anything but a decoded file gives the empty library.
Library load();
// Coordinated atomic write of the whole file; false when nothing was written (logged).
bool save(const Library& library);
// One coordinated read, change and write. Writes nothing when the file exists
// but cannot be read or decoded; a missing file starts from the empty library.
// Returns true when the file was written. `change` must not call Storage itself:
// the folder lock is held while it runs.
bool mutate(const std::function<void(Library&)>& change);

} // namespace sorvel::Storage
