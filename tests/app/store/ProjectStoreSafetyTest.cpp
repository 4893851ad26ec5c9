#include "support/StoreTestSupport.h"

#include "app/store/ProjectStore.h"
#include "app/store/SaveProblemText.h"
#include "app/store/UnsavedChangesGuard.h"
#include "core/Storage.h"
#include "support/ChildProcess.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

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

class ProjectStoreSafety : public ::testing::Test {
protected:
    TestEnvironment environment;
    FakeDesktop desktop;
    AudioProject first = named(QStringLiteral("First"));
    AudioProject second = named(QStringLiteral("Second"));

    QString dataFile() const { return environment.dataFolder() + QStringLiteral("/projects.json"); }
    QStringList asideCopies() const {
        return QDir(environment.dataFolder())
            .entryList({QStringLiteral("projects-unreadable-*.json")}, QDir::AllEntries | QDir::System, QDir::Name);
    }

    // Another program (the widget) changes the file: its own process, the
    // folder lock, one read, change and atomic rename.
    static void writeLikeTheWidget(const std::function<void(Library&)>& change) {
        ASSERT_EQ(runInChild([&] {
                      // Its own process, with descriptors of its own.
                      rlimit descriptors{};
                      ::getrlimit(RLIMIT_NOFILE, &descriptors);
                      descriptors.rlim_cur = descriptors.rlim_max;
                      ::setrlimit(RLIMIT_NOFILE, &descriptors);
                      return Storage::mutate(change) ? 0 : 1;
                  }),
                  0);
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
    ProjectStore store(desktop.seams());
    ASSERT_EQ(store.projects().size(), 2);

    const int kind = runInChild([] {
        const DescriptorLimit limit(1);
        return int(Storage::read().kind);
    });
    EXPECT_EQ(kind, int(Storage::ReadResult::Kind::Unreadable));
    spin(ProjectStore::saveDelayMs + 300);
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
    std::unique_ptr<ProjectStore> store;
    {
        const DescriptorLimit limit(0);
        store = std::make_unique<ProjectStore>(desktop.seams());
    }
    EXPECT_TRUE(store->projects().isEmpty());
    const AudioProject added = named(QStringLiteral("Added"));
    store->addProject(added);
    store->flush();
    EXPECT_FALSE(store->isDirty());

    ASSERT_EQ(asideCopies().size(), 1);
    EXPECT_EQ(readFile(environment.dataFolder() + QLatin1Char('/') + asideCopies().first()), original);
    const QList<AudioProject> written = projectsInFile();
    EXPECT_EQ(written.size(), 3);
    EXPECT_TRUE(find(written, added.id));
    EXPECT_TRUE(find(written, first.id) && find(written, second.id));
    EXPECT_EQ(store->projects(), written);
}

// The folder event of another program's write comes while this process is out
// of descriptors; no further event follows, only the retry can see the change.
TEST_F(ProjectStoreSafety, PassingReadErrorHealsAtTheRetry) {
    writeDataFile({first, second});
    ProjectStore store(desktop.seams());
    {
        const DescriptorLimit limit(0);
        writeLikeTheWidget([&](Library& library) { setNotes(library, second.id, QStringLiteral("widget")); });
        ASSERT_TRUE(waitUntil([&] { return store.activity().reloadReads == 1; }, kPatience));
    }
    EXPECT_EQ(store.projects(), (QList<AudioProject>{first, second})) << "a failed read keeps what the store had";
    ASSERT_TRUE(waitUntil([&] { return store.project(second.id)->notes == QStringLiteral("widget"); },
                          ProjectStore::retryDelayMs + kPatience));
    EXPECT_EQ(store.activity().reloadReads, 2);
    EXPECT_EQ(store.activity().writes, 0);
}

TEST_F(ProjectStoreSafety, WidgetChangeInsideTheEchoWindowSurvivesTheNextEdit) {
    writeDataFile({first, second});
    ProjectStore store(desktop.seams());
    store.update(first.id, [](AudioProject& p) { p.notes = QStringLiteral("mine 1"); });
    store.flush();
    ASSERT_EQ(store.activity().writes, 1);

    writeLikeTheWidget([&](Library& library) { setNotes(library, second.id, QStringLiteral("widget")); });
    store.update(first.id, [](AudioProject& p) { p.notes = QStringLiteral("mine 2"); });
    ASSERT_TRUE(waitUntil([&] { return !store.isDirty() && store.activity().writes == 2; }, kPatience));
    spin(ProjectStore::echoWindowMs + 300);

    const QList<AudioProject> written = projectsInFile();
    ASSERT_EQ(written.size(), 2);
    EXPECT_EQ(find(written, first.id)->notes, QStringLiteral("mine 2"));
    EXPECT_EQ(find(written, second.id)->notes, QStringLiteral("widget"));
    EXPECT_EQ(store.projects(), written);
}

TEST_F(ProjectStoreSafety, WidgetChangeWhileAnEditOfAnotherProjectIsUnsaved) {
    writeDataFile({first, second});
    ProjectStore store(desktop.seams());
    store.update(first.id, [](AudioProject& p) { p.notes = QStringLiteral("mine"); });
    writeLikeTheWidget([&](Library& library) { setNotes(library, second.id, QStringLiteral("widget")); });
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
    ProjectStore store(desktop.seams());
    store.update(first.id, [](AudioProject& p) { p.notes = QStringLiteral("mine"); });
    // No chance to read in between: the save itself has to merge.
    writeLikeTheWidget([&](Library& library) {
        setNotes(library, first.id, QStringLiteral("widget"));
        setNotes(library, second.id, QStringLiteral("widget"));
    });
    store.flush();

    const QList<AudioProject> written = projectsInFile();
    EXPECT_EQ(find(written, first.id)->notes, QStringLiteral("mine"));
    EXPECT_EQ(find(written, second.id)->notes, QStringLiteral("widget"));
    EXPECT_EQ(store.projects(), written);
}

TEST_F(ProjectStoreSafety, DeletionOnEitherSideStaysDeletedAndTheOtherChangeIsKept) {
    const AudioProject third = named(QStringLiteral("Third"));
    writeDataFile({first, second, third});
    ProjectStore store(desktop.seams());

    store.deleteProjects({second.id});
    writeLikeTheWidget([&](Library& library) {
        library.projects.removeIf([&](const AudioProject& p) { return p.id == third.id; });
        setNotes(library, first.id, QStringLiteral("widget"));
    });
    store.flush();

    const QList<AudioProject> written = projectsInFile();
    ASSERT_EQ(written.size(), 1);
    EXPECT_EQ(written.first().id, first.id);
    EXPECT_EQ(written.first().notes, QStringLiteral("widget"));
    EXPECT_EQ(store.projects(), written);
}

// A file in the earlier format (a cue without an id, a project without dates)
// reads with a fresh cue id and the reading time each time. That is no change
// of another program: a project deleted in the store stays deleted.
TEST_F(ProjectStoreSafety, DeletionInAFileOfTheEarlierFormatStaysDeleted) {
    ASSERT_TRUE(QDir().mkpath(environment.dataFolder()));
    writeFile(dataFile(), R"({"version": 2, "projects": [
        {"id": "6F9619FF-8B86-D011-B42D-00C04FC964FF", "name": "Kept", "items": [{"title": "A", "isDone": true}]},
        {"id": "6F9619FF-8B86-D011-B42D-00C04FC96500", "name": "Deleted", "items": [{"title": "B"}]}]})");
    ProjectStore store(desktop.seams());
    ASSERT_EQ(store.projects().size(), 2);
    spin(1100);  // reads at another second than the start's

    store.deleteProjects({store.projects().at(1).id});
    store.flush();

    const QList<AudioProject> written = projectsInFile();
    ASSERT_EQ(written.size(), 1);
    EXPECT_EQ(written.first().name, QStringLiteral("Kept"));
    EXPECT_EQ(store.projects(), written);
}

// A link to a folder that does not exist: the write has nowhere to go.
class FailingSaves : public ProjectStoreSafety {
protected:
    void breakTheFile() { breakDataFile(environment); }
    void mendTheFile() { mendDataFile(environment); }
};

TEST_F(FailingSaves, QuitAsksUntilTheWriteSucceeds) {
    ProjectStore store(desktop.seams());
    breakTheFile();
    store.addProject(first);
    QStringList asked;
    UnsavedChangesGuard guard(store, [&](const QString& problem) {
        asked << problem;
        if (asked.size() == 2)
            mendTheFile();  // the user made room, then tries again
        return UnsavedChangesGuard::Choice::TryAgain;
    });
    EXPECT_TRUE(guard.writeBeforeQuit());
    EXPECT_EQ(asked.size(), 2);
    EXPECT_FALSE(asked.first().isEmpty());
    EXPECT_FALSE(store.isDirty());
    EXPECT_EQ(projectsInFile(), QList<AudioProject>{first});
}

TEST_F(FailingSaves, QuitAnywayAndSignalQuitLogWhatWasNotWritten) {
    ProjectStore store(desktop.seams());
    breakTheFile();
    store.addProject(first);
    int asked = 0;
    UnsavedChangesGuard* self = nullptr;
    UnsavedChangesGuard guard(store, [&](const QString&) {
        ++asked;
        // The quit key pressed again in the open question is not a second question.
        EXPECT_FALSE(self->writeBeforeQuit());
        return UnsavedChangesGuard::Choice::QuitAnyway;
    });
    self = &guard;
    testing::internal::CaptureStderr();
    EXPECT_TRUE(guard.writeBeforeQuit());
    const bool nothingLost = guard.writeBeforeSignalQuit();
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_EQ(asked, 1);
    EXPECT_FALSE(nothingLost);
    EXPECT_NE(log.find("quit anyway"), std::string::npos) << log;
    EXPECT_NE(log.find("quit by a signal"), std::string::npos) << log;
    EXPECT_NE(log.find("\"First\""), std::string::npos) << log;
    EXPECT_TRUE(store.isDirty());
}

TEST(SaveProblemTextTest, TheSystemsEnglishReasonIsSaidInChineseAndThePathKept) {
    EXPECT_EQ(SaveProblemText::forUser(QStringLiteral("/d/projects.json: Operation not permitted")),
              QStringLiteral("/d/projects.json: 没有权限"));
    EXPECT_EQ(SaveProblemText::forUser(QStringLiteral("/d/projects.json: Permission denied")),
              QStringLiteral("/d/projects.json: 没有权限"));
    EXPECT_EQ(SaveProblemText::forUser(QStringLiteral("/d/projects.json: No space left on device")),
              QStringLiteral("/d/projects.json: 磁盘空间不足"));
    EXPECT_EQ(SaveProblemText::forUser(QStringLiteral("/d/projects.json: Read-only file system")),
              QStringLiteral("/d/projects.json: 磁盘是只读的"));
    EXPECT_EQ(SaveProblemText::forUser(QStringLiteral("unknown error")), QStringLiteral("原因不明"));
    // A folder named like a reason is not a reason.
    EXPECT_EQ(SaveProblemText::forUser(QStringLiteral("/Permission denied/x: 其他")),
              QStringLiteral("/Permission denied/x: 其他"));
}

} // namespace
} // namespace sorvel::test
