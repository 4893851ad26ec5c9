#pragma once

#include "core/LibraryMerge.h"
#include "core/RecordCoding.h"

#include <QByteArray>

#include <optional>

namespace sorvel::bench {

// What the store holds after another program wrote the data file `writes`
// times while a change of its own waited: the library read last (the base of
// the next merge) and its own, each write merged into it. The other program
// changes the notes of "Project 7"; the store's change is to the first project.
// Uses only what every version of the coding since merging began offers, so
// that coding-figures can measure earlier versions too.
struct HeldAfterWrites {
    Library base;
    Library mine;
};

inline std::optional<HeldAfterWrites> afterOutsideWrites(const QByteArray& bytes, int writes,
                                                         const QDateTime& undatedAs) {
    std::optional<Library> base = RecordCoding::decodeLibrary(bytes, undatedAs);
    if (!base || base->projects.isEmpty())
        return std::nullopt;
    Library mine = *base;
    mine.projects.first().notes = QStringLiteral("changed here");
    for (int write = 1; write <= writes; ++write) {
        QByteArray written = bytes;
        written.replace("\"Notes for project 7\"", "\"Notes for project 7, changed " + QByteArray::number(write) + '"');
        std::optional<Library> theirs = RecordCoding::decodeLibrary(written, undatedAs);
        if (!theirs)
            return std::nullopt;
        mine = LibraryMerge::merge(*base, *theirs, mine);
        base = std::move(theirs);
    }
    return HeldAfterWrites{std::move(*base), std::move(mine)};
}

} // namespace sorvel::bench
