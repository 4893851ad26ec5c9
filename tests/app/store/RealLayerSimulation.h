#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

namespace sorvel::test {

// Runs the data file's sync as it ships (DataFileSync over DiskFiles: the real
// Storage, RescueCopy and PendingRescues, and the quit's real
// UnsavedChangesGuard) over a disk in memory, through one schedule drawn from
// `seed`: the user edits, adds and deletes projects; other programs replace,
// rewrite in place (pausing half way), delete and recreate the data file,
// between jobs and between any two of the program's own file operations;
// operations fail with EIO, ENOSPC or EACCES; the rescue copies' folder turns
// read-only at a start; the data disk stops answering inside a job, for a
// while or until the program ends, the job waiting on a thread of its own;
// the power is cut or the program killed at any operation, and it starts
// again; it quits through the guard, within its bound whatever hangs. The same seed
// gives the same schedule and the same outcome.
struct RealLayerOutcome {
    bool held = true; // every invariant held
    QString broken; // the first invariant that did not, and how
    QStringList schedule; // what happened, in order
    int fileOperations = 0;
    int actsInside = 0; // other programs' acts between two of the program's own file operations
    int kills = 0;
    int powerCuts = 0;
    int failures = 0; // operations failed with an errno
    int hangs = 0; // calls inside jobs the data disk held

    // Adds another schedule's figures to these.
    RealLayerOutcome& operator+=(const RealLayerOutcome& other);
};

RealLayerOutcome simulateRealLayer(quint64 seed);

} // namespace sorvel::test
