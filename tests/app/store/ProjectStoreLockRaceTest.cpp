#include "support/StoreTestSupport.h"

#include "app/store/ProjectStore.h"
#include "app/store/RescueCopy.h"
#include "app/store/UnsavedChangesGuard.h"
#include "core/RecordCoding.h"
#include "core/Storage.h"

#include <QDir>
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

// Another program, started beforehand, that takes the data folder's
// exclusive lock when told to and holds it until told to let go.
class Interloper {
public:
    explicit Interloper(const QString& folder) {
        QDir().mkpath(folder);
        int toChild[2];
        int fromChild[2];
        if (::pipe(toChild) != 0 || ::pipe(fromChild) != 0)
            return;
        const QByteArray path = QFile::encodeName(folder);
        std::fflush(nullptr);
        m_child = ::fork();
        if (m_child == 0) {
            ::close(toChild[1]);
            ::close(fromChild[0]);
            char order = 0;
            if (::read(toChild[0], &order, 1) != 1)
                ::_exit(0);
            const int fd = ::open(path.constData(), O_RDONLY | O_DIRECTORY);
            const char held = fd >= 0 && ::syscall(SYS_flock, fd, LOCK_EX) == 0 ? 1 : 0;
            [[maybe_unused]] const ssize_t told = ::write(fromChild[1], &held, 1);
            pollfd letGo{toChild[0], POLLIN, 0};
            ::poll(&letGo, 1, kLongestHoldMs);
            ::_exit(0);
        }
        ::close(toChild[0]);
        ::close(fromChild[1]);
        m_orders = toChild[1];
        m_answers = fromChild[0];
    }
    ~Interloper() {
        letGo();
        if (m_child > 0)
            ::waitpid(m_child, nullptr, 0);
        if (m_answers >= 0)
            ::close(m_answers);
    }

    // Takes the folder now; returns once it holds it.
    void takeTheFolder() {
        const char order = 1;
        char held = 0;
        m_holding = ::write(m_orders, &order, 1) == 1 && ::read(m_answers, &held, 1) == 1 && held == 1;
    }
    bool isHolding() const { return m_holding; }
    // Whether it has ended on its own (only after holding the longest time).
    bool hasEnded() {
        if (!m_ended && m_child > 0 && ::waitpid(m_child, nullptr, WNOHANG) == m_child)
            m_ended = true;
        return m_ended;
    }
    void letGo() {
        if (m_orders >= 0)
            ::close(std::exchange(m_orders, -1));
    }

private:
    pid_t m_child = -1;
    int m_orders = -1;
    int m_answers = -1;
    bool m_holding = false;
    bool m_ended = false;
};

// Sends the interloper in just before the n-th flock from now.
struct Ambush {
    static inline Interloper* interloper = nullptr;
    static inline std::atomic<int> countdown = 0;

    Ambush(Interloper& who, int nthFlock) {
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
        Interloper interloper(environment.dataFolder());
        std::optional<ProjectStore> store;
        {
            const Ambush ambush(interloper, nth);
            store.emplace(desktop.seams());
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
            ProjectStore store(desktop.seams());
            ASSERT_TRUE(store.hasStarted());
            const QString notes = QStringLiteral("unsaved %1 %2").arg(bySignal).arg(nth);
            store.update(kept.id, [&](AudioProject& p) { p.notes = notes; });
            UnsavedChangesGuard guard(
                store, [](const UnsavedChangesGuard::Question&) { return UnsavedChangesGuard::Choice::QuitAnyway; });

            Interloper interloper(environment.dataFolder());
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

} // namespace
} // namespace sorvel::test
