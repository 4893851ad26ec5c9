#include "support/ChildProcess.h"
#include "support/FolderHolder.h"
#include "support/SampleRecords.h"
#include "support/StoreTestSupport.h"

#include "app/store/ProjectStore.h"
#include "app/store/RescueCopy.h"
#include "app/store/SaveProblemText.h"
#include "app/store/UnsavedChangesGuard.h"
#include "core/RecordCoding.h"
#include "core/Storage.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

namespace sorvel::test {
namespace {

constexpr int kHoldMs = 3000;
constexpr int kPatience = 5000;
// What "at once" means on a busy machine: far below the time the lock is held.
constexpr int kPromptly = 1500;

class ProjectStoreBusyFolder : public StoreFixture {
protected:
    AudioProject kept = AudioProject::make(QStringLiteral("Kept"), ProjectType::musicID);
    AudioProject other = AudioProject::make(QStringLiteral("Other"), ProjectType::sfxID);
};

// The window shows while another program holds the folder; the shelf fills
// when the read lands, and an edit made meanwhile is merged onto the file's
// projects instead of replacing them.
TEST_F(ProjectStoreBusyFolder, TheStartShowsAtOnceAndReadsWhenTheFolderIsFree) {
    writeDataFile({kept, other});
    FolderHolder holder(environment.dataFolder(), kHoldMs);
    holder.takeTheFolder();
    ASSERT_TRUE(holder.isHolding());

    QElapsedTimer took;
    took.start();
    ProjectStore store(disk, desktop.seams());
    EXPECT_LT(took.elapsed(), kPromptly);
    EXPECT_FALSE(store.hasStarted());
    EXPECT_TRUE(store.projects().isEmpty());
    ASSERT_TRUE(waitUntil([&] { return store.isWaitingForFolder(); }, kPromptly));
    EXPECT_EQ(SaveProblemText::forBanner(store.saveProblem(), store.isWaitingForFolder()),
              QStringLiteral("数据文件夹正被另一个程序占用，正在等待…"));

    const AudioProject added = AudioProject::make(QStringLiteral("Added meanwhile"), ProjectType::musicID);
    store.addProject(added);
    // The save is due, but must wait for the read.
    ASSERT_TRUE(waitUntil([&] { return store.isWriteQueued(); }, kPromptly + ProjectStore::saveDelayMs));
    EXPECT_TRUE(store.isDirty());
    // Read past the lock, which the other program still holds.
    const std::optional<Library> before = RecordCoding::decodeLibrary(readFile(Storage::filePath()), fileTime());
    ASSERT_TRUE(before);
    EXPECT_EQ(before->projects.size(), 2) << "nothing written before the file was read";

    ASSERT_TRUE(waitUntil([&] { return holder.hasEnded(); }, kHoldMs + 5000));
    ASSERT_TRUE(waitUntil([&] { return store.hasStarted() && !store.isDirty(); }, 5000));
    EXPECT_FALSE(store.isWaitingForFolder());
    EXPECT_TRUE(SaveProblemText::forBanner(store.saveProblem(), store.isWaitingForFolder()).isEmpty());
    EXPECT_EQ(store.projects().size(), 3);
    EXPECT_TRUE(store.project(kept.id) && store.project(other.id) && store.project(added.id));
    const QList<AudioProject> written = projectsInFile();
    EXPECT_EQ(written.size(), 3);
    EXPECT_EQ(store.projects(), written);
}

// At quit the folder is waited for a bounded time; then the change stays
// pending, the question says why, and a signal quit keeps a rescue copy.
TEST_F(ProjectStoreBusyFolder, AQuitWaitsABoundedTimeThenAsksOrRescues) {
    writeDataFile({kept});
    ProjectStore store(disk, desktop.seams());
    ASSERT_TRUE(store.hasStarted());
    store.update(kept.id, [](AudioProject& p) { p.notes = QStringLiteral("unsaved"); });

    // Long enough for both quits below to give up on it.
    FolderHolder holder(environment.dataFolder(), 2 * ProjectStore::quitWaitMs + kHoldMs);
    holder.takeTheFolder();
    ASSERT_TRUE(holder.isHolding());
    QList<UnsavedChangesGuard::Question> asked;
    UnsavedChangesGuard guard(store, [&](const UnsavedChangesGuard::Question& question) {
        asked << question;
        return UnsavedChangesGuard::Choice::QuitAnyway;
    });
    testing::internal::CaptureStderr();
    QElapsedTimer took;
    took.start();
    EXPECT_TRUE(guard.writeBeforeQuit());
    EXPECT_LT(took.elapsed(), ProjectStore::quitWaitMs + kPromptly);
    took.restart();
    EXPECT_FALSE(guard.writeBeforeSignalQuit());
    EXPECT_LT(took.elapsed(), ProjectStore::quitWaitMs + kPromptly);
    const std::string log = testing::internal::GetCapturedStderr();

    ASSERT_EQ(asked.size(), 1);
    EXPECT_EQ(asked.first().problem.kind, SaveProblem::Kind::FolderBusy);
    EXPECT_TRUE(UnsavedChangesGuard::details(asked.first()).contains(QStringLiteral("数据文件夹正被另一个程序占用")));
    ASSERT_FALSE(asked.first().rescueFile.isEmpty());
    EXPECT_NE(log.find(asked.first().rescueFile.toStdString()), std::string::npos) << log;
    const std::optional<Library> rescued = RecordCoding::decodeLibrary(readFile(asked.first().rescueFile), fileTime());
    ASSERT_TRUE(rescued);
    ASSERT_EQ(rescued->projects.size(), 1);
    EXPECT_EQ(rescued->projects.first().notes, QStringLiteral("unsaved"));
    EXPECT_TRUE(store.isDirty());

    // The write waits on the worker and lands once the folder is free.
    ASSERT_TRUE(waitUntil([&] { return holder.hasEnded(); }, 2 * ProjectStore::quitWaitMs + kHoldMs + 5000));
    ASSERT_TRUE(waitUntil([&] { return !store.isDirty(); }, 5000));
    EXPECT_TRUE(store.saveProblem().isEmpty());
    EXPECT_EQ(projectsInFile().first().notes, QStringLiteral("unsaved"));
}

// Rescue copies in the state folder: those still to be merged, and those merged.
QStringList rescueCopies(const QString& prefix) {
    return QDir(RescueCopy::folder()).entryList({prefix + QStringLiteral("*.json")}, QDir::Files, QDir::Name);
}

// A start while another program holds the folder, an edit, a quit that cannot
// write: the rescue copy holds only the edit, as the file was never read. The
// next start merges it into the file, which keeps its projects and gains the
// edit, and renames it, so that the start after merges nothing again.
TEST_F(ProjectStoreBusyFolder, TheNextStartMergesARescueCopyMadeBeforeAnyRead) {
    writeDataFile({kept, other});
    const AudioProject added = AudioProject::make(QStringLiteral("Added meanwhile"), ProjectType::musicID);
    for (const bool bySignal : {false, true}) {
        SCOPED_TRACE(bySignal ? "quit by a signal" : "quit anyway");
        {
            FolderHolder holder(environment.dataFolder(), 3 * ProjectStore::quitWaitMs + kHoldMs);
            holder.takeTheFolder();
            ASSERT_TRUE(holder.isHolding());
            ProjectStore store(disk, desktop.seams());
            EXPECT_FALSE(store.hasStarted());
            store.addProject(added);
            UnsavedChangesGuard guard(store, quitAnyway);
            testing::internal::CaptureStderr();
            quitUnwritten(guard, bySignal);
            testing::internal::GetCapturedStderr();
            ASSERT_EQ(rescueCopies(QStringLiteral("projects-rescued-")).size(), 1);
            EXPECT_FALSE(holder.hasEnded()) << "the store went away before the folder was free";
        }
        ASSERT_EQ(projectsInFile().size(), 2) << "nothing was written while the folder was held";

        testing::internal::CaptureStderr();
        {
            ProjectStore next(disk, desktop.seams());
            ASSERT_TRUE(waitUntil([&] { return next.hasStarted(); }, kHoldMs));
            EXPECT_EQ(next.projects().size(), 3);
            EXPECT_TRUE(next.project(kept.id) && next.project(other.id) && next.project(added.id));
        }
        const std::string log = testing::internal::GetCapturedStderr();
        const QList<AudioProject> inFile = projectsInFile();
        ASSERT_EQ(inFile.size(), 3);
        EXPECT_TRUE(
            std::any_of(inFile.cbegin(), inFile.cend(), [&](const AudioProject& p) { return p.id == added.id; }));
        EXPECT_TRUE(rescueCopies(QStringLiteral("projects-rescued-")).isEmpty());
        // Retired, then folded into the runs' landed steps.
        const QString restored = QStringLiteral("projects-restored-%1-").arg(bySignal ? 2 : 1);
        EXPECT_NE(log.find(restored.toStdString()), std::string::npos) << log;
        EXPECT_TRUE(rescueCopies(QStringLiteral("projects-restored-")).isEmpty());
        EXPECT_EQ(rescueCopies(QStringLiteral("landed-steps")).size(), 1);

        ProjectStore again(disk, desktop.seams());
        ASSERT_TRUE(waitUntil([&] { return again.hasStarted(); }, kHoldMs));
        EXPECT_EQ(projectsInFile(), inFile);
        // Start over for the other kind of quit.
        ASSERT_TRUE(Storage::save(disk, Library{{kept, other}, ProjectType::defaults()}));
    }
}

// A rescue copy made after a read merges like another program's change from
// what the store had read: the rescued deletion and field win, the other
// program's change of another field stays, and the log names the value set aside.
TEST_F(ProjectStoreBusyFolder, ARescueCopyMergesFieldByFieldAndItsValueWins) {
    writeDataFile({kept, other});
    {
        std::optional<FolderHolder> holder; // outlives the store
        ProjectStore store(disk, desktop.seams());
        ASSERT_TRUE(store.hasStarted());
        store.update(kept.id, [](AudioProject& p) { p.notes = QStringLiteral("rescued notes"); });
        store.deleteProjects({other.id});
        holder.emplace(environment.dataFolder(), 3 * ProjectStore::quitWaitMs + kHoldMs);
        holder->takeTheFolder();
        ASSERT_TRUE(holder->isHolding());
        UnsavedChangesGuard guard(store, {});
        testing::internal::CaptureStderr();
        EXPECT_FALSE(guard.writeBeforeSignalQuit());
        testing::internal::GetCapturedStderr();
    }
    changeInAnotherProgram([](Library& library) {
        library.projects.first().notes = QStringLiteral("notes set elsewhere");
        library.projects.first().name = QStringLiteral("Renamed elsewhere");
    });

    testing::internal::CaptureStderr();
    {
        ProjectStore next(disk, desktop.seams());
        ASSERT_TRUE(waitUntil([&] { return next.hasStarted(); }, kHoldMs));
    }
    const std::string log = testing::internal::GetCapturedStderr();
    const QList<AudioProject> inFile = projectsInFile();
    ASSERT_EQ(inFile.size(), 1);
    EXPECT_EQ(inFile.first().id, kept.id);
    EXPECT_EQ(inFile.first().notes, QStringLiteral("rescued notes"));
    EXPECT_EQ(inFile.first().name, QStringLiteral("Renamed elsewhere"));
    EXPECT_NE(log.find("notes set elsewhere"), std::string::npos) << log;
    EXPECT_NE(log.find("it is now "
                       + QDir(RescueCopy::folder()).filePath(QStringLiteral("projects-restored-")).toStdString()),
              std::string::npos)
        << log;
    EXPECT_TRUE(rescueCopies(QStringLiteral("projects-rescued-")).isEmpty());
}

// A quit that gave up on the folder and kept a rescue copy does not wait for
// it again as the program exits.
TEST_F(ProjectStoreBusyFolder, AQuitWaitsForTheFolderOnce) {
    writeDataFile({kept});
    for (const bool bySignal : {false, true}) {
        SCOPED_TRACE(bySignal ? "quit by a signal" : "quit anyway");
        ProjectStore store(disk, desktop.seams());
        ASSERT_TRUE(store.hasStarted());
        store.update(kept.id, [&](AudioProject& p) { p.notes = bySignal ? "signal" : "asked"; });
        FolderHolder holder(environment.dataFolder(), 3 * ProjectStore::quitWaitMs + kHoldMs);
        holder.takeTheFolder();
        ASSERT_TRUE(holder.isHolding());
        UnsavedChangesGuard guard(store, quitAnyway);
        testing::internal::CaptureStderr();
        if (bySignal)
            guard.writeBeforeSignalQuit();
        else
            guard.writeBeforeQuit();
        guard.writeAtExit();
        testing::internal::GetCapturedStderr();
        EXPECT_TRUE(store.isDirty());
        EXPECT_EQ(store.activity().folderWaits, 1);
        EXPECT_FALSE(holder.hasEnded());
    }
}

// The folder comes free while the quit's question is open, and the pending
// write lands: the rescue copy the question named is retired with it. The
// next start then leaves alone what another program deleted and changed in
// between, instead of merging the copy again over it.
TEST_F(ProjectStoreBusyFolder, AWriteThatLandsWhileTheQuestionIsOpenRetiresItsRescueCopy) {
    writeDataFile({kept});
    const AudioProject added = AudioProject::make(QStringLiteral("Added before the quit"), ProjectType::musicID);
    {
        ProjectStore store(disk, desktop.seams());
        ASSERT_TRUE(store.hasStarted());
        FolderHolder holder(environment.dataFolder(), 3 * ProjectStore::quitWaitMs + kHoldMs);
        holder.takeTheFolder();
        ASSERT_TRUE(holder.isHolding());
        store.addProject(added);
        store.update(kept.id, [](AudioProject& p) { p.notes = QStringLiteral("notes before the quit"); });
        QString named;
        UnsavedChangesGuard guard(store, [&](const UnsavedChangesGuard::Question& question) {
            named = question.rescueFile;
            EXPECT_TRUE(QFileInfo::exists(named));
            holder.release();
            EXPECT_TRUE(waitUntil([&] { return !store.isDirty(); }, kHoldMs));
            return UnsavedChangesGuard::Choice::TryAgain;
        });
        testing::internal::CaptureStderr();
        EXPECT_TRUE(guard.writeBeforeQuit());
        guard.writeAtExit();
        const std::string log = testing::internal::GetCapturedStderr();
        ASSERT_FALSE(named.isEmpty());
        EXPECT_FALSE(QFileInfo::exists(named));
        EXPECT_TRUE(rescueCopies(QStringLiteral("projects-rescued-")).isEmpty());
        EXPECT_EQ(rescueCopies(QStringLiteral("projects-restored-")).size(), 1);
        EXPECT_NE(log.find(named.toStdString()), std::string::npos) << log;
    }
    changeInAnotherProgram([&](Library& library) {
        library.projects.removeIf([&](const AudioProject& p) { return p.id == added.id; });
        library.projects.first().notes = QStringLiteral("notes changed later elsewhere");
        library.projects.first().setStatus(ProjectStatus::Review);
    });

    testing::internal::CaptureStderr();
    {
        ProjectStore next(disk, desktop.seams());
        ASSERT_TRUE(waitUntil([&] { return next.hasStarted(); }, kHoldMs));
    }
    testing::internal::GetCapturedStderr();
    const QList<AudioProject> inFile = projectsInFile();
    ASSERT_EQ(inFile.size(), 1) << "the tape deleted elsewhere came back";
    EXPECT_EQ(inFile.first().notes, QStringLiteral("notes changed later elsewhere"));
    EXPECT_EQ(inFile.first().status, ProjectStatus::Review);
}

// Two quits kept two rescue copies, the second with a change made after the
// first. The write that was pending before both does not land once the folder
// is free (the second copy holds its changes and more); the write of the later
// change carries both and retires both.
TEST_F(ProjectStoreBusyFolder, ARescueCopyStaysUntilAWriteCarriesEveryChangeInIt) {
    writeDataFile({kept});
    ProjectStore store(disk, desktop.seams());
    ASSERT_TRUE(store.hasStarted());
    FolderHolder holder(environment.dataFolder(), 3 * ProjectStore::quitWaitMs + kHoldMs);
    holder.takeTheFolder();
    ASSERT_TRUE(holder.isHolding());
    store.update(kept.id, [](AudioProject& p) { p.notes = QStringLiteral("first"); });
    UnsavedChangesGuard guard(store, quitAnyway);
    testing::internal::CaptureStderr();
    EXPECT_TRUE(guard.writeBeforeQuit());
    store.update(kept.id, [](AudioProject& p) { p.name = QStringLiteral("Renamed after the question"); });
    EXPECT_FALSE(guard.writeBeforeSignalQuit());
    const QStringList both = rescueCopies(QStringLiteral("projects-rescued-"));
    ASSERT_EQ(both.size(), 2);
    const auto holdsTheRename = [](const QString& name) {
        return readFile(QDir(RescueCopy::folder()).filePath(name)).contains("Renamed after the question");
    };
    const QString second = holdsTheRename(both.first()) ? both.first() : both.last();
    ASSERT_NE(holdsTheRename(both.first()), holdsTheRename(both.last()));

    QList<QStringList> pendingAfterEachWrite;
    QList<bool> writes;
    QObject::connect(&store, &ProjectStore::saveFinished, [&](bool written) {
        writes << written;
        if (written)
            pendingAfterEachWrite << rescueCopies(QStringLiteral("projects-rescued-"));
    });
    holder.release();
    ASSERT_TRUE(waitUntil([&] { return !store.isDirty(); }, ProjectStore::retryDelayMs + kHoldMs));
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(writes, (QList<bool>{false, true})) << "the write pending before the quits, then the later change";
    ASSERT_EQ(pendingAfterEachWrite.size(), 1);
    EXPECT_TRUE(pendingAfterEachWrite.first().isEmpty()) << second.toStdString();
    EXPECT_EQ(rescueCopies(QStringLiteral("projects-restored-")).size(), 2);
    EXPECT_EQ(projectsInFile().first().name, QStringLiteral("Renamed after the question"));
    EXPECT_EQ(projectsInFile().first().notes, QStringLiteral("first"));
}

// A write that waited for the folder while a quit kept a rescue copy of later
// changes does not land after the copy: the program ends as the write is done,
// and the next start merges the copy, whose step then counts once.
TEST_F(ProjectStoreBusyFolder, AWriteThatWaitedWhileAQuitKeptACopyLeavesTheFileToTheCopy) {
    AudioProject tape = AudioProject::make(QStringLiteral("Tape"), ProjectType::musicID);
    tape.progressMode = ProgressMode::Manual;
    tape.manualProgress = 0.4;
    writeDataFile({tape});

    const int status = runInChild([&] {
        ProjectStore store(disk, desktop.seams());
        if (!store.hasStarted())
            return 2;
        FolderHolder holder(environment.dataFolder());
        holder.takeTheFolder();
        if (!holder.isHolding())
            return 3;
        store.stepProgress(tape.id, 0.1);
        if (!waitUntil([&] { return store.isWaitingForFolder(); }, kPatience))
            return 4;
        store.update(tape.id, [](AudioProject& p) { p.notes = QStringLiteral("later"); });
        UnsavedChangesGuard guard(
            store, [](const UnsavedChangesGuard::Question&) { return UnsavedChangesGuard::Choice::QuitAnyway; });
        testing::internal::CaptureStderr();
        if (guard.writeBeforeSignalQuit())
            return 5;
        // The program ends right after the write that waited, whatever it did.
        QObject::connect(&store, &ProjectStore::saveFinished, [] {
            std::fflush(nullptr);
            ::_exit(0);
        });
        holder.letGo();
        waitUntil([] { return false; }, kPatience);
        return 6; // the write never finished
    });
    ASSERT_EQ(status, 0);
    ASSERT_EQ(rescueCopies(QStringLiteral("projects-rescued-")).size(), 1);

    testing::internal::CaptureStderr();
    EXPECT_EQ(RescueCopy::restoreAll(disk, FolderLock::patientFor(kPatience)), 1);
    testing::internal::GetCapturedStderr();
    const AudioProject inFile = projectsInFile().first();
    EXPECT_EQ(inFile.notes, QStringLiteral("later"));
    EXPECT_DOUBLE_EQ(inFile.manualProgress, 0.5) << "the step once";
}

// The same, with the program going on: the write that waited is left to the
// copy, which is no failure the user can act on. Nothing says it, and the
// write of the later changes, which carries the copy, follows at once.
TEST_F(ProjectStoreBusyFolder, AWriteLeftToALaterCopyIsNoFailure) {
    AudioProject tape = AudioProject::make(QStringLiteral("Tape"), ProjectType::musicID);
    tape.progressMode = ProgressMode::Manual;
    tape.manualProgress = 0.4;
    writeDataFile({tape});
    ProjectStore store(disk, desktop.seams());
    ASSERT_TRUE(store.hasStarted());
    FolderHolder holder(environment.dataFolder());
    holder.takeTheFolder();
    ASSERT_TRUE(holder.isHolding());
    store.stepProgress(tape.id, 0.1);
    ASSERT_TRUE(waitUntil([&] { return store.isWaitingForFolder(); }, kPatience));
    store.update(tape.id, [](AudioProject& p) { p.notes = QStringLiteral("later"); });
    testing::internal::CaptureStderr();
    const FileOutcome copy = store.keepRescueCopy();
    ASSERT_TRUE(copy.done());

    QStringList said;
    QObject::connect(&store, &ProjectStore::saveProblemChanged,
                     [&] { said << SaveProblemText::forBanner(store.saveProblem(), store.isWaitingForFolder()); });
    holder.release();
    const bool landed = waitUntil([&] { return !store.isDirty(); }, kPatience);
    const std::string log = testing::internal::GetCapturedStderr();
    ASSERT_TRUE(landed) << log;
    EXPECT_EQ(said, QStringList{}) << log;
    EXPECT_EQ(store.activity().failedWrites, 0);
    EXPECT_FALSE(QFileInfo::exists(copy.path)) << "the write of the later changes retires the copy";
    EXPECT_EQ(rescueCopies(QStringLiteral("projects-restored-")).size(), 1);
    const AudioProject inFile = projectsInFile().first();
    EXPECT_EQ(inFile.notes, QStringLiteral("later"));
    EXPECT_DOUBLE_EQ(inFile.manualProgress, 0.5) << "the step once";
}

// The program ends with no quit before (the session ends): the last flush
// waits as a quit does, then keeps the same rescue copy and says so.
TEST_F(ProjectStoreBusyFolder, AnEndWithoutAQuitKeepsARescueCopy) {
    writeDataFile({kept});
    ProjectStore store(disk, desktop.seams());
    ASSERT_TRUE(store.hasStarted());
    store.update(kept.id, [](AudioProject& p) { p.notes = QStringLiteral("unsaved"); });
    FolderHolder holder(environment.dataFolder());
    holder.takeTheFolder();
    ASSERT_TRUE(holder.isHolding());
    UnsavedChangesGuard guard(store, [](const UnsavedChangesGuard::Question&) {
        ADD_FAILURE() << "nobody is asked as the program ends";
        return UnsavedChangesGuard::Choice::QuitAnyway;
    });
    testing::internal::CaptureStderr();
    QElapsedTimer took;
    took.start();
    guard.writeAtExit();
    EXPECT_LT(took.elapsed(), ProjectStore::quitWaitMs + kPromptly);
    const std::string log = testing::internal::GetCapturedStderr();
    const QStringList copies = rescueCopies(QStringLiteral("projects-rescued-"));
    ASSERT_EQ(copies.size(), 1) << log;
    EXPECT_NE(log.find(copies.first().toStdString()), std::string::npos) << log;
    const std::optional<Library> rescued =
        RecordCoding::decodeLibrary(readFile(RescueCopy::folder() + QLatin1Char('/') + copies.first()), fileTime());
    ASSERT_TRUE(rescued);
    EXPECT_EQ(rescued->projects.first().notes, QStringLiteral("unsaved"));
}

// With nothing to write, a quit by the key or by a signal does not wait for
// the folder that another program holds (a read waits for it meanwhile),
// neither before the program exits nor as it does.
TEST_F(ProjectStoreBusyFolder, AQuitWithNothingToWriteWaitsForNothing) {
    writeDataFile({kept});
    ProjectStore store(disk, desktop.seams());
    ASSERT_TRUE(store.hasStarted());
    FolderHolder holder(environment.dataFolder(), 3 * ProjectStore::quitWaitMs + kHoldMs);
    holder.takeTheFolder();
    ASSERT_TRUE(holder.isHolding());
    // The other program's work in the folder starts a read, which waits for it.
    QFile draft(environment.dataFolder() + QStringLiteral("/projects.json.other-program"));
    ASSERT_TRUE(draft.open(QIODevice::WriteOnly));
    draft.close();
    ASSERT_TRUE(waitUntil([&] { return store.isWaitingForFolder(); }, kHoldMs));
    ASSERT_FALSE(store.isDirty());

    for (const bool bySignal : {false, true}) {
        SCOPED_TRACE(bySignal ? "quit by a signal" : "quit by the key");
        UnsavedChangesGuard guard(store, [](const UnsavedChangesGuard::Question&) {
            ADD_FAILURE() << "a question with nothing unsaved";
            return UnsavedChangesGuard::Choice::QuitAnyway;
        });
        QElapsedTimer took;
        took.start();
        if (bySignal)
            EXPECT_TRUE(guard.writeBeforeSignalQuit());
        else
            EXPECT_TRUE(guard.writeBeforeQuit());
        guard.writeAtExit();
        EXPECT_LT(took.elapsed(), kPromptly);
    }
    EXPECT_TRUE(store.isWaitingForFolder()) << "the read was still waiting throughout";
    EXPECT_TRUE(rescueCopies(QStringLiteral("projects-rescued-")).isEmpty());
}

// A store that goes away while another program holds the folder does not
// wait for it.
TEST_F(ProjectStoreBusyFolder, AStoreEndsWithoutWaitingForTheFolder) {
    FolderHolder holder(environment.dataFolder(), ProjectStore::quitWaitMs + kHoldMs);
    holder.takeTheFolder();
    ASSERT_TRUE(holder.isHolding());
    QElapsedTimer took;
    took.start();
    {
        ProjectStore store(disk, desktop.seams());
        store.addProject(kept);
        store.saveNow();
        EXPECT_TRUE(store.isDirty());
    }
    EXPECT_LT(took.elapsed(), ProjectStore::quitWaitMs + kPromptly);
    EXPECT_FALSE(holder.hasEnded());
}

} // namespace
} // namespace sorvel::test
