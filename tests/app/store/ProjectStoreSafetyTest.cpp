#include "support/SampleRecords.h"
#include "support/StoreTestSupport.h"

#include "app/store/ProjectStore.h"
#include "app/store/RescueCopy.h"
#include "app/store/SaveProblem.h"
#include "app/store/SaveProblemText.h"
#include "app/store/UnsavedChangesGuard.h"
#include "core/RecordCoding.h"
#include "core/Storage.h"
#include "core/SystemErrorText.h"
#include "core/WidgetIntents.h"
#include "support/ChildProcess.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTimeZone>

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <sys/resource.h>

namespace sorvel::test {
namespace {

constexpr int kPatience = 5000;

AudioProject named(const QString& name) {
    return AudioProject::make(name, ProjectType::musicID);
}

const AudioProject* find(const QList<AudioProject>& projects, const QUuid& id) {
    for (const AudioProject& project : projects) {
        if (project.id == id)
            return &project;
    }
    return nullptr;
}

class ProjectStoreSafety : public StoreFixture {
protected:
    AudioProject first = named(QStringLiteral("First"));
    AudioProject second = named(QStringLiteral("Second"));

    QString dataFile() const { return environment.dataFolder() + QStringLiteral("/projects.json"); }
    QStringList asideCopies() const {
        return QDir(environment.dataFolder())
            .entryList({QStringLiteral("projects-unreadable-*.json")}, QDir::AllEntries | QDir::System, QDir::Name);
    }

    static void setNotes(Library& library, const QUuid& id, const QString& notes) {
        for (AudioProject& project : library.projects) {
            if (project.id == id)
                project.notes = notes;
        }
    }
};

TEST_F(ProjectStoreSafety, ReaderOutOfDescriptorsChangesNeitherTheFileNorTheStore) {
    writeDataFile({first, second});
    const QByteArray before = readFile(dataFile());
    ProjectStore store(disk, desktop.seams());
    ASSERT_EQ(store.projects().size(), 2);

    const int kind = runInChild([&] {
        const DescriptorLimit limit(1);
        return int(Storage::read(disk).kind);
    });
    EXPECT_EQ(kind, int(Storage::ReadResult::Kind::Unreadable));
    ASSERT_TRUE(waitUntilIdle(store));
    EXPECT_EQ(readFile(dataFile()), before);
    EXPECT_TRUE(asideCopies().isEmpty());
    EXPECT_EQ(store.projects(), (QList<AudioProject>{first, second}));
    EXPECT_EQ(store.activity().writes, 0);
}

// At start the folder cannot even be opened: the store holds nothing it read,
// so its first write keeps the file aside, and the file's projects are not lost.
TEST_F(ProjectStoreSafety, StartWithoutTheLockThenAnEditKeepsTheOriginalAside) {
    writeDataFile({first, second});
    const QByteArray original = readFile(dataFile());
    expectInChild([&] {
        std::unique_ptr<ProjectStore> store;
        {
            const DescriptorLimit limit(0);
            store = std::make_unique<ProjectStore>(disk, desktop.seams());
        }
        EXPECT_TRUE(store->projects().isEmpty());
        const AudioProject added = named(QStringLiteral("Added"));
        store->addProject(added);
        store->saveNow();
        EXPECT_FALSE(store->isDirty());

        ASSERT_EQ(asideCopies().size(), 1);
        EXPECT_EQ(readFile(environment.dataFolder() + QLatin1Char('/') + asideCopies().first()), original);
        const QList<AudioProject> written = projectsInFile();
        EXPECT_EQ(written.size(), 3);
        EXPECT_TRUE(find(written, added.id));
        EXPECT_TRUE(find(written, first.id) && find(written, second.id));
        EXPECT_EQ(store->projects(), written);
    });
}

// The folder event of another program's write comes while this process is out
// of descriptors; no further event follows, only the retry can see the change.
TEST_F(ProjectStoreSafety, PassingReadErrorHealsAtTheRetry) {
    writeDataFile({first, second});
    expectInChild([&] {
        ProjectStore store(disk, desktop.seams());
        {
            const DescriptorLimit limit(0);
            changeInAnotherProgram([&](Library& library) { setNotes(library, second.id, QStringLiteral("widget")); });
            // The limit holds until the read has failed, not merely started.
            ASSERT_TRUE(waitUntil([&] { return store.activity().failedReads == 1; }, kPatience));
        }
        EXPECT_EQ(store.activity().reloadReads, 1);
        EXPECT_EQ(store.projects(), (QList<AudioProject>{first, second})) << "a failed read keeps what the store had";
        ASSERT_TRUE(waitUntil([&] { return store.project(second.id)->notes == QStringLiteral("widget"); },
                              ProjectStore::retryDelayMs + kPatience));
        EXPECT_EQ(store.activity().reloadReads, 2);
        EXPECT_EQ(store.activity().writes, 0);
    });
}

TEST_F(ProjectStoreSafety, WidgetChangeInsideTheEchoWindowSurvivesTheNextEdit) {
    writeDataFile({first, second});
    ProjectStore store(disk, desktop.seams());
    store.update(first.id, [](AudioProject& p) { p.notes = QStringLiteral("mine 1"); });
    store.saveNow();
    ASSERT_EQ(store.activity().writes, 1);

    changeInAnotherProgram([&](Library& library) { setNotes(library, second.id, QStringLiteral("widget")); });
    store.update(first.id, [](AudioProject& p) { p.notes = QStringLiteral("mine 2"); });
    ASSERT_TRUE(waitUntil([&] { return !store.isDirty() && store.activity().writes == 2; }, kPatience));
    ASSERT_TRUE(waitUntilIdle(store));

    const QList<AudioProject> written = projectsInFile();
    ASSERT_EQ(written.size(), 2);
    EXPECT_EQ(find(written, first.id)->notes, QStringLiteral("mine 2"));
    EXPECT_EQ(find(written, second.id)->notes, QStringLiteral("widget"));
    EXPECT_EQ(store.projects(), written);
}

TEST_F(ProjectStoreSafety, WidgetChangeWhileAnEditOfAnotherProjectIsUnsaved) {
    writeDataFile({first, second});
    ProjectStore store(disk, desktop.seams());
    store.update(first.id, [](AudioProject& p) { p.notes = QStringLiteral("mine"); });
    changeInAnotherProgram([&](Library& library) { setNotes(library, second.id, QStringLiteral("widget")); });
    // The folder event merges at once; the edit stays pending.
    ASSERT_TRUE(waitUntil([&] { return store.project(second.id)->notes == QStringLiteral("widget"); }, kPatience));
    EXPECT_EQ(store.project(first.id)->notes, QStringLiteral("mine"));
    ASSERT_TRUE(waitUntil([&] { return !store.isDirty(); }, kPatience));

    const QList<AudioProject> written = projectsInFile();
    EXPECT_EQ(find(written, first.id)->notes, QStringLiteral("mine"));
    EXPECT_EQ(find(written, second.id)->notes, QStringLiteral("widget"));
}

TEST_F(ProjectStoreSafety, WidgetChangeOfTheSameProjectLosesToTheUnsavedEdit) {
    writeDataFile({first, second});
    ProjectStore store(disk, desktop.seams());
    store.update(first.id, [](AudioProject& p) { p.notes = QStringLiteral("mine"); });
    // No chance to read in between: the save itself has to merge.
    changeInAnotherProgram([&](Library& library) {
        setNotes(library, first.id, QStringLiteral("widget"));
        setNotes(library, second.id, QStringLiteral("widget"));
    });
    store.saveNow();

    const QList<AudioProject> written = projectsInFile();
    EXPECT_EQ(find(written, first.id)->notes, QStringLiteral("mine"));
    EXPECT_EQ(find(written, second.id)->notes, QStringLiteral("widget"));
    EXPECT_EQ(store.projects(), written);
}

TEST_F(ProjectStoreSafety, DeletionOnEitherSideStaysDeletedAndTheOtherChangeIsKept) {
    const AudioProject third = named(QStringLiteral("Third"));
    writeDataFile({first, second, third});
    ProjectStore store(disk, desktop.seams());

    store.deleteProjects({second.id});
    changeInAnotherProgram([&](Library& library) {
        library.projects.removeIf([&](const AudioProject& p) { return p.id == third.id; });
        setNotes(library, first.id, QStringLiteral("widget"));
    });
    store.saveNow();
    expectOnlyProjectInFile(first.id, QStringLiteral("widget"), store);
}

// A file in the earlier format (a cue without an id, a project without dates)
// read again, a second later, is no change of another program: a project
// deleted in the store stays deleted.
TEST_F(ProjectStoreSafety, DeletionInAFileOfTheEarlierFormatStaysDeleted) {
    ASSERT_TRUE(QDir().mkpath(environment.dataFolder()));
    writeFile(dataFile(), R"({"version": 2, "projects": [
        {"id": "6F9619FF-8B86-D011-B42D-00C04FC964FF", "name": "Kept", "items": [{"title": "A", "isDone": true}]},
        {"id": "6F9619FF-8B86-D011-B42D-00C04FC96500", "name": "Deleted", "items": [{"title": "B"}]}]})");
    const qint64 startSecond = QDateTime::currentSecsSinceEpoch();
    ProjectStore store(disk, desktop.seams());
    ASSERT_EQ(store.projects().size(), 2);
    // The next read dates the undated records at another second than the start's.
    ASSERT_TRUE(waitUntil([&] { return QDateTime::currentSecsSinceEpoch() > startSecond; }, kPatience));

    store.deleteProjects({store.projects().at(1).id});
    store.saveNow();

    const QList<AudioProject> written = projectsInFile();
    ASSERT_EQ(written.size(), 1);
    EXPECT_EQ(written.first().name, QStringLiteral("Kept"));
    EXPECT_EQ(store.projects(), written);
}

// A file-size limit (a quota, a limited service) stops a write as a full disk
// does: the application goes on and says why, keeps the change and writes it
// once there is room, and leaves no temporary file in the data folder. A start
// that merges a rescue copy past the limit goes on too, and keeps the copy.
TEST_F(ProjectStoreSafety, AWritePastTheFileSizeLimitFailsAndTheChangeWaitsForRoom) {
    writeDataFile({first});
    const QByteArray held = readFile(dataFile());
    AudioProject large = named(QStringLiteral("Large"));
    large.notes = QString(8192, QLatin1Char('n'));
    const auto drafts = [&] {
        return QDir(environment.dataFolder())
            .entryList({QStringLiteral(".sorvel-draft-*")}, QDir::AllEntries | QDir::Hidden | QDir::System);
    };

    expectInChild([&] {
        {
            FileSizeCap cap(rlim_t(held.size()));
            ASSERT_TRUE(cap.isLowered());
            ProjectStore store(disk, desktop.seams());
            store.addProject(large);
            ASSERT_TRUE(waitUntil([&] { return store.activity().failedWrites >= 1; }, kPatience));
            EXPECT_EQ(store.saveProblem().error.number, EFBIG);
            EXPECT_TRUE(
                SaveProblemText::forBanner(store.saveProblem(), false).contains(SystemErrorText::describe(EFBIG)));
            EXPECT_TRUE(store.isDirty());
            EXPECT_EQ(readFile(dataFile()), held);
            EXPECT_TRUE(drafts().isEmpty()) << drafts().join(' ').toStdString();

            cap.lift();
            ASSERT_TRUE(waitUntil([&] { return !store.isDirty(); }, ProjectStore::longestRetryDelayMs));
            EXPECT_TRUE(store.saveProblem().isEmpty());
            EXPECT_EQ(projectsInFile().size(), 2);
        }

        AudioProject grown = large;
        grown.notes += QStringLiteral(" and more");
        const QByteArray written = readFile(dataFile());
        const std::optional<Library> base = RecordCoding::decodeLibrary(written, fileTime());
        ASSERT_TRUE(base);
        Library unsaved = *base;
        unsaved.projects.first() = grown;
        ASSERT_TRUE(RescueCopy::write(disk, base, unsaved, QDateTime::currentDateTime()).done());
        const FileSizeCap cap(rlim_t(written.size()));
        ASSERT_TRUE(cap.isLowered());
        const ProjectStore restarted(disk, desktop.seams());
        ASSERT_TRUE(waitUntil([&] { return restarted.hasStarted(); }, kPatience));
        EXPECT_EQ(readFile(dataFile()), written);
        EXPECT_EQ(QDir(RescueCopy::folder()).entryList({QStringLiteral("projects-rescued-*")}, QDir::Files).size(), 1)
            << "the copy stays for a start with room";
        EXPECT_TRUE(drafts().isEmpty()) << drafts().join(' ').toStdString();
    });
}

// A rescue copy whose merge at the start cannot be written (a file-size
// limit) is said in the banner and taken in as unsaved changes: shown on the
// shelf, under the user's later edits, and written with them, retried like
// any write until it lands, which retires the copy.
TEST_F(ProjectStoreSafety, ARescueCopyThatCannotBeMergedAtTheStartIsSaidAndTriedAgain) {
    writeDataFile({first});
    const QByteArray held = readFile(dataFile());
    const std::optional<Library> base = RecordCoding::decodeLibrary(held, fileTime());
    ASSERT_TRUE(base);
    Library unsaved = *base;
    unsaved.projects.first().notes = QString(8192, QLatin1Char('r'));
    const FileOutcome copy = RescueCopy::write(disk, base, unsaved, QDateTime::currentDateTime());
    ASSERT_TRUE(copy.done());
    const auto rescueCopies = [] {
        return QDir(RescueCopy::folder()).entryList({QStringLiteral("projects-rescued-*")}, QDir::Files);
    };

    expectInChild([&] {
        // Room for a short note of the user's, not for the rescued one.
        FileSizeCap cap(rlim_t(held.size() + 64));
        ASSERT_TRUE(cap.isLowered());
        ProjectStore store(disk, desktop.seams());
        ASSERT_TRUE(waitUntil([&] { return store.hasStarted(); }, kPatience));
        const SaveProblem notMerged{SaveProblem::Kind::RescueNotMerged, {dataFile(), EFBIG}, copy.path};
        EXPECT_EQ(store.saveProblem(), notMerged);
        const QString banner = SaveProblemText::forBanner(store.saveProblem(), false);
        EXPECT_TRUE(banner.contains(copy.path)) << banner.toStdString();
        EXPECT_TRUE(banner.contains(SystemErrorText::describe(EFBIG))) << banner.toStdString();
        EXPECT_EQ(readFile(dataFile()), held);
        EXPECT_EQ(store.project(first.id)->notes, unsaved.projects.first().notes) << "on the shelf";

        store.update(first.id, [](AudioProject& p) { p.name = QStringLiteral("Renamed"); });
        ASSERT_TRUE(waitUntil([&] { return store.activity().failedWrites >= 1; }, kPatience));
        EXPECT_EQ(store.saveProblem(), notMerged) << "the copy still waits";
        EXPECT_EQ(readFile(dataFile()), held);
        EXPECT_EQ(rescueCopies().size(), 1);

        cap.lift();
        ASSERT_TRUE(waitUntil([&] { return store.activity().writes >= 1; }, ProjectStore::longestRetryDelayMs));
        ASSERT_TRUE(waitUntilIdle(store));
        EXPECT_EQ(projectsInFile().first().notes, unsaved.projects.first().notes);
        EXPECT_EQ(store.project(first.id)->name, QStringLiteral("Renamed"));
        EXPECT_TRUE(store.saveProblem().isEmpty());
        EXPECT_TRUE(rescueCopies().isEmpty()) << "merged once";
        ASSERT_TRUE(waitUntilIdle(store));
        EXPECT_EQ(projectsInFile(), store.projects());
    });
}

// With the data folder read-only, a rescue copy waits for it: the banner
// names the copy as what waits and the data file's folder as what cannot be
// written, never the copy as the place that cannot be written.
TEST_F(ProjectStoreSafety, ARescueCopyWaitingForAReadOnlyDataFolderNamesThatFolder) {
    writeDataFile({first});
    const std::optional<Library> base = RecordCoding::decodeLibrary(readFile(dataFile()), fileTime());
    ASSERT_TRUE(base);
    Library unsaved = *base;
    unsaved.projects.first().notes = QStringLiteral("rescued");
    const FileOutcome copy = RescueCopy::write(disk, base, unsaved, QDateTime::currentDateTime());
    ASSERT_TRUE(copy.done());

    expectInChild([&] {
        ReadOnlyFolder dataFolder(environment.dataFolder());
        ASSERT_TRUE(dataFolder.isMade());
        testing::internal::CaptureStderr();
        ProjectStore store(disk, desktop.seams());
        ASSERT_TRUE(waitUntil([&] { return store.hasStarted(); }, kPatience));
        const SaveProblem notMerged{
            SaveProblem::Kind::RescueNotMerged, {environment.dataFolder(), dataFolder.error()}, copy.path};
        EXPECT_EQ(store.saveProblem(), notMerged);
        const QString banner = SaveProblemText::forBanner(store.saveProblem(), false);
        EXPECT_TRUE(banner.contains(QStringLiteral("还无法写入数据文件：") + environment.dataFolder()
                                    + QStringLiteral(": ") + SystemErrorText::describe(dataFolder.error())))
            << banner.toStdString();
        EXPECT_FALSE(banner.contains(copy.path + QStringLiteral(": "))) << banner.toStdString();

        // A failed retry says the same.
        store.update(first.id, [](AudioProject& p) { p.name = QStringLiteral("Renamed"); });
        ASSERT_TRUE(waitUntil([&] { return store.activity().failedWrites >= 1; }, kPatience));
        EXPECT_EQ(store.saveProblem(), notMerged);
        testing::internal::GetCapturedStderr();
    });
}

// A link to a folder that does not exist: the write has nowhere to go.
class FailingSaves : public ProjectStoreSafety {
protected:
    void breakTheFile() { breakDataFile(environment); }
    void mendTheFile() { mendDataFile(environment); }
};

TEST_F(FailingSaves, QuitAsksUntilTheWriteSucceeds) {
    ProjectStore store(disk, desktop.seams());
    breakTheFile();
    store.addProject(first);
    QList<SaveProblem> asked;
    UnsavedChangesGuard guard(store, [&](const UnsavedChangesGuard::Question& question) {
        asked << question.problem;
        if (asked.size() == 2)
            mendTheFile(); // the user made room, then tries again
        return UnsavedChangesGuard::Choice::TryAgain;
    });
    EXPECT_TRUE(guard.writeBeforeQuit());
    EXPECT_EQ(asked.size(), 2);
    EXPECT_FALSE(asked.first().isEmpty());
    EXPECT_FALSE(store.isDirty());
    EXPECT_EQ(projectsInFile(), QList<AudioProject>{first});
}

TEST_F(FailingSaves, QuitAnywayAndSignalQuitKeepARescueCopyAndLogIt) {
    ProjectStore store(disk, desktop.seams());
    breakTheFile();
    store.addProject(first);
    QList<UnsavedChangesGuard::Question> asked;
    UnsavedChangesGuard* self = nullptr;
    UnsavedChangesGuard guard(store, [&](const UnsavedChangesGuard::Question& question) {
        asked << question;
        // The quit key pressed again in the open question is not a second question.
        EXPECT_FALSE(self->writeBeforeQuit());
        return UnsavedChangesGuard::Choice::QuitAnyway;
    });
    self = &guard;
    testing::internal::CaptureStderr();
    EXPECT_TRUE(guard.writeBeforeQuit());
    store.update(first.id, [](AudioProject& p) { p.notes = QStringLiteral("after the question"); });
    const bool nothingLost = guard.writeBeforeSignalQuit();
    const std::string log = testing::internal::GetCapturedStderr();
    ASSERT_EQ(asked.size(), 1);
    EXPECT_FALSE(nothingLost);
    EXPECT_NE(log.find("quit anyway"), std::string::npos) << log;
    EXPECT_NE(log.find("quit by a signal"), std::string::npos) << log;
    EXPECT_NE(log.find("\"First\""), std::string::npos) << log;
    EXPECT_TRUE(store.isDirty());

    // Both quits left a copy of what the store held then, outside the data
    // folder, each named in the log and the first in the question.
    const QString folder = environment.stateHome() + QStringLiteral("/Sorvel");
    const QStringList rescued =
        QDir(folder).entryList({QStringLiteral("projects-rescued-*.json")}, QDir::Files, QDir::Name);
    ASSERT_EQ(rescued.size(), 2) << rescued.join(' ').toStdString();
    const QString asked0 = asked.first().rescueFile;
    EXPECT_TRUE(asked0.startsWith(folder + QLatin1Char('/'))) << asked0.toStdString();
    EXPECT_TRUE(UnsavedChangesGuard::details(asked.first()).contains(asked0));
    QStringList notes;
    for (const QString& name : rescued) {
        const QString path = folder + QLatin1Char('/') + name;
        EXPECT_NE(log.find(path.toStdString()), std::string::npos) << log;
        const std::optional<Library> library = RecordCoding::decodeLibrary(readFile(path), fileTime());
        ASSERT_TRUE(library);
        ASSERT_EQ(library->projects.size(), 1);
        EXPECT_EQ(library->projects.first().id, first.id);
        notes << library->projects.first().notes;
    }
    EXPECT_TRUE(rescued.contains(QFileInfo(asked0).fileName()));
    EXPECT_TRUE(notes.contains(QString()) && notes.contains(QStringLiteral("after the question")));
    EXPECT_TRUE(asideCopies().isEmpty()) << "nothing of the rescue lands in the data folder";
}

// A quit that kept a rescue copy, by "quit anyway" or by a signal, writes
// once more as the program exits. When that write lands, the copy is
// retired with it, and the next start does not bring back the tape that
// another program deleted in between.
TEST_F(FailingSaves, TheWriteAtExitRetiresTheRescueCopyOfEitherQuit) {
    const QDir rescues(environment.stateHome() + QStringLiteral("/Sorvel"));
    for (const bool bySignal : {false, true}) {
        SCOPED_TRACE(bySignal ? "quit by a signal" : "quit anyway");
        QFile::remove(dataFile()); // what the case before left
        const AudioProject tape = named(bySignal ? QStringLiteral("By a signal") : QStringLiteral("Anyway"));
        {
            ProjectStore store(disk, desktop.seams());
            breakTheFile();
            store.addProject(tape);
            UnsavedChangesGuard guard(store, quitAnyway);
            testing::internal::CaptureStderr();
            quitUnwritten(guard, bySignal);
            ASSERT_EQ(rescues.entryList({QStringLiteral("projects-rescued-*.json")}, QDir::Files).size(), 1);
            mendTheFile();
            guard.writeAtExit();
            testing::internal::GetCapturedStderr();
            EXPECT_FALSE(store.isDirty());
            EXPECT_TRUE(rescues.entryList({QStringLiteral("projects-rescued-*.json")}, QDir::Files).isEmpty());
        }
        ASSERT_EQ(projectsInFile(), QList<AudioProject>{tape});
        changeInAnotherProgram([](Library& library) { library.projects.clear(); });
        testing::internal::CaptureStderr();
        {
            ProjectStore next(disk, desktop.seams());
            ASSERT_TRUE(waitUntil([&] { return next.hasStarted(); }, kPatience));
            EXPECT_TRUE(next.projects().isEmpty());
        }
        testing::internal::GetCapturedStderr();
        EXPECT_TRUE(projectsInFile().isEmpty()) << "the tape deleted elsewhere came back";
    }
}

// Progress steps that a failed quit could not write are steps still when the
// next start merges its copies: the widget's step made meanwhile counts as
// well, and the steps of a first copy, which a later copy of the same quit
// holds again, count once.
TEST_F(FailingSaves, ProgressStepsOfARescueCopyAddToTheWidgetsStep) {
    AudioProject tape = named(QStringLiteral("Tape"));
    tape.progressMode = ProgressMode::Manual;
    tape.manualProgress = 0.4;
    writeDataFile({tape});
    const QByteArray read = readFile(dataFile());
    {
        ProjectStore store(disk, desktop.seams());
        ASSERT_TRUE(waitUntilIdle(store));
        UnsavedChangesGuard guard(store, quitAnyway);
        testing::internal::CaptureStderr();
        store.stepProgress(tape.id, 0.1);
        // Before the step's write is due: the quit is the first to write.
        ASSERT_TRUE(QFile::remove(dataFile()));
        breakTheFile();
        EXPECT_TRUE(guard.writeBeforeQuit());
        store.stepProgress(tape.id, 0.1);
        EXPECT_FALSE(guard.writeBeforeSignalQuit());
        testing::internal::GetCapturedStderr();
        ASSERT_EQ(QDir(RescueCopy::folder()).entryList({QStringLiteral("projects-rescued-*.json")}, QDir::Files).size(),
                  2);
    }
    mendTheFile();
    writeFile(dataFile(), read);
    runInAnotherProgram([&] { AdjustProgressIntent{RecordCoding::idText(tape.id), 0.1}.perform(disk); });
    ASSERT_EQ(projectsInFile().first().manualProgress, 0.5) << "the widget's step";

    testing::internal::CaptureStderr();
    const ProjectStore next(disk, desktop.seams());
    ASSERT_TRUE(waitUntil([&] { return next.hasStarted(); }, kPatience));
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(projectsInFile().first().manualProgress, 0.7);
    EXPECT_EQ(next.project(tape.id)->manualProgress, 0.7);
    EXPECT_TRUE(
        QDir(RescueCopy::folder()).entryList({QStringLiteral("projects-rescued-*.json")}, QDir::Files).isEmpty());
}

TEST(RescueCopyTest, NamedByANumberAndTheTimeInUtcNeverReplacingAnEarlierCopy) {
    PosixFileSystem disk;
    TestEnvironment environment;
    const QDateTime at(QDate(2026, 3, 4), QTime(13, 6, 7), QTimeZone("Asia/Shanghai"));
    const Library one{{AudioProject::make(QStringLiteral("One"), ProjectType::musicID)}, ProjectType::defaults()};
    const Library two{{AudioProject::make(QStringLiteral("Two"), ProjectType::sfxID)}, ProjectType::defaults()};
    const QString folder = environment.stateHome() + QStringLiteral("/Sorvel/");
    const FileOutcome first = RescueCopy::write(disk, std::nullopt, one, at);
    const FileOutcome second = RescueCopy::write(disk, one, two, at);
    EXPECT_EQ(first.path, folder + QStringLiteral("projects-rescued-1-20260304-050607Z.json"));
    EXPECT_EQ(second.path, folder + QStringLiteral("projects-rescued-2-20260304-050607Z.json"));
    // Read as a data file, a copy is its unsaved library and members of its own.
    const auto unsavedIn = [](const QString& path) {
        std::optional<Library> library = RecordCoding::decodeLibrary(readFile(path), fileTime());
        if (library)
            library->unknown.clear();
        return library;
    };
    EXPECT_EQ(unsavedIn(first.path), one);
    EXPECT_EQ(unsavedIn(second.path), two);

    // A merged copy's number is not taken again.
    RescueCopy::retire(disk, second.path, QStringLiteral("retired"));
    ASSERT_TRUE(QFileInfo::exists(folder + QStringLiteral("projects-restored-2-20260304-050607Z.json")));
    EXPECT_EQ(RescueCopy::write(disk, one, two, at).path,
              folder + QStringLiteral("projects-rescued-3-20260304-050607Z.json"));
}

// Quits in one second leave copies of one time: the next start merges them
// in the order they were made, so the latest change is the one the file
// keeps, however the names sort as text.
TEST(RescueCopyTest, CopiesOfOneSecondAreMergedInTheOrderTheyWereMade) {
    PosixFileSystem disk;
    TestEnvironment environment;
    AudioProject tape = AudioProject::make(QStringLiteral("Tape"), ProjectType::musicID);
    writeDataFile({tape});
    const std::optional<Library> base = RecordCoding::decodeLibrary(readFile(Storage::filePath()), fileTime());
    ASSERT_TRUE(base);
    const QDateTime at(QDate(2026, 3, 4), QTime(5, 6, 7));
    for (int take = 1; take <= 10; ++take) {
        Library unsaved = *base;
        unsaved.projects.first().notes = QStringLiteral("take %1").arg(take);
        ASSERT_TRUE(RescueCopy::write(disk, base, unsaved, at).done());
    }

    testing::internal::CaptureStderr();
    EXPECT_EQ(RescueCopy::restoreAll(disk, FolderLock::patientFor(kPatience)), 10);
    testing::internal::GetCapturedStderr();
    const QList<AudioProject> inFile = projectsInFile();
    ASSERT_EQ(inFile.size(), 1);
    EXPECT_EQ(inFile.first().notes, QStringLiteral("take 10"));
}

SaveProblem writeFailed(const QString& context, int error) {
    return {SaveProblem::Kind::WriteFailed, {context, error}};
}

TEST(SaveProblemTextTest, TheSystemsReasonIsSaidInChineseAndThePathKept) {
    EXPECT_EQ(SaveProblemText::forUser(writeFailed(QStringLiteral("/d/projects.json"), EPERM)),
              QStringLiteral("/d/projects.json: 没有权限"));
    EXPECT_EQ(SaveProblemText::forUser(writeFailed(QStringLiteral("/d/projects.json"), EACCES)),
              QStringLiteral("/d/projects.json: 没有权限"));
    EXPECT_EQ(SaveProblemText::forUser(writeFailed(QStringLiteral("/d/projects.json"), ENOSPC)),
              QStringLiteral("/d/projects.json: 磁盘空间不足"));
    EXPECT_EQ(SaveProblemText::forUser(writeFailed(QStringLiteral("/d/projects.json"), EROFS)),
              QStringLiteral("/d/projects.json: 磁盘是只读的"));
    EXPECT_EQ(SaveProblemText::forUser(writeFailed(QStringLiteral("cannot lock data folder /d"), ENOLCK)),
              QStringLiteral("cannot lock data folder /d: 文件系统不支持文件锁"));
    EXPECT_EQ(SaveProblemText::forUser({SaveProblem::Kind::WriteFailed, {}}), QStringLiteral("原因不明"));
    EXPECT_EQ(SaveProblemText::forUser({SaveProblem::Kind::FolderBusy, {}}),
              QStringLiteral("数据文件夹正被另一个程序占用"));
    // A reason without an errno is said as it is, even when it looks like one.
    EXPECT_EQ(SaveProblemText::forUser(writeFailed(QStringLiteral("/Permission denied/x: 其他"), 0)),
              QStringLiteral("/Permission denied/x: 其他"));
    // An error a write does not usually meet keeps the system's words.
    EXPECT_EQ(SaveProblemText::forUser(writeFailed(QStringLiteral("/d"), EAGAIN)),
              QStringLiteral("/d: ") + QString::fromLocal8Bit(std::strerror(EAGAIN)));
}

// A write the system refuses reaches the banner with its errno: a file size
// limit lower than the data file makes every write fail with EFBIG.
TEST(SaveProblemTextTest, TheErrnoOfAFailedWriteReachesTheBanner) {
    PosixFileSystem disk;
    TestEnvironment environment;
    expectInChild([&] {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit tiny{8, RLIM_INFINITY};
        ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &tiny), 0);
        testing::internal::CaptureStderr();
        const Storage::SaveResult saved = Storage::save(
            disk, [](const Library*) { return Library{}; }, false);
        testing::internal::GetCapturedStderr();
        ASSERT_FALSE(saved.written);
        EXPECT_EQ(saved.error.number, EFBIG) << saved.error.text().toStdString();
        EXPECT_EQ(SaveProblemText::forBanner({SaveProblem::Kind::WriteFailed, saved.error}, false),
                  QStringLiteral("无法保存更改：") + Storage::filePath()
                      + QStringLiteral(": 文件太大。更改仍保留在内存中，Sorvel 会自动重试。"));
    });
}

} // namespace
} // namespace sorvel::test
