#include "app/store/sync/SyncMachine.h"

#include <gtest/gtest.h>

#include <QSet>

namespace sorvel::test {
namespace {

using A = SyncAction;
using E = SyncEvent;

QList<SyncState> everyState() {
    QList<SyncState> all;
    for (const SyncJob job : SyncMachine::jobs())
        for (const bool lockWait : {false, true})
            for (const SyncQuit quit : SyncMachine::quits())
                for (const SyncFile file : SyncMachine::files())
                    for (const SyncPending pending : SyncMachine::pendings())
                        for (const bool readQueued : {false, true})
                            for (const bool eventInEcho : {false, true})
                                all << SyncState{job, lockWait, quit, file, pending, readQueued, eventInEcho};
    return all;
}

// Facts from the bits of `mask`, one a fact, so that every condition meets both of its answers.
SyncFacts factsOf(unsigned mask) {
    SyncFacts f;
    bool* const bits[] = {&f.withinEchoWindow, &f.quietRunning, &f.holdsGoodState,   &f.rescuesWaiting,
                          &f.readChanged,      &f.restored,     &f.rescuesNotMerged, &f.rescuesNotCarried,
                          &f.revisionCurrent,  &f.quitPatience, &f.writeLeftToCopy,  &f.writeNotDurable};
    for (std::size_t i = 0; i < std::size(bits); ++i)
        *bits[i] = (mask >> i) & 1u;
    return f;
}
constexpr unsigned factMasks = 1u << 12;

// A spread of the fact masks: all off, all on, each one alone and each one missing.
QList<unsigned> someFactMasks() {
    QList<unsigned> masks{0, factMasks - 1};
    for (unsigned i = 0; i < 12; ++i)
        masks << (1u << i) << ((factMasks - 1) & ~(1u << i));
    return masks;
}

bool isResultOfARead(E event) {
    return event == E::ReadDecoded || event == E::ReadMissing || event == E::ReadUndecodable
        || event == E::ReadUnreadable || event == E::RescuesTried;
}
bool isResultOfAWrite(E event) {
    return event == E::WriteLanded || event == E::WriteFailed || event == E::WriteWaitsForQuiet;
}

// Every state meets every event with a row of its own or a deliberate "nothing"; no row
// is shadowed by the ones above it, and every action and condition is used by some row.
TEST(SyncMachineTable, EveryStateAndEventHasARowAndEveryRowCanWin) {
    QSet<int> won;
    for (const SyncState& state : everyState()) {
        for (const E event : SyncMachine::events()) {
            for (const unsigned mask : someFactMasks()) {
                const SyncTransition t = SyncMachine::on(state, event, factsOf(mask));
                ASSERT_GE(t.row, 0) << "no row for " << SyncMachine::describe(state).toStdString() << " and "
                                    << SyncMachine::name(event).toStdString();
                won.insert(t.row);
            }
        }
    }
    const auto table = SyncMachine::table();
    for (int row = 0; row < int(table.size()); ++row)
        EXPECT_TRUE(won.contains(row)) << "row " << row << " (" << SyncMachine::name(table[row].event).toStdString()
                                       << ") never wins";
    QSet<SyncAction> used;
    for (const SyncRow& row : table) {
        for (const SyncAction action : row.doneActions())
            used.insert(action);
    }
    for (const SyncAction action : SyncMachine::actions())
        EXPECT_TRUE(used.contains(action)) << SyncMachine::name(action).toStdString() << " is in no row";
}

// The world as the rows leave it: the worker and the two timers whose rules the state holds.
struct World {
    bool busy = false;
    bool saveTimer = false;
    bool quiet = false;
};

// Runs an event and its steps in a world that keeps the state's rules, as
// DataFileSync does; returns what broke, empty when nothing did.
QString runs(SyncState state, E event, SyncFacts facts, World world) {
    std::optional<E> step = event;
    for (int n = 0; step; ++n) {
        if (n > 8)
            return QStringLiteral("the steps do not end");
        facts.quietRunning = world.quiet;
        const SyncTransition t = SyncMachine::on(state, *step, facts);
        state = t.next;
        for (const SyncAction action : t.actions) {
            switch (action) {
            case A::StartRead:
            case A::StartWrite:
                if (world.busy)
                    return QStringLiteral("%1 while a job runs").arg(SyncMachine::name(action));
                world.busy = true;
                break;
            case A::StartSaveTimer:
            case A::RetrySaveLater: world.saveTimer = true; break;
            case A::StopSaveTimer: world.saveTimer = false; break;
            case A::StartQuietTimer: world.quiet = true; break;
            case A::StopQuietTimer: world.quiet = false; break;
            default: break;
            }
        }
        step = t.then;
    }
    const SyncRules rules = rulesOf(state);
    QStringList broken = brokenRules(state);
    if (world.busy != rules.jobRuns)
        broken << QStringLiteral("the worker is %1busy").arg(world.busy ? QString() : QStringLiteral("not "));
    if (world.saveTimer && !rules.saveTimerMayRun)
        broken << QStringLiteral("the save timer runs");
    if (world.quiet && !rules.quietMayRun)
        broken << QStringLiteral("the quiet runs");
    return broken.isEmpty() ? QString()
                            : broken.join(QStringLiteral("; ")) + QStringLiteral(" in ") + SyncMachine::describe(state);
}

// From every state that keeps its rules, every event the world can send
// leaves a state whose rules the worker and the timers keep: a row that
// starts a job while one runs, forgets one it started, or leaves a timer
// running that its next state forbids, fails here.
TEST(SyncMachineTable, EveryTransitionLeavesAStateWhoseRulesHold) {
    for (const SyncState& state : everyState()) {
        if (!brokenRules(state).isEmpty())
            continue;
        const SyncRules rules = rulesOf(state);
        for (const E event : SyncMachine::events()) {
            if (SyncMachine::isStep(event) || event == E::QuitGoesOn || event == E::QuitWaited)
                continue; // only the machine's own rows and the quit's wait lead there
            if (event == E::RescuesTried)
                continue; // dispatched with the start's read result, which ends the job
            if (isResultOfARead(event) && state.job != SyncJob::FirstRead && state.job != SyncJob::Read)
                continue;
            if (isResultOfAWrite(event) && state.job != SyncJob::Write)
                continue;
            if (event == E::LockFree && !state.lockWait)
                continue;
            // A result arrives once its job is done; a timer that fires has stopped.
            const bool busy = rules.jobRuns && !isResultOfARead(event) && !isResultOfAWrite(event);
            for (const bool saveTimer : {false, true}) {
                if (saveTimer && (!rules.saveTimerMayRun || event == E::SaveTimer))
                    continue;
                for (const bool quiet : {false, true}) {
                    if (quiet && (!rules.quietMayRun || event == E::QuietTimer))
                        continue;
                    for (unsigned mask = 0; mask < factMasks; mask += 7) {
                        // A save timer that runs while a write ran was started by a change after it began.
                        if (saveTimer && isResultOfAWrite(event) && factsOf(mask).revisionCurrent)
                            continue;
                        const QString broken = runs(state, event, factsOf(mask), {busy, saveTimer, quiet});
                        ASSERT_TRUE(broken.isEmpty())
                            << SyncMachine::name(event).toStdString() << " from "
                            << SyncMachine::describe(state).toStdString() << ": " << broken.toStdString();
                    }
                }
            }
        }
    }
}

// The two places where the map and the code had drifted apart: a read that
// finds the file undecodable while a write waits starts no write (the quiet
// decides), and the quit's end leaves the quit state whatever is pending.
TEST(SyncMachineTable, AnUndecodableReadHoldsTheWaitingWriteAndTheQuitsEndEndsTheQuit) {
    SyncState reading;
    reading.job = SyncJob::Read;
    reading.pending = SyncPending::WriteWaits;
    reading.file = SyncFile::Good;
    EXPECT_TRUE(runs(reading, E::ReadUndecodable, {}, {}).isEmpty());
    SyncTransition t = SyncMachine::on(reading, E::ReadUndecodable, {});
    QList<SyncAction> done = t.actions;
    SyncFacts quietRuns;
    quietRuns.quietRunning = true;
    for (SyncState state = t.next; t.then; state = t.next) {
        t = SyncMachine::on(state, *t.then, quietRuns);
        done << t.actions;
    }
    EXPECT_FALSE(done.contains(A::StartWrite));
    EXPECT_EQ(t.next.pending, SyncPending::WriteWaits);
    EXPECT_EQ(t.next.job, SyncJob::None);

    for (const SyncPending pending : SyncMachine::pendings()) {
        for (const SyncJob job : SyncMachine::jobs()) {
            SyncState quitting;
            quitting.job = job;
            quitting.pending = pending;
            quitting.quit = SyncQuit::WaitsForWrite;
            EXPECT_EQ(SyncMachine::on(quitting, E::QuitWaited, {}).next.quit, SyncQuit::No)
                << SyncMachine::describe(quitting).toStdString();
        }
    }
}

} // namespace
} // namespace sorvel::test
