#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

namespace sorvel::test {

// Runs the data file's sync (DataFileSync, with its machine, RescueCopies
// and the merges) through one hostile schedule drawn from `seed`: a simulated
// clock, a worker that runs each job when the schedule says, and a data folder
// in memory that other programs write (atomically, in place with pauses, never
// finishing, deleting and creating anew), that is held, fills up, refuses
// writes past a size or at all, and where the program is killed between any
// two of its file operations and started again. The same seed gives the same
// schedule and the same outcome.
struct SimulationOutcome {
    bool held = true; // every invariant held
    QString broken; // the first invariant that did not, and how
    QStringList schedule; // what happened, in order
    int operations = 0; // user and other programs' operations
    int crashes = 0; // kills placed between two file operations
    int fileOperations = 0;
    int hangs = 0; // times the data disk stopped answering
    int actsInside = 0; // other programs' acts between two of the program's own file operations

    // Adds another schedule's figures to these.
    SimulationOutcome& operator+=(const SimulationOutcome& other);
};

SimulationOutcome simulateSync(quint64 seed);

} // namespace sorvel::test
