#include "support/StoreTestSupport.h"

#include "app/store/FileStampPoller.h"
#include "app/store/ProjectStore.h"
#include "app/store/SaveProblemText.h"
#include "core/RecordCoding.h"
#include "core/RegularFile.h"
#include "core/Storage.h"
#include "support/ChildProcess.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <gtest/gtest.h>

#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace sorvel::test {
namespace {

// Generous bounds: the machine may be loaded, but a missing write is never "slow".
constexpr int kPatience = 5000;

class ProjectStoreSaving : public ::testing::Test {
protected:
    TestEnvironment environment;
    PosixFileSystem disk;
    FakeDesktop desktop;

    QString dataFile() const { return environment.dataFolder() + QStringLiteral("/projects.json"); }
    QStringList asideCopies() const {
        return QDir(environment.dataFolder())
            .entryList({QStringLiteral("projects-unreadable-*.json")}, QDir::AllEntries | QDir::System);
    }
    // A link into a folder that does not exist: a write has nowhere to go.
    void breakDataFile() {
        ASSERT_TRUE(QDir().mkpath(environment.dataFolder()));
        ASSERT_TRUE(QFile::link(environment.scratch() + QStringLiteral("/gone/projects.json"), dataFile()));
    }
};

TEST_F(ProjectStoreSaving, FirstStartHoldsDefaultsAndWritesNothingUntilAChange) {
    ProjectStore store(disk, desktop.seams());
    EXPECT_TRUE(store.projects().isEmpty());
    EXPECT_EQ(store.registry().types(), ProjectType::defaults());
    EXPECT_TRUE(store.isWatching());
    store.saveNow();
    ASSERT_TRUE(waitUntilIdle(store));
    EXPECT_FALSE(QFileInfo::exists(dataFile()));
    EXPECT_EQ(store.activity().writes, 0);
    EXPECT_EQ(desktop.reloads, 0);
}

// The widget may have drawn the file before the application started, and
// another program changed it since: the first read tells the widget too.
TEST_F(ProjectStoreSaving, AStartThatReadsProjectsTellsTheWidgetToReadAgain) {
    writeDataFile({AudioProject::make(QStringLiteral("Tape"), ProjectType::musicID)});
    ProjectStore store(disk, desktop.seams());
    ASSERT_TRUE(waitUntil([&] { return store.hasStarted(); }, kPatience));
    ASSERT_TRUE(waitUntilIdle(store));
    EXPECT_EQ(store.projects().size(), 1);
    EXPECT_EQ(desktop.reloads, 1);
}

TEST_F(ProjectStoreSaving, BurstOfChangesIsWrittenOnceAfterTheLastChange) {
    const AudioProject tape = AudioProject::make(QStringLiteral("Tape"), ProjectType::musicID);
    writeDataFile({tape});
    ProjectStore store(disk, desktop.seams());

    QElapsedTimer clock;
    QList<qint64> writeTimes;
    QList<int> writtenChanges; // which change of the burst each write carried
    QObject::connect(&store, &ProjectStore::saveFinished, [&](bool written) {
        EXPECT_TRUE(written);
        writeTimes << clock.elapsed();
        writtenChanges << projectsInFile().first().notes.toInt();
    });
    clock.start();
    QList<qint64> changeTimes;
    QDateTime lastChange;
    constexpr int typingPaceMs = 100; // well inside the save delay
    for (int i = 0; i < 10; ++i) {
        if (i > 0)
            waitUntil([&] { return clock.elapsed() >= changeTimes.last() + typingPaceMs; }, kPatience);
        store.update(tape.id, [i](AudioProject& p) { p.notes = QString::number(i); });
        changeTimes << clock.elapsed();
        lastChange = QDateTime::currentDateTimeUtc();
    }
    ASSERT_TRUE(waitUntil([&] { return !store.isDirty(); }, kPatience));
    ASSERT_TRUE(waitUntilIdle(store)); // nothing more may follow

    // A write that carried change k started after it and before change k + 1:
    // only a pause of the full delay after change k (a stalled machine) allows it.
    ASSERT_FALSE(writeTimes.isEmpty());
    EXPECT_EQ(writtenChanges.last(), 9);
    for (int i = 0; i + 1 < writtenChanges.size(); ++i) {
        const int k = writtenChanges.at(i);
        ASSERT_LT(k, 9);
        EXPECT_GE(changeTimes.at(k + 1) - changeTimes.at(k), ProjectStore::saveDelayMs - 5)
            << "change " << k << " was written before the burst paused";
    }
    const qint64 delay = writeTimes.last() - changeTimes.last();
    EXPECT_GE(delay, ProjectStore::saveDelayMs - 5);

    EXPECT_EQ(projectsInFile().first().notes, QStringLiteral("9"));
    EXPECT_GE(lastChange.msecsTo(QFileInfo(dataFile()).lastModified().toUTC()), ProjectStore::saveDelayMs - 50);
    EXPECT_EQ(store.activity().writes, writeTimes.size());
    EXPECT_EQ(desktop.reloads, 1 + writeTimes.size()) << "the start's read, then each write";
}

TEST_F(ProjectStoreSaving, FlushWritesAPendingChangeAtOnceAndOnlyOnce) {
    ProjectStore store(disk, desktop.seams());
    const AudioProject tape = AudioProject::make(QStringLiteral("Tape"), ProjectType::sfxID);
    store.addProject(tape);
    EXPECT_TRUE(store.isDirty());
    EXPECT_FALSE(QFileInfo::exists(dataFile()));

    store.saveNow();
    EXPECT_FALSE(store.isDirty());
    EXPECT_EQ(projectsInFile(), QList<AudioProject>{tape});
    EXPECT_EQ(desktop.reloads, 1);

    ASSERT_TRUE(waitUntilIdle(store)); // the cancelled debounce must not write again
    store.saveNow();
    EXPECT_EQ(store.activity().writes, 1);
    EXPECT_EQ(desktop.reloads, 1);
}

TEST_F(ProjectStoreSaving, OwnWriteIsNotReadBackDuringTheEchoWindow) {
    const AudioProject tape = projectWithCue(QStringLiteral("Tape"));
    writeDataFile({tape});
    ProjectStore store(disk, desktop.seams());
    int changes = 0;
    QObject::connect(&store, &ProjectStore::projectsChanged, [&] { ++changes; });

    QElapsedTimer sinceWrite;
    QObject::connect(&store, &ProjectStore::saveFinished, [&] { sinceWrite.start(); });
    store.advanceCue(tape.id, tape.items.first().id);
    ASSERT_EQ(changes, 1);
    ASSERT_TRUE(waitUntil([&] { return store.activity().writes == 1; }, kPatience));

    // Until the write's own folder event has come and all it causes is done;
    // a read seen before the window has passed was made inside it.
    qint64 firstReadSeenAt = -1;
    ASSERT_TRUE(waitUntil(
        [&] {
            if (firstReadSeenAt < 0 && store.activity().reloadReads > 0)
                firstReadSeenAt = sinceWrite.elapsed();
            return store.activity().folderEvents > 0 && store.isIdle();
        },
        kPatience + ProjectStore::echoWindowMs));
    if (firstReadSeenAt >= 0) {
        EXPECT_GE(firstReadSeenAt, ProjectStore::echoWindowMs) << "the store's own write was read back";
    }
    // At most the one look at the file when the window closes; it finds what the store wrote.
    EXPECT_LE(store.activity().reloadReads, 1);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(store.project(tape.id)->items.first().stage, CueStage::Composing);
    EXPECT_EQ(store.activity().writes, 1);
}

TEST_F(ProjectStoreSaving, ChangeOfAnotherProgramAppearsAndAnIdenticalRewriteChangesNothing) {
    const AudioProject tape = projectWithCue(QStringLiteral("Tape"));
    writeDataFile({tape});
    ProjectStore store(disk, desktop.seams());
    const int reloadsAtStart = desktop.reloads;
    int changes = 0;
    QObject::connect(&store, &ProjectStore::projectsChanged, [&] { ++changes; });

    // The widget's intent: one coordinated read, change and write.
    ASSERT_TRUE(
        Storage::mutate(disk, [&](Library& library) { library.projects.first().advanceCue(tape.items.first().id); }));
    ASSERT_TRUE(
        waitUntil([&] { return store.project(tape.id)->items.first().stage == CueStage::Composing; }, kPatience));
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(store.projects(), projectsInFile());
    EXPECT_FALSE(store.isDirty());
    EXPECT_EQ(desktop.reloads, reloadsAtStart + 1) << "the widget is told to read the changed file";

    const int readsBefore = store.activity().reloadReads;
    writeDataFile(store.projects());
    ASSERT_TRUE(waitUntil([&] { return store.activity().reloadReads > readsBefore; }, kPatience));
    ASSERT_TRUE(waitUntilIdle(store));
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(store.activity().writes, 0) << "a reload must never write";
    EXPECT_EQ(desktop.reloads, reloadsAtStart + 1) << "nothing changed for the widget";
}

// An outside program that truncates the file and writes it again in place
// (a shell's `>`, some editors) changes no entry of the folder; its change
// still appears, and again after the store's own write replaced the file.
TEST_F(ProjectStoreSaving, ChangeWrittenInPlaceByAnotherProgramAppears) {
    const AudioProject tape = projectWithCue(QStringLiteral("Tape"));
    writeDataFile({tape});
    ProjectStore store(disk, desktop.seams());
    ASSERT_TRUE(store.hasStarted());
    const auto rewriteInPlace = [&](const QString& name) {
        AudioProject renamed = *store.project(tape.id);
        renamed.name = name;
        const QByteArray bytes = RecordCoding::encodeLibrary(Library{{renamed}, ProjectType::defaults()});
        runInAnotherProgram([&] {
            QFile file(Storage::filePath());
            if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
                ::_exit(1);
        });
    };

    rewriteInPlace(QStringLiteral("Rewritten in place"));
    ASSERT_TRUE(
        waitUntil([&] { return store.project(tape.id)->name == QStringLiteral("Rewritten in place"); }, kPatience));

    store.update(tape.id, [](AudioProject& p) { p.notes = QStringLiteral("mine"); });
    ASSERT_TRUE(waitUntil([&] { return store.activity().writes == 1 && !store.isDirty(); }, kPatience));
    rewriteInPlace(QStringLiteral("Rewritten again"));
    ASSERT_TRUE(
        waitUntil([&] { return store.project(tape.id)->name == QStringLiteral("Rewritten again"); }, kPatience));
    EXPECT_EQ(store.project(tape.id)->notes, QStringLiteral("mine"));
}

// Another program that rewrites the data file in place, slowly: it truncates
// the file and writes the first half of `bytes`, waits for goOn(), pauses as a
// slow writer does (cut short when the file it writes is replaced meanwhile,
// as a write of the application's replaces it) and writes the rest.
class SlowWriterInPlace {
public:
    explicit SlowWriterInPlace(const QByteArray& bytes) {
        const QByteArray path = QFile::encodeName(Storage::filePath());
        if (::pipe(m_goOn) != 0)
            return;
        std::fflush(nullptr);
        m_child = ::fork();
        if (m_child == 0)
            ::_exit(rewrite(path, bytes));
        ::close(m_goOn[0]);
    }
    ~SlowWriterInPlace() {
        ::close(m_goOn[1]);
        if (m_child > 0 && !m_ended)
            ::waitpid(m_child, nullptr, 0);
    }
    SlowWriterInPlace(const SlowWriterInPlace&) = delete;
    SlowWriterInPlace& operator=(const SlowWriterInPlace&) = delete;

    bool goOn() const { return ::write(m_goOn[1], "g", 1) == 1; }
    // Whether it has ended, having written all of its bytes.
    bool hasFinished() {
        int status = 0;
        if (!m_ended && m_child > 0 && ::waitpid(m_child, &status, WNOHANG) == m_child) {
            m_ended = true;
            m_finished = WIFEXITED(status) && WEXITSTATUS(status) == 0;
        }
        return m_finished;
    }

private:
    static constexpr int pauseSteps = 100; // of 10 ms: a second

    int rewrite(const QByteArray& path, const QByteArray& bytes) const {
        PosixFileSystem disk;
        ::close(m_goOn[1]);
        const int fd = ::open(path.constData(), O_WRONLY | O_TRUNC | O_CLOEXEC);
        const qsizetype half = bytes.size() / 2;
        if (fd < 0 || !RegularFile::writeAll(disk, fd, bytes.constData(), half))
            return 1;
        char word = 0;
        if (::read(m_goOn[0], &word, 1) != 1)
            return 2;
        struct stat written {};
        ::fstat(fd, &written);
        for (int step = 0; step < pauseSteps; ++step) {
            struct stat named {};
            if (::stat(path.constData(), &named) != 0 || named.st_ino != written.st_ino)
                break;
            ::usleep(10000);
        }
        return RegularFile::writeAll(disk, fd, bytes.constData() + half, bytes.size() - half) && ::close(fd) == 0 ? 0
                                                                                                                  : 3;
    }

    int m_goOn[2] = {-1, -1};
    pid_t m_child = -1;
    bool m_ended = false;
    bool m_finished = false;
};

// A program (an editor, a script) rewrites the file in place and pauses
// halfway. The application reads the half file, but writes nothing over the
// file while it may still be changing (nor keeps a copy of it): the finished
// file is read as usual, and an edit made meanwhile is merged onto it.
TEST_F(ProjectStoreSaving, AFileRewrittenInPlaceWithAPauseIsReadWhenFinishedNotWrittenOver) {
    const AudioProject tape = projectWithCue(QStringLiteral("Tape"));
    writeDataFile({tape});
    ProjectStore store(disk, desktop.seams());
    ASSERT_TRUE(waitUntilIdle(store));
    const auto rewrite = [&](const AudioProject& added, const std::function<void()>& whileHalfWritten) {
        QList<AudioProject> projects = projectsInFile();
        projects.prepend(added);
        SlowWriterInPlace writer(RecordCoding::encodeLibrary(Library{projects, ProjectType::defaults()}));
        ASSERT_TRUE(
            waitUntil([&] { return store.saveProblem().kind == SaveProblem::Kind::FileChangedUndecodable; }, kPatience))
            << "the half file was read";
        whileHalfWritten();
        ASSERT_TRUE(writer.goOn());
        ASSERT_TRUE(waitUntil([&] { return writer.hasFinished(); }, kPatience));
        ASSERT_TRUE(waitUntil([&] { return store.project(added.id) != nullptr; }, 2 * kPatience));
        ASSERT_TRUE(waitUntilIdle(store));
        EXPECT_EQ(projectsInFile(), store.projects());
    };

    const AudioProject first = AudioProject::make(QStringLiteral("Written in place"), ProjectType::musicID);
    rewrite(first, [] {});
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_EQ(store.projects().size(), 2);
    EXPECT_EQ(store.activity().writes, 0) << "nothing was written over the other program's file";
    EXPECT_TRUE(store.saveProblem().isEmpty());
    EXPECT_TRUE(asideCopies().isEmpty()) << "reads keep no copy";

    const AudioProject second = AudioProject::make(QStringLiteral("Written in place again"), ProjectType::musicID);
    rewrite(second, [&] { store.update(tape.id, [](AudioProject& p) { p.notes = QStringLiteral("mine"); }); });
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_EQ(store.projects().size(), 3);
    EXPECT_EQ(store.project(first.id)->name, first.name);
    EXPECT_EQ(store.project(tape.id)->notes, QStringLiteral("mine"));
    EXPECT_FALSE(store.isDirty());
}

// A program that rewrites the file in place and stops halfway, for longer
// than the store waits for a file to settle or for good: the idle application
// writes nothing over it, nor keeps a copy of it at each read. The shelf keeps
// what it showed and the banner says that the bytes will be kept before any
// write; the finished file is read as usual, and only a change of the user's
// writes over a file that stays half written, after keeping its bytes once,
// in the copy the banner then names.
TEST_F(ProjectStoreSaving, AFileLeftHalfWrittenIsNeverWrittenOverByTheIdleApplication) {
    const AudioProject tape = projectWithCue(QStringLiteral("Tape"));
    writeDataFile({tape});
    ProjectStore store(disk, desktop.seams());
    ASSERT_TRUE(waitUntilIdle(store));
    const auto halfWrittenBy = [&](const AudioProject& added) {
        QList<AudioProject> projects = projectsInFile();
        projects.prepend(added);
        return RecordCoding::encodeLibrary(Library{projects, ProjectType::defaults()});
    };
    const auto halfFileRead = [&](const QByteArray& bytes) {
        return store.saveProblem().kind == SaveProblem::Kind::FileChangedUndecodable
            && readFile(dataFile()) == bytes.left(bytes.size() / 2);
    };
    const auto expectHalfFileKept = [&](const QByteArray& bytes, const QList<AudioProject>& shown) {
        const QByteArray half = bytes.left(bytes.size() / 2);
        EXPECT_EQ(readFile(dataFile()), half) << "the idle application wrote over the other program's file";
        EXPECT_EQ(store.activity().writes, 0);
        EXPECT_EQ(store.projects(), shown) << "the shelf keeps what it showed";
        ASSERT_EQ(store.saveProblem().kind, SaveProblem::Kind::FileChangedUndecodable);
        EXPECT_TRUE(asideCopies().isEmpty()) << "kept only by a write over it";
        EXPECT_TRUE(SaveProblemText::forBanner(store.saveProblem(), false).contains(QStringLiteral("另存")));
    };

    const AudioProject finished = AudioProject::make(QStringLiteral("Finished later"), ProjectType::musicID);
    const QByteArray finishedBytes = halfWrittenBy(finished);
    {
        SlowWriterInPlace writer(finishedBytes);
        ASSERT_TRUE(waitUntil([&] { return halfFileRead(finishedBytes); }, kPatience)) << "the half file was read";
        // Past the time a file is given to settle, with nothing of the user's unsaved.
        ASSERT_TRUE(waitUntilIdle(store));
        expectHalfFileKept(finishedBytes, {tape});
        ASSERT_FALSE(HasFatalFailure());

        ASSERT_TRUE(writer.goOn());
        ASSERT_TRUE(waitUntil([&] { return writer.hasFinished(); }, kPatience));
        ASSERT_TRUE(waitUntil([&] { return store.project(finished.id) != nullptr; }, kPatience));
        ASSERT_TRUE(waitUntilIdle(store));
        EXPECT_EQ(readFile(dataFile()), finishedBytes);
        EXPECT_TRUE(store.saveProblem().isEmpty());
        EXPECT_EQ(store.activity().writes, 0);
    }

    // A writer that never finishes: still nothing is written until the user changes something.
    const QByteArray neverFinished = halfWrittenBy(AudioProject::make(QStringLiteral("Never"), ProjectType::musicID));
    const QList<AudioProject> shown = store.projects();
    SlowWriterInPlace stuck(neverFinished);
    ASSERT_TRUE(waitUntil([&] { return halfFileRead(neverFinished); }, kPatience));
    ASSERT_TRUE(waitUntilIdle(store));
    expectHalfFileKept(neverFinished, shown);
    ASSERT_FALSE(HasFatalFailure());

    store.update(tape.id, [](AudioProject& p) { p.notes = QStringLiteral("mine"); });
    ASSERT_TRUE(waitUntil([&] { return !store.isDirty(); }, kPatience + ProjectStore::undecodableQuietMs));
    EXPECT_EQ(store.activity().writes, 1);
    EXPECT_EQ(projectsInFile(), store.projects());
    EXPECT_EQ(store.projects().size(), 2);
    EXPECT_EQ(store.project(tape.id)->notes, QStringLiteral("mine"));
    ASSERT_EQ(store.saveProblem().kind, SaveProblem::Kind::UndecodableKeptAside);
    const QString copy = store.saveProblem().error.context;
    EXPECT_EQ(asideCopies(), QStringList{QFileInfo(copy).fileName()}) << "one copy, however often it was read";
    EXPECT_EQ(readFile(copy), neverFinished.left(neverFinished.size() / 2)) << "its bytes are kept";
    EXPECT_TRUE(SaveProblemText::forBanner(store.saveProblem(), false).contains(copy));
    ASSERT_TRUE(stuck.goOn());
}

// Another program that rewrites the data file in place without the lock, in
// `pieces` with `pauseMs` between them (shorter than the quiet the store waits
// for), as a slow editor or a copy over the network does. It ends with status
// 0 when every piece went into the file that is still the data file, and 4
// when the file was replaced under it, its later pieces lost.
class PiecewiseWriterInPlace {
public:
    PiecewiseWriterInPlace(const QByteArray& bytes, int pieces, int pauseMs) {
        const QByteArray path = QFile::encodeName(Storage::filePath());
        std::fflush(nullptr);
        m_child = ::fork();
        if (m_child == 0)
            ::_exit(rewrite(path, bytes, pieces, pauseMs));
    }
    ~PiecewiseWriterInPlace() { ended(); }
    PiecewiseWriterInPlace(const PiecewiseWriterInPlace&) = delete;
    PiecewiseWriterInPlace& operator=(const PiecewiseWriterInPlace&) = delete;

    bool hasEnded() {
        int status = 0;
        if (m_status < 0 && m_child > 0 && ::waitpid(m_child, &status, WNOHANG) == m_child)
            m_status = WIFEXITED(status) ? WEXITSTATUS(status) : 100;
        return m_status >= 0;
    }
    int ended() {
        int status = 0;
        if (m_status < 0 && m_child > 0 && ::waitpid(m_child, &status, 0) == m_child)
            m_status = WIFEXITED(status) ? WEXITSTATUS(status) : 100;
        return m_status;
    }

private:
    static int rewrite(const QByteArray& path, const QByteArray& bytes, int pieces, int pauseMs) {
        PosixFileSystem disk;
        const int fd = ::open(path.constData(), O_WRONLY | O_TRUNC | O_CLOEXEC);
        struct stat written {};
        if (fd < 0 || ::fstat(fd, &written) != 0)
            return 1;
        for (int piece = 0; piece < pieces; ++piece) {
            if (piece > 0)
                ::usleep(useconds_t(pauseMs) * 1000);
            const qsizetype from = bytes.size() * piece / pieces;
            const qsizetype to = bytes.size() * (piece + 1) / pieces;
            if (!RegularFile::writeAll(disk, fd, bytes.constData() + from, to - from))
                return 2;
        }
        struct stat named {};
        if (::close(fd) != 0 || ::stat(path.constData(), &named) != 0)
            return 3;
        return named.st_ino == written.st_ino ? 0 : 4;
    }

    pid_t m_child = -1;
    int m_status = -1;
};

// A change of the user's made while another program rewrites the file in
// place is written only once that program has finished (the file still for
// the quiet), merged with all it wrote: whether the change came while the
// store knew the file was changing, or right after the store's own write,
// within the echo window, where it reads nothing. Meanwhile the banner says
// the change waits, and why.
TEST_F(ProjectStoreSaving, AChangeWaitsWhileAnotherProgramRewritesTheFileInPlace) {
    const AudioProject tape = projectWithCue(QStringLiteral("Tape"));
    writeDataFile({tape});
    ProjectStore store(disk, desktop.seams());
    ASSERT_TRUE(waitUntilIdle(store));
    const auto withAdded = [&](const AudioProject& added) {
        QList<AudioProject> projects = projectsInFile();
        projects.prepend(added);
        return RecordCoding::encodeLibrary(Library{projects, ProjectType::defaults()});
    };
    const auto expectBothLanded = [&](PiecewiseWriterInPlace& writer, const AudioProject& theirs, const QString& mine,
                                      int writesBefore) {
        ASSERT_TRUE(
            waitUntil([&] { return store.saveProblem().kind == SaveProblem::Kind::WaitingForQuiet; }, kPatience))
            << "the banner says the change waits";
        EXPECT_EQ(store.activity().writes, writesBefore) << "written while the other program was writing";
        const QString banner = SaveProblemText::forBanner(store.saveProblem(), false);
        EXPECT_TRUE(banner.contains(QStringLiteral("另一个程序改写")) && banner.contains(QStringLiteral("两秒")))
            << banner.toStdString();
        ASSERT_TRUE(waitUntil([&] { return writer.hasEnded(); }, 3 * kPatience));
        EXPECT_EQ(writer.ended(), 0) << "the file was replaced while the other program wrote it";
        ASSERT_TRUE(waitUntil([&] { return !store.isDirty(); }, kPatience + ProjectStore::undecodableQuietMs));
        ASSERT_TRUE(waitUntilIdle(store));
        EXPECT_EQ(store.activity().writes, writesBefore + 1);
        ASSERT_NE(store.project(theirs.id), nullptr) << "the other program's change is lost";
        EXPECT_EQ(store.project(tape.id)->notes, mine);
        EXPECT_EQ(projectsInFile(), store.projects());
        EXPECT_TRUE(store.saveProblem().isEmpty());
    };

    // The store has seen the file stop decoding when the user changes something.
    const AudioProject first = AudioProject::make(QStringLiteral("Written in place"), ProjectType::musicID);
    {
        PiecewiseWriterInPlace writer(withAdded(first), 6, 500);
        ASSERT_TRUE(waitUntil([&] { return store.saveProblem().kind == SaveProblem::Kind::FileChangedUndecodable; },
                              kPatience));
        store.update(tape.id, [](AudioProject& p) { p.notes = QStringLiteral("mine"); });
        expectBothLanded(writer, first, QStringLiteral("mine"), 0);
    }
    ASSERT_FALSE(HasFatalFailure());

    // The other program starts right after the store's own write: the change
    // made then finds the file changing under the lock.
    store.update(tape.id, [](AudioProject& p) { p.notes = QStringLiteral("mine again"); });
    ASSERT_TRUE(waitUntil([&] { return store.activity().writes == 2 && !store.isDirty(); }, kPatience));
    const AudioProject second = AudioProject::make(QStringLiteral("Written in place again"), ProjectType::musicID);
    PiecewiseWriterInPlace writer(withAdded(second), 6, 500);
    store.update(tape.id, [](AudioProject& p) { p.notes = QStringLiteral("mine, third"); });
    expectBothLanded(writer, second, QStringLiteral("mine, third"), 2);
}

TEST_F(ProjectStoreSaving, ChangeWrittenRightAfterTheStoresOwnWriteIsPickedUpWhenTheWindowEnds) {
    const AudioProject tape = projectWithCue(QStringLiteral("Tape"));
    writeDataFile({tape});
    ProjectStore store(disk, desktop.seams());

    QElapsedTimer sinceWrite;
    QObject::connect(&store, &ProjectStore::saveFinished, [&] { sinceWrite.start(); });
    store.update(tape.id, [](AudioProject& p) { p.notes = QStringLiteral("mine"); });
    ASSERT_TRUE(waitUntil([&] { return store.activity().writes == 1; }, kPatience));

    ASSERT_TRUE(
        Storage::mutate(disk, [](Library& library) { library.projects.first().name = QStringLiteral("Renamed"); }));
    // Seen before the window has passed, it was read inside it.
    qint64 renameSeenAt = -1;
    ASSERT_TRUE(waitUntil(
        [&] {
            if (store.project(tape.id)->name != QStringLiteral("Renamed"))
                return false;
            renameSeenAt = sinceWrite.elapsed();
            return true;
        },
        kPatience));
    EXPECT_GE(renameSeenAt, ProjectStore::echoWindowMs) << "read inside the echo window";
    EXPECT_EQ(store.project(tape.id)->notes, QStringLiteral("mine"));
    EXPECT_FALSE(store.isDirty());
    EXPECT_EQ(store.activity().writes, 1);
}

TEST_F(ProjectStoreSaving, FailedWriteKeepsTheChangeForTheNextWrite) {
    ProjectStore store(disk, desktop.seams());
    const AudioProject first = AudioProject::make(QStringLiteral("First"), ProjectType::musicID);
    store.addProject(first);
    // A link into a folder that does not exist: the write has nowhere to go.
    breakDataFile();
    ASSERT_TRUE(waitUntil([&] { return store.activity().failedWrites == 1; }, kPatience));
    EXPECT_TRUE(store.isDirty());
    EXPECT_EQ(desktop.reloads, 0);

    // Folder events while dirty never replace the unsaved projects.
    const int readsBefore = store.activity().finishedReads;
    ASSERT_TRUE(QFile::remove(dataFile()));
    ASSERT_TRUE(waitUntil([&] { return store.activity().finishedReads > readsBefore; },
                          kPatience + ProjectStore::echoWindowMs));
    EXPECT_EQ(store.projects().size(), 1);

    store.saveNow();
    EXPECT_FALSE(store.isDirty());
    EXPECT_EQ(projectsInFile(), QList<AudioProject>{first});

    // The same holds for the debounced write: a failure, then the next change writes both.
    const AudioProject second = AudioProject::make(QStringLiteral("Second"), ProjectType::musicID);
    store.addProject(second);
    ASSERT_TRUE(QFile::rename(dataFile(), dataFile() + QStringLiteral(".old")));
    breakDataFile();
    ASSERT_TRUE(waitUntil([&] { return store.activity().failedWrites == 2; }, kPatience));
    EXPECT_TRUE(store.isDirty());
    ASSERT_TRUE(QFile::remove(dataFile()));
    store.update(first.id, [](AudioProject& p) { p.notes = QStringLiteral("again"); });
    ASSERT_TRUE(waitUntil([&] { return !store.isDirty(); }, kPatience));
    const QList<AudioProject> written = projectsInFile();
    ASSERT_EQ(written.size(), 2);
    EXPECT_EQ(written.at(0).id, second.id);
    EXPECT_EQ(written.at(1).notes, QStringLiteral("again"));
}

TEST_F(ProjectStoreSaving, FailedWriteIsTriedAgainWithoutAnotherChange) {
    ProjectStore store(disk, desktop.seams());
    const AudioProject tape = AudioProject::make(QStringLiteral("Tape"), ProjectType::musicID);
    store.addProject(tape);
    breakDataFile();
    ASSERT_TRUE(waitUntil([&] { return store.activity().failedWrites >= 1; }, kPatience));
    ASSERT_TRUE(QFile::remove(dataFile()));

    // No further change and no quit: the pending change still reaches the file.
    ASSERT_TRUE(waitUntil([&] { return !store.isDirty(); }, ProjectStore::retryDelayMs + kPatience));
    EXPECT_EQ(projectsInFile(), QList<AudioProject>{tape});
    EXPECT_EQ(desktop.reloads, 1);
}

TEST_F(ProjectStoreSaving, UndecodableFileLeavesTheProjectsInMemoryAndIsReplacedOnlyByAChange) {
    const AudioProject tape = projectWithCue(QStringLiteral("Tape"));
    writeDataFile({tape});
    ProjectStore store(disk, desktop.seams());
    int changes = 0;
    QObject::connect(&store, &ProjectStore::projectsChanged, [&] { ++changes; });

    QSaveFile garbage(dataFile());
    ASSERT_TRUE(garbage.open(QIODevice::WriteOnly));
    garbage.write("{ not json");
    ASSERT_TRUE(garbage.commit());

    ASSERT_TRUE(waitUntil([&] { return store.saveProblem().isAboutTheFile(); }, kPatience));
    ASSERT_TRUE(waitUntilIdle(store));
    EXPECT_TRUE(asideCopies().isEmpty());
    EXPECT_EQ(store.projects(), QList<AudioProject>{tape});
    EXPECT_EQ(store.activity().writes, 0);
    EXPECT_EQ(readFile(dataFile()), QByteArray("{ not json"));
    EXPECT_EQ(store.saveProblem().kind, SaveProblem::Kind::FileChangedUndecodable);

    // A change of the user's writes what the store holds; the damaged bytes stay in the copy.
    store.update(tape.id, [](AudioProject& p) { p.notes = QStringLiteral("mine"); });
    ASSERT_TRUE(waitUntil([&] { return store.activity().writes == 1; }, kPatience + ProjectStore::undecodableQuietMs));
    EXPECT_EQ(projectsInFile(), store.projects());
    EXPECT_EQ(readFile(environment.dataFolder() + QLatin1Char('/') + asideCopies().first()), QByteArray("{ not json"));
    EXPECT_EQ(changes, 1) << "only the user's own change";
}

// The empty library a start on a damaged file stands in with is not the user's
// data: folder events must not write it over the file they may be repairing.
TEST_F(ProjectStoreSaving, DamagedFileAtStartIsReplacedOnlyByAChangeOfTheUser) {
    const QByteArray damaged = R"({"version": 2, "projects": [{"id": "x", "name": "Almost fixed",}]})";
    writeFile(dataFile(), damaged);
    ProjectStore store(disk, desktop.seams());
    ASSERT_TRUE(waitUntil([&] { return store.saveProblem().kind == SaveProblem::Kind::FileUndecodable; }, kPatience));
    EXPECT_TRUE(asideCopies().isEmpty()) << "a read keeps no copy";

    writeFile(environment.dataFolder() + QStringLiteral("/unrelated.txt"), "a folder event");
    ASSERT_TRUE(waitUntil([&] { return store.activity().reloadReads >= 1; }, kPatience));
    ASSERT_TRUE(waitUntilIdle(store));
    EXPECT_EQ(store.activity().writes, 0);
    EXPECT_FALSE(store.isDirty());
    EXPECT_EQ(readFile(dataFile()), damaged);

    // A repaired file is then read as usual.
    const AudioProject repaired = AudioProject::make(QStringLiteral("Repaired"), ProjectType::musicID);
    writeDataFile({repaired});
    ASSERT_TRUE(waitUntil([&] { return store.projects().size() == 1; }, kPatience));
    EXPECT_EQ(store.projects().first().id, repaired.id);
}

// Another program writes a linked data file in its target's folder; that change
// must reach the store, or the store's next save would undo it.
TEST_F(ProjectStoreSaving, ChangeOfALinkedDataFileAppears) {
    const QString elsewhere = environment.scratch() + QStringLiteral("/synced");
    ASSERT_TRUE(QDir().mkpath(elsewhere));
    ASSERT_TRUE(QDir().mkpath(environment.dataFolder()));
    ASSERT_TRUE(QFile::link(elsewhere + QStringLiteral("/projects.json"), dataFile()));
    writeDataFile({AudioProject::make(QStringLiteral("First"), ProjectType::musicID)});
    ProjectStore store(disk, desktop.seams());
    ASSERT_EQ(store.projects().size(), 1);

    const AudioProject second = AudioProject::make(QStringLiteral("Second"), ProjectType::musicID);
    writeDataFile({second});
    ASSERT_TRUE(QFileInfo(dataFile()).isSymLink());
    ASSERT_TRUE(waitUntil([&] { return store.projects() == QList<AudioProject>{second}; }, kPatience));
}

// A data file that links into a synced folder not there yet, or whose target
// file is not there yet: the file is read when it appears, however deep the
// missing part of its path.
TEST_F(ProjectStoreSaving, ADanglingLinkedDataFileIsReadWhenItsTargetAppears) {
    const auto appearsThroughTheLink = [&](const QString& targetFolder, const QString& existingAbove) {
        SCOPED_TRACE(targetFolder.toStdString());
        ASSERT_TRUE(QDir().mkpath(existingAbove));
        ASSERT_TRUE(QDir().mkpath(environment.dataFolder()));
        QFile::remove(dataFile());
        ASSERT_TRUE(QFile::link(targetFolder + QStringLiteral("/projects.json"), dataFile()));
        ProjectStore store(disk, desktop.seams());
        ASSERT_TRUE(waitUntilIdle(store));
        EXPECT_TRUE(store.projects().isEmpty());

        const AudioProject tape = AudioProject::make(QStringLiteral("Synced"), ProjectType::musicID);
        ASSERT_TRUE(QDir().mkpath(targetFolder));
        QSaveFile synced(targetFolder + QStringLiteral("/projects.json"));
        ASSERT_TRUE(synced.open(QIODevice::WriteOnly));
        synced.write(RecordCoding::encodeLibrary(Library{{tape}, ProjectType::defaults()}));
        ASSERT_TRUE(synced.commit());
        ASSERT_TRUE(waitUntil([&] { return store.project(tape.id) != nullptr; }, kPatience));
        EXPECT_TRUE(QFileInfo(dataFile()).isSymLink());
    };

    const QString synced = environment.scratch() + QStringLiteral("/synced");
    appearsThroughTheLink(synced + QStringLiteral("/only-the-file"), synced + QStringLiteral("/only-the-file"));
    appearsThroughTheLink(synced + QStringLiteral("/not-yet/music"), synced);
}

// With no inotify watch left (other programs hold all of the user's), the
// store cannot watch the data folder: it looks at the file's stamp instead,
// and a change of another program still shows, renamed in place or rewritten.
TEST_F(ProjectStoreSaving, PastTheWatchLimitAChangeOfAnotherProgramStillAppears) {
    if (runInChild([] { return InotifyWatchLimit(0).isLowered() ? 0 : 1; }) != 0)
        GTEST_SKIP() << "this system allows no user namespace in which to lower the limit";
    const AudioProject tape = projectWithCue(QStringLiteral("Tape"));
    writeDataFile({tape});

    const QString logged = environment.scratch() + QStringLiteral("/stderr.log");
    expectInChild([&] {
        const InotifyWatchLimit limit(0);
        ASSERT_TRUE(limit.isLowered());
        const int log = ::open(QFile::encodeName(logged).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        ASSERT_TRUE(log >= 0 && ::dup2(log, STDERR_FILENO) == STDERR_FILENO);
        ProjectStore store(disk, desktop.seams());
        EXPECT_FALSE(store.isWatching());
        ASSERT_TRUE(waitUntilIdle(store));
        const int bound = 2 * FileStampPoller::intervalMs + kPatience;

        changeInAnotherProgram([](Library& library) { library.projects.first().name = QStringLiteral("Renamed"); });
        ASSERT_TRUE(waitUntil([&] { return store.project(tape.id)->name == QStringLiteral("Renamed"); }, bound));

        // Rewritten in place, its size unchanged: only its time tells.
        AudioProject same = *store.project(tape.id);
        same.name = QStringLiteral("Renamer");
        const QByteArray bytes = RecordCoding::encodeLibrary(Library{{same}, ProjectType::defaults()});
        ASSERT_EQ(bytes.size(), readFile(dataFile()).size());
        runInAnotherProgram([&] {
            QFile file(Storage::filePath());
            if (!file.open(QIODevice::ReadWrite) || file.write(bytes) != bytes.size())
                ::_exit(1);
        });
        ASSERT_TRUE(waitUntil([&] { return store.project(tape.id)->name == QStringLiteral("Renamer"); }, bound));
    });
    const QString log = QString::fromUtf8(readFile(logged));
    EXPECT_EQ(log.count(QStringLiteral("Sorvel: cannot watch")), 1) << "said once: " << log.toStdString();
    EXPECT_TRUE(log.contains(QStringLiteral("limit of inotify watches"))) << log.toStdString();
}

TEST_F(ProjectStoreSaving, UnreadableFileLeavesTheProjectsInMemoryAndTheFileInPlace) {
    const AudioProject tape = projectWithCue(QStringLiteral("Tape"));
    writeDataFile({tape});
    ProjectStore store(disk, desktop.seams());

    // Swapped in atomically: a link to a folder opens, but cannot be read.
    const QString link = environment.scratch() + QStringLiteral("/link.json");
    ASSERT_TRUE(QFile::link(environment.scratch(), link));
    ASSERT_EQ(std::rename(QFile::encodeName(link).constData(), QFile::encodeName(dataFile()).constData()), 0);

    // The read has failed (it is tried again later, so the store is not idle).
    ASSERT_TRUE(waitUntil([&] { return store.activity().failedReads >= 1; }, kPatience));
    EXPECT_EQ(store.projects(), QList<AudioProject>{tape});
    EXPECT_FALSE(store.isDirty());
    EXPECT_EQ(store.activity().writes, 0);
    EXPECT_TRUE(QFileInfo(dataFile()).isSymLink()) << "a read never moves the file";
    EXPECT_TRUE(asideCopies().isEmpty());

    // An edit is written over it only once it is kept aside.
    store.update(tape.id, [](AudioProject& p) { p.notes = QStringLiteral("edited"); });
    store.saveNow();
    EXPECT_FALSE(store.isDirty());
    ASSERT_EQ(asideCopies().size(), 1);
    EXPECT_TRUE(QFileInfo(environment.dataFolder() + QLatin1Char('/') + asideCopies().first()).isSymLink());
    EXPECT_EQ(projectsInFile().first().notes, QStringLiteral("edited"));
}

TEST_F(ProjectStoreSaving, RemovedFileEmptiesTheStore) {
    writeDataFile({AudioProject::make(QStringLiteral("Tape"), ProjectType::musicID)});
    ProjectStore store(disk, desktop.seams());
    ASSERT_EQ(store.projects().size(), 1);
    const int reloadsAtStart = desktop.reloads;
    ASSERT_TRUE(QFile::remove(dataFile()));
    ASSERT_TRUE(waitUntil([&] { return store.projects().isEmpty(); }, kPatience));
    EXPECT_FALSE(store.isDirty());
    EXPECT_EQ(desktop.reloads, reloadsAtStart + 1) << "the widget empties too";

    // A file put back that does not decode yet (a restore still being copied)
    // is not replaced by the emptied store.
    const QByteArray partial = R"({"version": 2, "projects": [{"id": "6F9619FF-8B86-D011-B42D-00C0)";
    writeFile(dataFile(), partial);
    ASSERT_TRUE(waitUntil([&] { return store.saveProblem().isAboutTheFile(); }, kPatience));
    ASSERT_TRUE(waitUntilIdle(store));
    EXPECT_EQ(store.activity().writes, 0);
    EXPECT_EQ(readFile(dataFile()), partial);
}

TEST_F(ProjectStoreSaving, FolderInTheFilesPlaceAtStartIsMovedAsideByTheFirstEdit) {
    writeFile(dataFile() + QStringLiteral("/inside.txt"), "user data");
    ProjectStore store(disk, desktop.seams());
    EXPECT_TRUE(store.projects().isEmpty());
    EXPECT_TRUE(asideCopies().isEmpty()) << "a read never moves anything";

    const AudioProject added = AudioProject::make(QStringLiteral("New"), ProjectType::musicID);
    store.addProject(added);
    store.saveNow();
    EXPECT_FALSE(store.isDirty());
    EXPECT_EQ(projectsInFile().size(), 1);
    ASSERT_EQ(asideCopies().size(), 1);
    const QString movedTo = environment.dataFolder() + QLatin1Char('/') + asideCopies().first();
    EXPECT_EQ(readFile(movedTo + QStringLiteral("/inside.txt")), "user data");

    // The banner says where the folder went, and keeps saying it past later writes.
    EXPECT_EQ(store.saveProblem(), (SaveProblem{SaveProblem::Kind::MovedAside, {movedTo, 0}}));
    EXPECT_TRUE(SaveProblemText::forBanner(store.saveProblem(), false).contains(movedTo));
    store.update(added.id, [](AudioProject& p) { p.notes = QStringLiteral("later"); });
    store.saveNow();
    EXPECT_EQ(store.activity().writes, 2);
    EXPECT_EQ(store.saveProblem().error.context, movedTo);
}

} // namespace
} // namespace sorvel::test
