#include "support/ChildProcess.h"
#include "support/HeldWrite.h"
#include "support/SampleRecords.h"
#include "support/StoreTestSupport.h"
#include "support/Waiting.h"

#include "app/store/ProjectStore.h"
#include "app/store/rescue/RescueCopies.h"
#include "app/store/rescue/RescueCopy.h"
#include "app/store/SaveProblemText.h"
#include "app/store/sync/RealSyncSeams.h"
#include "app/store/UnsavedChangesGuard.h"
#include "core/Clock.h"
#include "core/RecordCoding.h"
#include "core/Storage.h"
#include "core/SystemErrorText.h"
#include "core/WidgetIntents.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTimeZone>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <functional>

namespace sorvel::test {
namespace {

constexpr int kPatience = 5000;

class RescueCopyOrder : public StoreFixture {
protected:
    AudioProject alpha = AudioProject::make(QStringLiteral("Alpha"), ProjectType::musicID);

    // The copy of a quit that renamed the tape `name`, grown from what the file holds.
    FileOutcome keepRenamed(const QString& name, const QDateTime& at) {
        const std::optional<Library> base = RecordCoding::decodeLibrary(readFile(Storage::filePath()), fileTime());
        EXPECT_TRUE(base);
        Library unsaved = base.value_or(Library{});
        unsaved.projects.first().name = name;
        return RescueCopy::write(disk, base, unsaved, at);
    }
    // Merges every copy as a start does; the log.
    std::string restoreAll(int expected) {
        testing::internal::CaptureStderr();
        EXPECT_EQ(RescueCopy::restoreAll(disk, FolderLock::patientFor(kPatience)), expected);
        return testing::internal::GetCapturedStderr();
    }
};

// Two quits that could not write, each renaming the tape, with the zone or the
// clock changed between them so that the second's local time comes first: the
// second rename is the one the file keeps, and the first is set aside.
TEST_F(RescueCopyOrder, CopiesMergeInTheOrderTheyWereMadeWhateverTheZoneOrTheClock) {
    const QDate day(2026, 10, 25);
    const struct {
        const char* what;
        QDateTime first;
        QDateTime second;
    } cases[] = {
        {"Asia/Shanghai, then UTC", QDateTime(day, QTime(13, 0), QTimeZone("Asia/Shanghai")),
         QDateTime(day, QTime(5, 1), QTimeZone::utc())},
        {"CET-1, then GMT0", QDateTime(day, QTime(2, 30), QTimeZone(3600)),
         QDateTime(day, QTime(1, 40), QTimeZone::utc())},
        {"a clock set back an hour", QDateTime(day, QTime(5, 0), QTimeZone::utc()),
         QDateTime(day, QTime(4, 0), QTimeZone::utc())},
    };
    for (const auto& order : cases) {
        SCOPED_TRACE(order.what);
        ASSERT_TRUE(QDir(RescueCopy::folder()).removeRecursively());
        writeDataFile({alpha});
        ASSERT_TRUE(keepRenamed(QStringLiteral("Alpha-first"), order.first).done());
        ASSERT_TRUE(keepRenamed(QStringLiteral("Alpha-second"), order.second).done());

        const std::string log = restoreAll(2);
        EXPECT_EQ(projectsInFile().first().name, QStringLiteral("Alpha-second"));
        EXPECT_NE(log.find("set aside \"Alpha-first\""), std::string::npos) << log;
    }
}

// Copies named after the local time alone, by an earlier version, come
// before every numbered copy, whatever time their names hold.
TEST_F(RescueCopyOrder, CopiesOfTheEarlierNamingComeFirst) {
    writeDataFile({alpha});
    const FileOutcome earlier = keepRenamed(QStringLiteral("Alpha-earlier"), Clock::now());
    ASSERT_TRUE(earlier.done());
    ASSERT_TRUE(
        QFile::rename(earlier.path, RescueCopy::folder() + QStringLiteral("/projects-rescued-20991231-235959.json")));
    ASSERT_TRUE(keepRenamed(QStringLiteral("Alpha-later"), Clock::now().addYears(-1)).done());

    restoreAll(2);
    EXPECT_EQ(projectsInFile().first().name, QStringLiteral("Alpha-later"));
}

// Two copies of one run, the later holding the earlier one's step again. The
// earlier one merges; the later one cannot be written (a file-size limit)
// and merges when it is tried again in the same run, or at the next start:
// the earlier copy's step counts once either way, as it is already in the file.
// Copies of an earlier run in a state folder that cannot be written: no
// write could retire them, so they are not taken in (their changes would count
// again at a later start). This run's changes reach the writable data file;
// the banner names the state folder; a later start, with the folder writable
// again, merges the copies once, onto what this run wrote.
TEST_F(RescueCopyOrder, CopiesInAStateFolderThatCannotBeWrittenWaitWhileThisRunsChangesAreWritten) {
    writeDataFile({alpha});
    const FileOutcome copy = keepRenamed(QStringLiteral("Alpha-rescued"), QDateTime::currentDateTime());
    ASSERT_TRUE(copy.done());
    const QByteArray copyBytes = readFile(copy.path);

    expectInChild([&] {
        ReadOnlyFolder stateFolder(RescueCopy::folder());
        ASSERT_TRUE(stateFolder.isMade());
        testing::internal::CaptureStderr();
        ProjectStore store(disk, desktop.seams());
        ASSERT_TRUE(waitUntil([&] { return store.hasStarted(); }, kPatience));
        EXPECT_EQ(store.project(alpha.id)->name, alpha.name) << "the copy is not taken in";
        const SaveProblem waiting{SaveProblem::Kind::RescueNotCarried, {RescueCopy::folder(), stateFolder.error()}};
        EXPECT_EQ(store.saveProblem(), waiting);

        store.update(alpha.id, [](AudioProject& p) { p.notes = QStringLiteral("mine"); });
        ASSERT_TRUE(waitUntil([&] { return store.activity().writes >= 1 && !store.isDirty(); }, kPatience))
            << "this run's change is written";
        ASSERT_TRUE(waitUntilIdle(store));
        EXPECT_EQ(store.activity().failedWrites, 0);
        ASSERT_EQ(projectsInFile().size(), 1);
        EXPECT_EQ(projectsInFile().first().notes, QStringLiteral("mine"));
        EXPECT_EQ(projectsInFile().first().name, alpha.name);
        EXPECT_EQ(store.saveProblem(), waiting) << "said after the write too";
        const QString banner = SaveProblemText::forBanner(store.saveProblem(), false);
        EXPECT_TRUE(banner.contains(RescueCopy::folder() + QStringLiteral(": ")
                                    + SystemErrorText::describe(stateFolder.error())))
            << banner.toStdString();
        EXPECT_EQ(readFile(copy.path), copyBytes) << "the copy waits as it was";
        testing::internal::GetCapturedStderr();
    });

    restoreAll(1);
    ASSERT_EQ(projectsInFile().size(), 1);
    EXPECT_EQ(projectsInFile().first().name, QStringLiteral("Alpha-rescued"));
    EXPECT_EQ(projectsInFile().first().notes, QStringLiteral("mine"));
}

// The quit stopped waiting for a write that then landed, and keeps a copy of
// the same changes: the copy counts as written, and the next start does not
// merge it again over what another program changed since.
TEST_F(RescueCopyOrder, ACopyOfChangesAWriteLandedMeanwhileIsNotMergedAgain) {
    writeDataFile({alpha});
    const std::optional<Library> base = RecordCoding::decodeLibrary(readFile(Storage::filePath()), fileTime());
    ASSERT_TRUE(base);
    Library mine = *base;
    mine.projects.first().notes = QStringLiteral("mine");
    RescueCopies copies(std::make_shared<DiskFiles>(disk));
    const auto carrier = copies.carrierOf(1, FolderLock::patientFor(kPatience));
    ASSERT_TRUE(Storage::save(
                    disk, [&](const Library*) { return mine; }, false, FolderLock::patientFor(kPatience), carrier.get())
                    .written);
    ASSERT_TRUE(copies.keep(base, mine, ProgressSteps{}, 1, QDateTime::currentDateTime()).done());

    AudioProject theirs = projectsInFile().first();
    EXPECT_EQ(theirs.notes, QStringLiteral("mine"));
    theirs.notes = QStringLiteral("theirs, later");
    writeDataFile({theirs});
    restoreAll(0);
    EXPECT_EQ(projectsInFile().first().notes, QStringLiteral("theirs, later"));
}

class RescueCopySteps : public StoreFixture {
protected:
    AudioProject tape = manualTape();
    QByteArray held;
    Library base;

    // The data file holds the tape: its bytes in `held`, as read in `base`.
    void writeTheTape() {
        writeDataFile({tape});
        held = readFile(Storage::filePath());
        const std::optional<Library> read = RecordCoding::decodeLibrary(held, fileTime());
        ASSERT_TRUE(read);
        base = *read;
    }

    // In a child: a store starts while the data file may grow only a little
    // past the tape (a copy with long notes cannot be merged), then the limit
    // lifts and the store writes.
    void startCappedThenFree(const std::function<void(ProjectStore&)>& capped,
                             const std::function<void(ProjectStore&)>& free) {
        expectInChild([&] {
            FileSizeCap cap(rlim_t(held.size() + 64));
            ASSERT_TRUE(cap.isLowered());
            testing::internal::CaptureStderr();
            ProjectStore store(disk, desktop.seams());
            ASSERT_TRUE(waitUntil([&] { return store.hasStarted(); }, kPatience));
            capped(store);
            cap.lift();
            ASSERT_TRUE(waitUntil([&] { return store.activity().writes >= 1; }, ProjectStore::longestRetryDelayMs));
            ASSERT_TRUE(waitUntilIdle(store));
            testing::internal::GetCapturedStderr();
            free(store);
        });
    }

    // A copy of `run` up to `revision`, stepped by 0.1 at each revision
    // up to it, and changed by `change`.
    FileOutcome keepStepped(const Library& from, const QUuid& run, quint64 revision,
                            const std::function<void(AudioProject&)>& change) {
        Library unsaved = from;
        RescueCopy::KeptSteps steps{run, revision, {}};
        for (quint64 step = 1; step <= revision; ++step) {
            steps.steps.add(tape.id, 0.1, step);
            unsaved.projects.first().manualProgress =
                AdjustProgressIntent::steppedProgress(unsaved.projects.first().manualProgress, 0.1);
        }
        change(unsaved.projects.first());
        return RescueCopy::write(disk, from, unsaved, Clock::now(), steps);
    }
};

TEST_F(RescueCopySteps, TheStepsOfACopyAlreadyMergedCountOnceWhenALaterCopyOfItsRunMergesLater) {
    ASSERT_NO_FATAL_FAILURE(writeTheTape());
    const QUuid run = QUuid::createUuid();
    ASSERT_TRUE(keepStepped(base, run, 1, [](AudioProject&) {}).done());
    const FileOutcome later =
        keepStepped(base, run, 2, [](AudioProject& p) { p.notes = QString(8192, QLatin1Char('n')); });
    ASSERT_TRUE(later.done());

    expectInChild([&] {
        // Room for the earlier copy's merge, not for the later one's notes.
        FileSizeCap cap(rlim_t(held.size() + 64));
        ASSERT_TRUE(cap.isLowered());
        QList<RescueCopy::NotMerged> notWritten;
        testing::internal::CaptureStderr();
        EXPECT_EQ(RescueCopy::restoreAll(disk, FolderLock::patientFor(kPatience), &notWritten), 1);
        ASSERT_EQ(notWritten.size(), 1);
        EXPECT_EQ(notWritten.first().path, later.path);
        EXPECT_EQ(notWritten.first().why.number, EFBIG);
        EXPECT_DOUBLE_EQ(projectsInFile().first().manualProgress, 0.5);
        testing::internal::GetCapturedStderr();
    });
    testing::internal::CaptureStderr();
    EXPECT_EQ(RescueCopy::restoreAll(disk, FolderLock::patientFor(kPatience)), 1);
    testing::internal::GetCapturedStderr();

    const AudioProject inFile = projectsInFile().first();
    EXPECT_EQ(inFile.notes.size(), 8192);
    EXPECT_DOUBLE_EQ(inFile.manualProgress, 0.6) << "each of the two steps once";
}

// Another program replaces the data file without the lock while the start's
// merge of a rescue copy is about to write it: the write reads and merges
// again, so the copy's step and the other program's change both count, once,
// and the write that carried the copy retires it.
TEST_F(RescueCopySteps, AFileReplacedWhileACopyIsMergedIsMergedWithIt) {
    ASSERT_NO_FATAL_FAILURE(writeTheTape());
    const QString renamed = QStringLiteral("Renamed at the quit");
    ASSERT_TRUE(keepStepped(base, QUuid::createUuid(), 1, [&](AudioProject& p) { p.name = renamed; }).done());
    Library theirs = base;
    theirs.projects.first().manualProgress = 0.5;
    theirs.projects.first().notes = QStringLiteral("From another program");

    HeldWrite merge([&] {
        testing::internal::CaptureStderr();
        return RescueCopy::restoreAll(disk, FolderLock::patientFor(kPatience)) == 1 ? 0 : 1;
    });
    const int holds = merge.actAtEachHold([&](int pass) {
        if (pass == 0)
            renameOverWithoutTheLock(Storage::filePath(), RecordCoding::encodeLibrary(theirs));
    });
    EXPECT_EQ(merge.finish(), 0);
    EXPECT_EQ(holds, 2) << "the merge did not start again after the file was replaced";

    const AudioProject inFile = projectsInFile().first();
    EXPECT_EQ(inFile.name, renamed);
    EXPECT_EQ(inFile.notes, theirs.projects.first().notes);
    EXPECT_DOUBLE_EQ(inFile.manualProgress, 0.6) << "the copy's step and the other program's, once each";
    const auto copies = [](const QString& prefix) {
        return QDir(RescueCopy::folder()).entryList({prefix + QLatin1Char('*')}, QDir::Files).size();
    };
    EXPECT_EQ(copies(QStringLiteral("projects-rescued-")), 0);
    EXPECT_EQ(copies(QStringLiteral("projects-restoring-")), 0);
    EXPECT_EQ(copies(QStringLiteral("landed-steps")), 1) << "the retired copy is kept as its landed steps";
    EXPECT_EQ(QDir(environment.dataFolder()).entryList(QDir::Files | QDir::Hidden), QStringList{"projects.json"});

    // Retired: the next start merges nothing more.
    testing::internal::CaptureStderr();
    EXPECT_EQ(RescueCopy::restoreAll(disk, FolderLock::patientFor(kPatience)), 0);
    testing::internal::GetCapturedStderr();
    EXPECT_DOUBLE_EQ(projectsInFile().first().manualProgress, 0.6);
}

// The same through the store: it merges the earlier copy at its start, takes
// in the later one, which it cannot write yet, and writes it once it can.
TEST_F(RescueCopySteps, TheStepsOfACopyMergedAtTheStartCountOnceWhenTheStoreWritesALaterCopyOfItsRun) {
    ASSERT_NO_FATAL_FAILURE(writeTheTape());
    const QUuid run = QUuid::createUuid();
    ASSERT_TRUE(keepStepped(base, run, 1, [](AudioProject&) {}).done());
    ASSERT_TRUE(keepStepped(base, run, 2, [](AudioProject& p) { p.notes = QString(8192, QLatin1Char('n')); }).done());

    startCappedThenFree(
        [&](ProjectStore& store) {
            EXPECT_EQ(store.project(tape.id)->notes.size(), 8192) << "on the shelf";
            EXPECT_DOUBLE_EQ(projectsInFile().first().manualProgress, 0.5);
        },
        [&](ProjectStore& store) {
            const AudioProject inFile = projectsInFile().first();
            EXPECT_EQ(inFile.notes.size(), 8192);
            EXPECT_DOUBLE_EQ(inFile.manualProgress, 0.6) << "each of the two steps once";
            EXPECT_TRUE(
                QDir(RescueCopy::folder()).entryList({QStringLiteral("projects-rescued-*")}, QDir::Files).isEmpty());
        });
}

// Two copies of one run that the start cannot write yet (the earlier one's
// notes do not fit): the store takes both in, and the later copy, which holds
// the earlier one's step again, brings only its own.
TEST_F(RescueCopySteps, TheStepsOfTwoCopiesOfARunTakenInTogetherCountOnce) {
    ASSERT_NO_FATAL_FAILURE(writeTheTape());
    const QUuid run = QUuid::createUuid();
    ASSERT_TRUE(keepStepped(base, run, 1, [](AudioProject& p) { p.notes = QString(8192, QLatin1Char('n')); }).done());
    ASSERT_TRUE(keepStepped(base, run, 2, [](AudioProject& p) { p.notes = QString(8192, QLatin1Char('n')); }).done());

    startCappedThenFree(
        [&](ProjectStore& store) {
            EXPECT_EQ(store.saveProblem().kind, SaveProblem::Kind::RescueNotMerged);
            EXPECT_DOUBLE_EQ(projectsInFile().first().manualProgress, 0.4) << "nothing merged yet";
        },
        [&](ProjectStore& store) {
            const AudioProject inFile = projectsInFile().first();
            EXPECT_EQ(inFile.notes.size(), 8192);
            EXPECT_DOUBLE_EQ(inFile.manualProgress, 0.6) << "each of the two steps once";
            EXPECT_DOUBLE_EQ(store.project(tape.id)->manualProgress, 0.6);
        });
}

// What this process has read so far, in bytes, through any call.
qint64 bytesReadSoFar() {
    QFile io(QStringLiteral("/proc/self/io"));
    if (!io.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : io.readAll().split('\n')) {
        if (line.startsWith("rchar:"))
            return line.mid(6).trimmed().toLongLong();
    }
    return -1;
}

qint64 bytesInFolder(const QString& path) {
    qint64 total = 0;
    for (const QFileInfo& entry : QDir(path).entryInfoList(QDir::Files | QDir::Hidden))
        total += entry.size();
    return total;
}

// Start after start merges the copy a quit left and retires it. What stays of
// the retired copies (what counts their steps once) is small, and a later
// start reads the data file and its own copy, not the history: yet the step a
// later copy of a run holds again still counts once.
TEST_F(RescueCopySteps, RetiredCopiesLeaveABoundedTraceThatTheStartReadsCheaply) {
    tape.notes = QString(64 * 1024, QLatin1Char('n'));
    writeDataFile({tape});
    const qint64 copySize = 2 * readFile(Storage::filePath()).size();
    constexpr int starts = 20;
    QUuid run;
    for (int start = 0; start < starts; ++start) {
        const std::optional<Library> base = RecordCoding::decodeLibrary(readFile(Storage::filePath()), fileTime());
        ASSERT_TRUE(base);
        run = QUuid::createUuid();
        ASSERT_TRUE(keepStepped(*base, run, 1, [](AudioProject&) {}).done());
        testing::internal::CaptureStderr();
        EXPECT_EQ(RescueCopy::restoreAll(disk, FolderLock::patientFor(kPatience)), 1);
        testing::internal::GetCapturedStderr();
    }
    EXPECT_LT(bytesInFolder(RescueCopy::folder()), copySize / 4)
        << QDir(RescueCopy::folder()).entryList(QDir::Files).join(QStringLiteral(", ")).toStdString();

    // The last run's later copy holds its first step again.
    writeDataFile({tape});
    const std::optional<Library> base = RecordCoding::decodeLibrary(readFile(Storage::filePath()), fileTime());
    ASSERT_TRUE(base);
    ASSERT_TRUE(keepStepped(*base, run, 2, [](AudioProject& p) { p.name = QStringLiteral("Later"); }).done());
    const qint64 before = bytesReadSoFar();
    ASSERT_GE(before, 0);
    testing::internal::CaptureStderr();
    EXPECT_EQ(RescueCopy::restoreAll(disk, FolderLock::patientFor(kPatience)), 1);
    testing::internal::GetCapturedStderr();
    EXPECT_LT(bytesReadSoFar() - before, 4 * copySize) << "read for " << starts << " earlier starts";
    const AudioProject inFile = projectsInFile().first();
    EXPECT_EQ(inFile.name, QStringLiteral("Later"));
    EXPECT_DOUBLE_EQ(inFile.manualProgress, tape.manualProgress + 0.1) << "the first step is in the file already";
}

// A copy whose merge cannot be written holds back the copies made after it:
// merged first, their values would be undone by its older ones once it lands.
// The store takes them in, in that order, under the user's own later edits.
TEST_F(RescueCopySteps, ACopyThatCannotBeMergedYetHoldsBackTheCopiesMadeAfterIt) {
    for (const bool sameRun : {false, true}) {
        SCOPED_TRACE(sameRun ? "written by the store that took them in" : "merged at the next start");
        ASSERT_TRUE(QDir(RescueCopy::folder()).removeRecursively());
        writeDataFile({tape});
        const QByteArray held = readFile(Storage::filePath());
        const std::optional<Library> base = RecordCoding::decodeLibrary(held, fileTime());
        ASSERT_TRUE(base);
        const FileOutcome earlier = keepStepped(*base, QUuid::createUuid(), 0, [](AudioProject& p) {
            p.name = QStringLiteral("Alpha-first");
            p.notes = QString(8192, QLatin1Char('n'));
        });
        const FileOutcome later = keepStepped(*base, QUuid::createUuid(), 0,
                                              [](AudioProject& p) { p.name = QStringLiteral("Alpha-second"); });
        ASSERT_TRUE(earlier.done() && later.done());
        const AudioProject other = AudioProject::make(QStringLiteral("Other"), ProjectType::musicID);

        expectInChild([&] {
            // Room for the later copy's rename, not for the earlier one's notes.
            FileSizeCap cap(rlim_t(held.size() + 64));
            ASSERT_TRUE(cap.isLowered());
            testing::internal::CaptureStderr();
            if (!sameRun) {
                QList<RescueCopy::NotMerged> notWritten;
                EXPECT_EQ(RescueCopy::restoreAll(disk, FolderLock::patientFor(kPatience), &notWritten), 0);
                QStringList waiting;
                for (const RescueCopy::NotMerged& copy : std::as_const(notWritten))
                    waiting << copy.path;
                EXPECT_EQ(waiting, (QStringList{earlier.path, later.path}));
                EXPECT_EQ(projectsInFile().first().name, tape.name);
                testing::internal::GetCapturedStderr();
                return;
            }
            ProjectStore store(disk, desktop.seams());
            ASSERT_TRUE(waitUntil([&] { return store.hasStarted(); }, kPatience));
            EXPECT_EQ(store.project(tape.id)->name, QStringLiteral("Alpha-second"));
            EXPECT_EQ(store.saveProblem().kind, SaveProblem::Kind::RescueNotMerged);
            // The user's edit meanwhile stays on top of both.
            store.update(tape.id, [](AudioProject& p) { p.folderPath = QStringLiteral("/music/mine"); });
            store.addProject(other);
            ASSERT_TRUE(waitUntil([&] { return store.activity().failedWrites >= 1; }, kPatience));
            EXPECT_EQ(projectsInFile().first().name, tape.name);
            cap.lift();
            ASSERT_TRUE(waitUntil([&] { return store.activity().writes >= 1; }, ProjectStore::longestRetryDelayMs));
            ASSERT_TRUE(waitUntilIdle(store));
            EXPECT_TRUE(store.saveProblem().isEmpty());
            testing::internal::GetCapturedStderr();
        });
        // The next start merges what is left, in the order it was made.
        testing::internal::CaptureStderr();
        EXPECT_EQ(RescueCopy::restoreAll(disk, FolderLock::patientFor(kPatience)), sameRun ? 0 : 2);
        testing::internal::GetCapturedStderr();

        const QList<AudioProject> inFile = projectsInFile();
        ASSERT_EQ(inFile.size(), sameRun ? 2 : 1);
        const auto rescued =
            std::find_if(inFile.cbegin(), inFile.cend(), [&](const AudioProject& p) { return p.id == tape.id; });
        ASSERT_NE(rescued, inFile.cend());
        EXPECT_EQ(rescued->name, QStringLiteral("Alpha-second")) << "the copy made last has the last word";
        EXPECT_EQ(rescued->notes.size(), 8192);
        if (sameRun) {
            EXPECT_EQ(rescued->folderPath, QStringLiteral("/music/mine"));
            EXPECT_TRUE(
                std::any_of(inFile.cbegin(), inFile.cend(), [&](const AudioProject& p) { return p.id == other.id; }));
        }
    }
}

// Kills the program right after each file operation of a write that carries
// a rescue copy, in turn, then lets another program step the tape's progress
// and rename it, and starts again. Whatever instant the kill came at, the
// copy's step counts once and its rename is merged only when the killed
// write did not put it in the file, so that the other program's later
// rename is not undone.
class RescueCopyCrash : public RescueCopySteps {
protected:
    const QString renamedAtTheQuit = QStringLiteral("Renamed at the quit");
    const QString renamedElsewhere = QStringLiteral("Renamed elsewhere later");

    QString dataFile() const { return environment.dataFolder() + QStringLiteral("/projects.json"); }
    QStringList copies(const QString& prefix) const {
        return QDir(RescueCopy::folder()).entryList({prefix + QLatin1Char('*')}, QDir::Files);
    }
    static void mergeAtStart(const std::function<void()>& arm) {
        PosixFileSystem disk;
        arm();
        RescueCopy::restoreAll(disk, FolderLock::patientFor(kPatience));
    }

    // `carry`, in a child, writes a rescue copy that steps the tape by 0.1
    // and renames it renamedAtTheQuit: `prepare` may leave it beforehand, or
    // `carry` itself; it calls `arm` right before the write, which is then
    // ended at the step this pass names. `prepare` may merge an earlier copy
    // of the copy's run, whose `earlierSteps` steps the copy holds too.
    void killAtEveryStep(const std::function<void()>& prepare,
                         const std::function<void(const std::function<void()>& arm)>& carry, int earlierSteps = 0) {
        const double before = tape.manualProgress + 0.1 * earlierSteps;
        int step = 1;
        for (;; ++step) {
            SCOPED_TRACE(testing::Message() << "killed after file operation " << step);
            QDir(environment.dataFolder()).removeRecursively();
            QDir(RescueCopy::folder()).removeRecursively();
            writeDataFile({tape});
            prepare();

            const int status = runInChild([&] {
                testing::internal::CaptureStderr(); // the child's log is of no use here
                carry([step] { qputenv("SORVEL_EXIT_AFTER_STEP", QByteArray::number(step)); });
                return 0;
            });
            ASSERT_TRUE(status == 0 || status == Storage::exitedAtStepStatus) << status;
            const bool landed = projectsInFile().first().name == renamedAtTheQuit;
            EXPECT_DOUBLE_EQ(projectsInFile().first().manualProgress, landed ? before + 0.1 : before);

            runInAnotherProgram([&] { AdjustProgressIntent{RecordCoding::idText(tape.id), 0.1}.perform(disk); });
            changeInAnotherProgram([&](Library& library) { library.projects.first().name = renamedElsewhere; });
            testing::internal::CaptureStderr();
            {
                const ProjectStore next(disk, desktop.seams());
                ASSERT_TRUE(waitUntil([&] { return next.hasStarted(); }, kPatience));
            }
            testing::internal::GetCapturedStderr();

            const AudioProject inFile = projectsInFile().first();
            EXPECT_DOUBLE_EQ(inFile.manualProgress, before + 0.2)
                << "the step of the copy and the other program's, once each";
            EXPECT_EQ(inFile.name, landed ? renamedElsewhere : renamedAtTheQuit);
            EXPECT_TRUE(copies(QStringLiteral("projects-rescued-")).isEmpty());
            EXPECT_TRUE(copies(QStringLiteral("projects-restoring-")).isEmpty());
            // Retired copies are folded into the runs' landed steps by the start.
            EXPECT_TRUE(copies(QStringLiteral("projects-restored-")).isEmpty());
            EXPECT_EQ(copies(QStringLiteral("landed-steps")).size(), 1);
            if (status == 0 || testing::Test::HasFailure())
                break;
        }
        // The draft's creation, write, sync, the copy's mark and its sync, the
        // draft's rename and its sync, the copy's retirement and its sync.
        EXPECT_GE(step, 10) << "the write was not ended at each of its file operations";
    }
};

// The write as the program exits carries the copy that "quit anyway" kept.
TEST_F(RescueCopyCrash, AKillAnywhereInTheWriteAtExitMergesTheCopyOnce) {
    killAtEveryStep([] {},
                    [&](const std::function<void()>& arm) {
                        ProjectStore store(disk, desktop.seams());
                        if (!waitUntilIdle(store))
                            return;
                        UnsavedChangesGuard guard(store, quitAnyway);
                        const QByteArray held = readFile(dataFile());
                        QFile::remove(dataFile());
                        breakDataFile(environment);
                        store.stepProgress(tape.id, 0.1);
                        store.update(tape.id, [&](AudioProject& p) { p.name = renamedAtTheQuit; });
                        guard.writeBeforeQuit();
                        if (copies(QStringLiteral("projects-rescued-")).size() != 1)
                            return;
                        mendDataFile(environment);
                        writeFile(dataFile(), held);
                        arm();
                        guard.writeAtExit();
                    });
}

// The start's merge of a copy that an earlier run left.
TEST_F(RescueCopyCrash, AKillAnywhereInTheStartsMergeMergesTheCopyOnce) {
    killAtEveryStep(
        [&] {
            const std::optional<Library> base = RecordCoding::decodeLibrary(readFile(dataFile()), fileTime());
            ASSERT_TRUE(base);
            Library unsaved = *base;
            unsaved.projects.first().manualProgress = 0.5;
            unsaved.projects.first().name = renamedAtTheQuit;
            RescueCopy::KeptSteps steps{QUuid::createUuid(), 2, {}};
            steps.steps.add(tape.id, 0.1, 1);
            ASSERT_TRUE(RescueCopy::write(disk, base, unsaved, Clock::now(), steps).done());
            ASSERT_EQ(copies(QStringLiteral("projects-rescued-")).size(), 1);
        },
        mergeAtStart);
}

// The start's merge of a copy whose run's earlier copy an earlier start
// merged: the earlier copy's step, which the copy holds again, counts once.
TEST_F(RescueCopyCrash, AKillAnywhereInTheMergeOfALaterCopyOfARunCountsTheEarlierCopysStepOnce) {
    killAtEveryStep(
        [&] {
            const std::optional<Library> base = RecordCoding::decodeLibrary(readFile(dataFile()), fileTime());
            ASSERT_TRUE(base);
            const QUuid run = QUuid::createUuid();
            ASSERT_TRUE(keepStepped(*base, run, 1, [](AudioProject&) {}).done());
            testing::internal::CaptureStderr();
            ASSERT_EQ(RescueCopy::restoreAll(disk, FolderLock::patientFor(kPatience)), 1);
            testing::internal::GetCapturedStderr();
            ASSERT_TRUE(keepStepped(*base, run, 2, [&](AudioProject& p) { p.name = renamedAtTheQuit; }).done());
        },
        mergeAtStart, 1);
}

// A rescue copy holds the unsaved library and the one last read: under a
// file-size limit above the data file's size but below twice it, a quit that
// cannot write keeps no copy, and the log says why.
TEST_F(RescueCopyCrash, UnderALimitBelowTwiceTheDataFileNoCopyIsKeptAndTheLogSaysWhy) {
    tape.notes = QString(2000, QLatin1Char('n'));
    writeDataFile({tape});
    const qint64 size = readFile(dataFile()).size();
    expectInChild([&] {
        const FileSizeCap cap(rlim_t(size + size / 20));
        ASSERT_TRUE(cap.isLowered());
        ProjectStore store(disk, desktop.seams());
        ASSERT_TRUE(waitUntilIdle(store));
        QString named = QStringLiteral("not asked");
        UnsavedChangesGuard guard(store, [&](const UnsavedChangesGuard::Question& question) {
            named = question.rescueFile;
            return UnsavedChangesGuard::Choice::QuitAnyway;
        });
        ASSERT_TRUE(QFile::remove(dataFile()));
        breakDataFile(environment);
        store.update(tape.id, [](AudioProject& p) { p.name = QStringLiteral("Renamed"); });
        testing::internal::CaptureStderr();
        EXPECT_TRUE(guard.writeBeforeQuit());
        const std::string log = testing::internal::GetCapturedStderr();
        EXPECT_TRUE(named.isEmpty()) << named.toStdString();
        EXPECT_TRUE(copies(QStringLiteral("projects-")).isEmpty());
        EXPECT_NE(log.find("no rescue copy could be written"), std::string::npos) << log;
        EXPECT_NE(log.find(SystemErrorText::inEnglish(EFBIG).toStdString()), std::string::npos) << log;
    });
}

} // namespace
} // namespace sorvel::test
