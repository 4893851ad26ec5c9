#include "support/ChildProcess.h"
#include "support/FolderHolder.h"
#include "support/SampleRecords.h"
#include "support/StoreTestSupport.h"
#include "support/Waiting.h"

#include "app/store/ProjectStore.h"
#include "app/store/rescue/RescueCopy.h"
#include "app/store/SaveProblemText.h"
#include "app/store/UnsavedChangesGuard.h"
#include "core/RecordCoding.h"
#include "core/Storage.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <gtest/gtest.h>

#include <unistd.h>

namespace sorvel::test {
namespace {

constexpr int kPatience = 5000;
// What "at once" means on a busy machine (the test command runs every test
// program at once): still far below the hang, which lasts until the alarm.
constexpr int kPromptly = 5000;
// A child whose quit never ends is ended by this alarm, in seconds.
constexpr unsigned kChildAlarmS = 20;

QStringList rescueCopies(const QString& prefix) {
    return QDir(RescueCopy::folder()).entryList({prefix + QStringLiteral("*.json")}, QDir::Files, QDir::Name);
}

// A pipe whose reading end a write blocks on, as on a disk that stops
// answering (Storage::passedStep), until the test lets it go. Only in a child
// process, which may end with the write still stuck: the pipe stays open until
// the process ends. Closed as the test's objects go, it would let the stuck
// write land while the child ends, after the child's checks, and free the
// reading end's number while the write may still be about to read it.
class HungDisk {
public:
    HungDisk() {
        if (::pipe(m_fds) != 0)
            m_fds[0] = m_fds[1] = -1;
    }
    HungDisk(const HungDisk&) = delete;
    HungDisk& operator=(const HungDisk&) = delete;
    bool isReady() const { return m_fds[0] >= 0; }
    // The writes' file operations stop after the `step`th.
    void hangAfterStep(int step) {
        qputenv("SORVEL_HANG_AFTER_STEP", QByteArray::number(step));
        qputenv("SORVEL_HANG_FD", QByteArray::number(m_fds[0]));
    }
    // The disk answers again.
    void release() { ::close(std::exchange(m_fds[1], -1)); }

private:
    int m_fds[2] = {-1, -1};
};

class ProjectStoreHungDisk : public StoreFixture {
protected:
    AudioProject tape = manualTape();
};

// The disk stops answering in the middle of the quit's write: before the
// draft replaces the data file (its sync never ends), or after (the folder's
// sync never ends). The quit still ends within its two bounds (the wait for
// the write, the wait for the rescue copy), and so does the store as it goes
// away: nothing joins the stuck thread. What the quit kept counts once: before
// the rename the rescue copy holds the changes and the next start merges them;
// after it the file holds them, and no copy brings them again.
TEST_F(ProjectStoreHungDisk, AQuitEndsInTimeAndWhatItKeptCountsOnce) {
    constexpr int kBeforeTheRename = 2; // the draft made and written; its sync hangs
    // The draft renamed after both files and swapped with the file; the folder's sync hangs.
    constexpr int kAfterTheRename = 5;
    for (const int hangAfter : {kBeforeTheRename, kAfterTheRename}) {
        SCOPED_TRACE(hangAfter == kBeforeTheRename ? "hung before the rename" : "hung after the rename");
        QDir(RescueCopy::folder()).removeRecursively();
        writeDataFile({tape});
        expectInChild([&] {
            ::alarm(kChildAlarmS); // today's quit would wait for the disk for ever
            auto store = std::make_unique<ProjectStore>(disk, desktop.seams());
            ASSERT_TRUE(store->hasStarted());
            HungDisk disk;
            ASSERT_TRUE(disk.isReady());
            disk.hangAfterStep(hangAfter);
            store->stepProgress(tape.id, 0.1);
            store->update(tape.id, [](AudioProject& p) { p.notes = QStringLiteral("unsaved"); });
            std::optional<UnsavedChangesGuard::Question> asked;
            UnsavedChangesGuard guard(*store, [&](const UnsavedChangesGuard::Question& question) {
                asked = question;
                return UnsavedChangesGuard::Choice::QuitAnyway;
            });
            testing::internal::CaptureStderr();
            QElapsedTimer took;
            took.start();
            EXPECT_TRUE(guard.writeBeforeQuit());
            guard.writeAtExit();
            store.reset();
            const qint64 quitMs = took.elapsed();
            const std::string log = testing::internal::GetCapturedStderr();
            EXPECT_LT(quitMs, ProjectStore::quitWaitMs + DataFileSync::rescueWaitMs + kPromptly) << log;
            ASSERT_TRUE(asked);
            EXPECT_EQ(asked->problem.kind, SaveProblem::Kind::DiskNotAnswering);
            EXPECT_TRUE(UnsavedChangesGuard::details(*asked).contains(QStringLiteral("数据文件所在的磁盘没有响应")));
            if (hangAfter == kBeforeTheRename) {
                ASSERT_FALSE(asked->rescueFile.isEmpty()) << log;
                const std::optional<Library> rescued =
                    RecordCoding::decodeLibrary(readFile(asked->rescueFile), QDateTime::currentDateTimeUtc());
                ASSERT_TRUE(rescued);
                ASSERT_EQ(rescued->projects.size(), 1);
                EXPECT_EQ(rescued->projects.first().notes, QStringLiteral("unsaved"));
                EXPECT_DOUBLE_EQ(rescued->projects.first().manualProgress, 0.5);
            }
        });

        const QList<AudioProject> left = projectsInFile();
        ASSERT_EQ(left.size(), 1);
        if (hangAfter == kBeforeTheRename) {
            EXPECT_DOUBLE_EQ(left.first().manualProgress, 0.4) << "the write never replaced the file";
            // Kept for the next start: as made, or marked by the write at the
            // exit that carried it and never landed (the start merges it again).
            EXPECT_EQ(rescueCopies(QStringLiteral("projects-rescued-")).size()
                          + rescueCopies(QStringLiteral("projects-restoring-")).size(),
                      1);
        } else {
            EXPECT_DOUBLE_EQ(left.first().manualProgress, 0.5) << "the rename landed before the disk stopped";
            EXPECT_TRUE(rescueCopies(QStringLiteral("projects-rescued-")).isEmpty());
        }
        // The next start merges what was kept, once; the one after merges nothing.
        for (int start = 0; start < 2; ++start) {
            testing::internal::CaptureStderr();
            {
                ProjectStore next(disk, desktop.seams());
                ASSERT_TRUE(waitUntil([&] { return next.hasStarted(); }, kPatience));
            }
            testing::internal::GetCapturedStderr();
            const QList<AudioProject> inFile = projectsInFile();
            ASSERT_EQ(inFile.size(), 1);
            EXPECT_EQ(inFile.first().notes, QStringLiteral("unsaved"));
            EXPECT_DOUBLE_EQ(inFile.first().manualProgress, 0.5) << "the step once";
            EXPECT_TRUE(rescueCopies(QStringLiteral("projects-rescued-")).isEmpty());
        }
    }
}

// The disk answers again after the quit stopped waiting for the write and
// for its rescue copy: the write lands, and the copy is written after it, as
// the program ends before it takes that write in. The copy holds the steps of
// the write that landed too; they count once.
TEST_F(ProjectStoreHungDisk, ACopyKeptAfterTheStuckWriteLandedCountsItsStepsOnce) {
    constexpr int kBeforeItIsTakenIn = 5; // renamed and synced; the copies not told yet
    writeDataFile({tape});
    expectInChild([&] {
        ::alarm(kChildAlarmS);
        ProjectStore store(disk, desktop.seams());
        ASSERT_TRUE(store.hasStarted());
        HungDisk disk;
        ASSERT_TRUE(disk.isReady());
        disk.hangAfterStep(kBeforeItIsTakenIn);
        store.stepProgress(tape.id, 0.1);
        store.quit(0); // starts the write, which hangs
        store.stepProgress(tape.id, 0.1);
        store.update(tape.id, [](AudioProject& p) { p.notes = QStringLiteral("later"); });
        UnsavedChangesGuard guard(store, quitAnyway);
        testing::internal::CaptureStderr();
        EXPECT_FALSE(guard.writeBeforeSignalQuit());
        const std::string log = testing::internal::GetCapturedStderr();
        EXPECT_NE(log.find("no rescue copy could be written"), std::string::npos) << log;
        EXPECT_TRUE(rescueCopies(QStringLiteral("projects-rescued-")).isEmpty());
        disk.release();
        // The program ends once the copy is there, before its event loop
        // takes the landed write in (and the next write carries the copy).
        QElapsedTimer waited;
        waited.start();
        while (rescueCopies(QStringLiteral("projects-rescued-")).isEmpty() && waited.elapsed() < kPatience)
            QThread::msleep(5);
        EXPECT_EQ(rescueCopies(QStringLiteral("projects-rescued-")).size(), 1);
        std::fflush(nullptr);
        ::_exit(::testing::Test::HasFailure() ? 1 : 0);
    });
    EXPECT_DOUBLE_EQ(projectsInFile().first().manualProgress, 0.5) << "the write landed";

    testing::internal::CaptureStderr();
    {
        ProjectStore next(disk, desktop.seams());
        ASSERT_TRUE(waitUntil([&] { return next.hasStarted(); }, kPatience));
    }
    testing::internal::GetCapturedStderr();
    const AudioProject inFile = projectsInFile().first();
    EXPECT_EQ(inFile.notes, QStringLiteral("later"));
    EXPECT_DOUBLE_EQ(inFile.manualProgress, 0.6) << "each step once";
    EXPECT_TRUE(rescueCopies(QStringLiteral("projects-rescued-")).isEmpty());
}

} // namespace
} // namespace sorvel::test
