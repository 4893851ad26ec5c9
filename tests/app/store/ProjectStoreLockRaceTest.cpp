#include "support/StoreTestSupport.h"

#include "app/store/ProjectStore.h"
#include "app/store/RescueCopy.h"
#include "app/store/UnsavedChangesGuard.h"
#include "core/RecordCoding.h"
#include "core/Storage.h"
#include "support/FolderHolder.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <dlfcn.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

// Runs before every flock of this test program, when set: where another
// program takes the data folder between two steps of the store.
std::atomic<void (*)()> beforeEachFlock = nullptr;

extern "C" int flock(int fd, int operation) noexcept {
    if (void (*hook)() = beforeEachFlock.load())
        hook();
    return int(::syscall(SYS_flock, fd, operation));
}

namespace sorvel::test {
namespace {

// The longest another program holds the folder here. A store that waited for
// it without limit would return only after it has let go.
constexpr int kLongestHoldMs = 4 * ProjectStore::quitWaitMs + 2000;

// Sends the interloper in just before the n-th flock from now.
struct Ambush {
    static inline FolderHolder* interloper = nullptr;
    static inline std::atomic<int> countdown = 0;

    Ambush(FolderHolder& who, int nthFlock) {
        interloper = &who;
        countdown = nthFlock;
        beforeEachFlock = [] {
            if (--countdown == 0)
                interloper->takeTheFolder();
        };
    }
    ~Ambush() {
        beforeEachFlock = nullptr;
        interloper = nullptr;
    }
};

class ProjectStoreLockRace : public StoreFixture {
protected:
    static bool rescueCopyHolds(const QString& text) {
        const QDir folder(RescueCopy::folder());
        for (const QString& name : folder.entryList(QDir::Files)) {
            if (readFile(folder.filePath(name)).contains(text.toUtf8()))
                return true;
        }
        return false;
    }

    AudioProject kept = AudioProject::make(QStringLiteral("Kept"), ProjectType::musicID);
};

// However the steps of a start fall around another program taking the folder,
// the start returns while that program holds it, and the file's projects show
// once it lets go.
TEST_F(ProjectStoreLockRace, AStartNeverWaitsForAFolderTakenBetweenItsSteps) {
    writeDataFile({kept});
    for (int nth = 1; nth <= 4; ++nth) {
        SCOPED_TRACE(nth);
        FolderHolder interloper(environment.dataFolder(), kLongestHoldMs);
        std::optional<ProjectStore> store;
        {
            const Ambush ambush(interloper, nth);
            store.emplace(disk, desktop.seams());
            EXPECT_FALSE(interloper.hasEnded()) << "the start waited for the other program to let go";
            // Whatever the worker does next happens without the ambush.
            if (interloper.isHolding()) {
                ASSERT_TRUE(waitUntil([&] { return store->isWaitingForFolder(); }, kLongestHoldMs));
            }
        }
        interloper.letGo();
        ASSERT_TRUE(waitUntil([&] { return store->hasStarted(); }, kLongestHoldMs));
        EXPECT_EQ(store->projects(), QList<AudioProject>{kept});
    }
}

// A quit, asked or by a signal, returns while another program that took the
// folder between two steps of the write still holds it; the change lands
// once the folder is free, and was kept in a rescue copy meanwhile.
TEST_F(ProjectStoreLockRace, AQuitNeverWaitsForAFolderTakenBetweenItsSteps) {
    writeDataFile({kept});
    for (const bool bySignal : {false, true}) {
        for (int nth = 1; nth <= 3; ++nth) {
            SCOPED_TRACE(testing::Message() << (bySignal ? "signal, " : "asked, ") << nth);
            ProjectStore store(disk, desktop.seams());
            ASSERT_TRUE(store.hasStarted());
            const QString notes = QStringLiteral("unsaved %1 %2").arg(bySignal).arg(nth);
            store.update(kept.id, [&](AudioProject& p) { p.notes = notes; });
            UnsavedChangesGuard guard(store, quitAnyway);

            FolderHolder interloper(environment.dataFolder(), kLongestHoldMs);
            testing::internal::CaptureStderr();
            {
                const Ambush ambush(interloper, nth);
                if (bySignal)
                    guard.writeBeforeSignalQuit();
                else
                    guard.writeBeforeQuit();
                EXPECT_FALSE(interloper.hasEnded()) << "the quit waited for the other program to let go";
            }
            testing::internal::GetCapturedStderr();
            if (interloper.isHolding()) {
                EXPECT_TRUE(store.isDirty());
                EXPECT_TRUE(rescueCopyHolds(notes));
            }
            interloper.letGo();
            ASSERT_TRUE(waitUntil([&] { return !store.isDirty(); }, kLongestHoldMs));
            EXPECT_EQ(projectsInFile().first().notes, notes);
        }
    }
}

// While a quit waits, the other program lets go of the folder late, the
// pending read takes it, and a second program takes it before the write.
struct LateHandover {
    static inline FolderHolder* first = nullptr;
    static inline FolderHolder* second = nullptr;
    static inline QElapsedTimer sinceQuit;
    static inline std::atomic<int> step = 0;
    static constexpr int lateMs = 3 * ProjectStore::quitWaitMs / 4;

    LateHandover(FolderHolder& one, FolderHolder& two) {
        first = &one;
        second = &two;
        step = 0;
        sinceQuit.start();
        beforeEachFlock = [] {
            if (step == 0 && sinceQuit.elapsed() >= lateMs) {
                first->release(); // this try, the read's, finds the folder free
                step = 1;
            } else if (step == 1) {
                second->takeTheFolder(); // before the write's try
                step = 2;
            }
        };
    }
    ~LateHandover() { beforeEachFlock = nullptr; }
};

// A quit with something to write waits for the folder once, in all: the
// time a read took to get the folder is not given to the write after it a
// second time, nor to the write as the program exits.
TEST_F(ProjectStoreLockRace, AQuitWaitsForTheFolderOnceThroughAReadAndTheWriteAfterIt) {
    writeDataFile({kept});
    ProjectStore store(disk, desktop.seams());
    ASSERT_TRUE(store.hasStarted());
    // The second first: the first one's child then holds no end of the
    // second's pipe, and the second lets go once told to.
    FolderHolder second(environment.dataFolder(), kLongestHoldMs);
    FolderHolder first(environment.dataFolder(), kLongestHoldMs);
    first.takeTheFolder();
    ASSERT_TRUE(first.isHolding());
    // The other program's work in the folder starts a read, which waits for it.
    QFile draft(environment.dataFolder() + QStringLiteral("/projects.json.other-program"));
    ASSERT_TRUE(draft.open(QIODevice::WriteOnly));
    draft.close();
    ASSERT_TRUE(waitUntil([&] { return store.isWaitingForFolder(); }, kLongestHoldMs));
    store.update(kept.id, [](AudioProject& p) { p.notes = QStringLiteral("unsaved"); });

    UnsavedChangesGuard guard(store, quitAnyway);
    testing::internal::CaptureStderr();
    QElapsedTimer took;
    {
        const LateHandover handover(first, second);
        took.start();
        EXPECT_TRUE(guard.writeBeforeQuit());
        guard.writeAtExit();
        EXPECT_EQ(LateHandover::step, 2) << "the read and the write did not meet the two programs as planned";
    }
    const qint64 quitMs = took.elapsed();
    testing::internal::GetCapturedStderr();
    EXPECT_TRUE(store.isDirty());
    EXPECT_LT(quitMs, ProjectStore::quitWaitMs + LateHandover::lateMs / 2) << "the quit waited for the folder twice";
    EXPECT_EQ(store.activity().folderWaits, 1);

    second.letGo();
    ASSERT_TRUE(waitUntil([&] { return !store.isDirty(); }, kLongestHoldMs));
    EXPECT_EQ(projectsInFile().first().notes, QStringLiteral("unsaved"));
}

} // namespace
} // namespace sorvel::test
