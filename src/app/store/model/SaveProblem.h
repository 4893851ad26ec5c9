#pragma once

#include "core/FileError.h"

#include <QString>

namespace sorvel {

// Why the store's changes could not be written, or why it leaves the data
// file alone, as a value: the banner and the quit's question put it in Chinese
// (SaveProblemText), the log in the system's own words.
struct SaveProblem {
    enum class Kind {
        None,
        WriteFailed, // `error` says why (empty when nobody said)
        FolderBusy, // another program held the data folder for longer than a flush waits
        // The write did not end within a flush's wait, held by the disk (a hung
        // network file system, a frozen one) rather than by another program.
        DiskNotAnswering,
        // The data file did not decode and the store shows none of it: nothing
        // is written over the file until the user changes something, and the
        // write of that change keeps its bytes first (UndecodableKeptAside).
        FileUndecodable,
        // The data file is there but cannot be read at all (no permission, a
        // folder in its place): `error` says why, with the file's path. The
        // store shows none of it and writes nothing over it until the user
        // changes something.
        FileUnreadable,
        // The data file stopped decoding while the store showed its contents:
        // the shelf keeps them, and nothing is written over the file until the
        // user changes something; that write keeps its bytes first.
        FileChangedUndecodable,
        // A change of the user's waits: the data file (`error` names it) does
        // not decode and has changed within the last two seconds, as when
        // another program is part way through rewriting it in place. It is
        // written once the file has been still that long.
        WaitingForQuiet,
        // A rescue copy that a quit left could not be merged into the data file:
        // `copy` names it, `error` what could not be written and why; the
        // merge is tried again.
        RescueNotMerged,
        // Rescue copies that a quit left wait where they are, in the folder
        // `error` names, which cannot be written (and why): no write could
        // retire them, so none carries them; each write tries them again
        // first, else a later start merges them. The changes of this run are
        // written as usual.
        RescueNotCarried,
        // Not a problem but what a write did: what stood in the data file's place
        // and could not be read (a folder, a file without read permission) was
        // moved aside and is now where `error` names.
        MovedAside,
        // Written, over a data file that repeated a key within an object with
        // other values, of which only the last was shown: its bytes are in the
        // copy `error` names, kept before the write dropped the others.
        RepeatsKeptAside,
        // Written, over a data file that did not decode: its bytes are in the
        // copy `error` names, kept right before the write replaced them.
        UndecodableKeptAside,
    };
    Kind kind = Kind::None;
    FileError error;
    QString copy = {}; // RescueNotMerged: the copy that waits

    bool isEmpty() const { return kind == Kind::None; }
    // Whether it says why the store shows none or only part of the file,
    // which a read of a good file ends.
    bool isAboutTheFile() const {
        return kind == Kind::FileUndecodable || kind == Kind::FileUnreadable || kind == Kind::FileChangedUndecodable
            || kind == Kind::WaitingForQuiet;
    }
    // For the log; empty when there is no problem.
    QString text() const;
    bool operator==(const SaveProblem&) const = default;
};

} // namespace sorvel
