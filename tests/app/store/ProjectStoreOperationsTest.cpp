#include "support/StoreTestSupport.h"

#include "app/store/ProjectStore.h"
#include "core/Clock.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace sorvel::test {
namespace {

class ProjectStoreOperations : public ::testing::Test {
protected:
    TestEnvironment environment;
    PosixFileSystem disk;
    FakeDesktop desktop;
    std::unique_ptr<ProjectStore> store;
    int changes = 0;

    // A store that starts from a data file holding `projects`.
    void open(const QList<AudioProject>& projects) {
        writeDataFile(projects);
        store = std::make_unique<ProjectStore>(disk, desktop.seams());
        QObject::connect(store.get(), &ProjectStore::projectsChanged, [this] { ++changes; });
    }
    const AudioProject& at(int index) const { return store->projects().at(index); }
    static AudioProject stamped(const QString& name, const QDateTime& updatedAt) {
        AudioProject project = AudioProject::make(name, ProjectType::musicID);
        project.updatedAt = updatedAt;
        return project;
    }
    static QDateTime longAgo() { return QDateTime(QDate(2020, 1, 1), QTime(12, 0), Qt::UTC); }
};

TEST_F(ProjectStoreOperations, UpdateSignalsOnlyRealChangesButAlwaysSaves) {
    const AudioProject tape = stamped(QStringLiteral("Tape"), longAgo());
    open({tape});
    store->update(tape.id, [](AudioProject&) {});
    EXPECT_EQ(changes, 0);
    EXPECT_TRUE(store->isDirty());
    EXPECT_EQ(at(0).updatedAt, longAgo()) << "update never stamps by itself";

    store->update(tape.id, [](AudioProject& p) { p.notes = QStringLiteral("n"); });
    EXPECT_EQ(changes, 1);

    store->saveNow();
    store->update(QUuid::createUuid(), [](AudioProject& p) { p.notes = QStringLiteral("x"); });
    EXPECT_FALSE(store->isDirty()) << "an unknown id must not schedule a save";
    store->unarchive(QUuid::createUuid());
    EXPECT_FALSE(store->isDirty());
}

TEST_F(ProjectStoreOperations, ReplaceStampsAndKeepsTheIdentifier) {
    const AudioProject tape = stamped(QStringLiteral("Tape"), longAgo());
    open({tape});
    AudioProject edited = tape;
    edited.id = QUuid::createUuid();
    edited.name = QStringLiteral("Edited");
    store->replace(tape.id, edited);
    EXPECT_EQ(at(0).id, tape.id);
    EXPECT_EQ(at(0).name, QStringLiteral("Edited"));
    EXPECT_GT(at(0).updatedAt, longAgo());
}

TEST_F(ProjectStoreOperations, CueOperationsStampOnlyWhenTheCueExists) {
    AudioProject tape = projectWithCue(QStringLiteral("Tape"), CueStage::Delivered);
    tape.updatedAt = longAgo();
    const QUuid cue = tape.items.first().id;
    open({tape});

    store->advanceCue(tape.id, QUuid::createUuid());
    EXPECT_EQ(at(0).updatedAt, longAgo());
    EXPECT_TRUE(store->isDirty()) << "the project exists, so a save follows";

    store->advanceCue(tape.id, cue);
    EXPECT_EQ(at(0).items.first().stage, CueStage::Mixed);
    EXPECT_FALSE(at(0).items.first().deliveredAt.has_value());
    EXPECT_GT(at(0).updatedAt, longAgo());

    store->setCueStage(tape.id, cue, CueStage::NotStarted);
    store->advanceCue(tape.id, cue);
    EXPECT_EQ(at(0).items.first().stage, CueStage::Composing);

    store->updateCue(tape.id, cue, [](Cue& c) { c.title = QStringLiteral("Chase"); });
    EXPECT_EQ(at(0).items.first().title, QStringLiteral("Chase"));
}

TEST_F(ProjectStoreOperations, SetFocusKeepsAtMostOneMarkWithoutStamping) {
    AudioProject a = stamped(QStringLiteral("A"), longAgo());
    AudioProject b = stamped(QStringLiteral("B"), longAgo());
    b.isFocused = true;
    open({a, b});
    store->setFocus(a.id);
    EXPECT_TRUE(at(0).isFocused);
    EXPECT_FALSE(at(1).isFocused);
    EXPECT_EQ(at(0).updatedAt, longAgo());
    store->setFocus(a.id);
    EXPECT_FALSE(at(0).isFocused);
    EXPECT_EQ(changes, 2);
    store->setFocus(QUuid::createUuid());
    EXPECT_EQ(changes, 2) << "nothing was focused, nothing changed";
    EXPECT_TRUE(store->isDirty());
}

TEST_F(ProjectStoreOperations, MarkDoneLeavesDoneProjectsAsTheyAre) {
    AudioProject open1 = stamped(QStringLiteral("Open"), longAgo());
    AudioProject done = stamped(QStringLiteral("Done"), longAgo());
    done.setStatus(ProjectStatus::Done);
    open({open1, done});
    const AudioProject doneBefore = at(1);
    store->markDone({open1.id, done.id, QUuid::createUuid()});
    EXPECT_EQ(at(0).status, ProjectStatus::Done);
    EXPECT_EQ(at(0).log.first().text, QStringLiteral("完成"));
    EXPECT_EQ(at(1), doneBefore);
}

TEST_F(ProjectStoreOperations, UnarchiveLogsTheRestoreAndTouches) {
    AudioProject tape = projectWithCue(QStringLiteral("Tape"), CueStage::Delivered);
    tape.archivedAt = longAgo();
    tape.updatedAt = longAgo();
    open({tape});
    store->unarchive(tape.id);
    EXPECT_FALSE(at(0).archivedAt.has_value());
    ASSERT_EQ(at(0).log.size(), 1);
    EXPECT_EQ(at(0).log.first().text, QStringLiteral("从归档中恢复"));
    EXPECT_DOUBLE_EQ(at(0).log.first().progress, 1.0);
    EXPECT_EQ(at(0).status, ProjectStatus::InProgress) << "touch() moves a project with progress on";
}

TEST_F(ProjectStoreOperations, DeleteAndAddKeepTheOrder) {
    const AudioProject a = AudioProject::make(QStringLiteral("A"), ProjectType::musicID);
    const AudioProject b = AudioProject::make(QStringLiteral("B"), ProjectType::musicID);
    const AudioProject c = AudioProject::make(QStringLiteral("C"), ProjectType::musicID);
    open({a, b, c});
    store->deleteProjects({b.id, QUuid::createUuid()});
    ASSERT_EQ(store->projects().size(), 2);
    EXPECT_EQ(at(0).id, a.id);
    EXPECT_EQ(at(1).id, c.id);
    const AudioProject d = AudioProject::make(QStringLiteral("D"), ProjectType::voiceID);
    store->addProject(d);
    EXPECT_EQ(at(0).id, d.id);
    EXPECT_EQ(store->projectCount(ProjectType::musicID), 2);
    EXPECT_EQ(changes, 2);
}

TEST_F(ProjectStoreOperations, AddTypeTakesItsColourFromTheCount) {
    open({});
    const QUuid first = store->addType();
    const ProjectType added = store->registry().type(first);
    EXPECT_EQ(added.colorHex, QStringLiteral("FF3B30"));
    EXPECT_EQ(added.title, QString());
    EXPECT_EQ(added.symbol, QStringLiteral("tag"));
    EXPECT_EQ(store->registry().type(store->addType()).colorHex, QStringLiteral("00C7BE"));
    EXPECT_EQ(store->registry().type(store->addType()).colorHex, QStringLiteral("AF52DE")); // from seven
    for (int i = 0; i < 5; ++i)
        store->addType();
    EXPECT_EQ(store->registry().types().size(), 13);
    EXPECT_EQ(store->registry().type(store->addType()).colorHex, QStringLiteral("00C7BE")); // from thirteen
}

TEST_F(ProjectStoreOperations, EachStoreHasTypesOfItsOwn) {
    open({});
    ProjectStore other(disk, desktop.seams());
    ASSERT_NE(&store->registry(), &other.registry());
    int otherChanges = 0;
    QObject::connect(&other.registry(), &TypeRegistry::typesChanged, [&otherChanges] { ++otherChanges; });

    const QUuid added = store->addType();
    EXPECT_EQ(store->registry().types().size(), ProjectType::defaults().size() + 1);
    EXPECT_EQ(other.registry().types(), ProjectType::defaults()) << "a change of one store's types stays in it";
    EXPECT_EQ(otherChanges, 0);
    EXPECT_EQ(store->registry().types().last().id, added);
}

TEST_F(ProjectStoreOperations, MoveTypesWorksLikeAListMove) {
    open({});
    auto ids = [this] {
        QList<QUuid> result;
        for (const ProjectType& type : store->registry().types())
            result << type.id;
        return result;
    };
    const QList<QUuid> before = ids(); // music, sfx, ambience, voice, other
    store->moveTypes({0, 2}, 4);
    EXPECT_EQ(ids(), (QList<QUuid>{before[1], before[3], before[0], before[2], before[4]}));
    store->moveTypes({4}, 0);
    EXPECT_EQ(ids().first(), before[4]);
    store->moveTypes({3, 1}, 5);
    EXPECT_EQ(ids().mid(3), (QList<QUuid>{before[1], before[0]}));
    EXPECT_EQ(ids().size(), 5);
}

TEST_F(ProjectStoreOperations, DeleteTypeMovesItsProjectsAndKeepsTheLastType) {
    AudioProject tape = stamped(QStringLiteral("Tape"), longAgo());
    tape.typeID = ProjectType::sfxID;
    open({tape});
    store->deleteType(ProjectType::sfxID, ProjectType::voiceID);
    EXPECT_EQ(store->registry().types().size(), 4);
    EXPECT_EQ(at(0).typeID, ProjectType::voiceID);
    EXPECT_EQ(at(0).updatedAt, longAgo());

    store->registry().setTypes({ProjectType::defaults().first()});
    store->deleteType(ProjectType::musicID, ProjectType::otherID);
    EXPECT_EQ(store->registry().types().size(), 1);
}

TEST_F(ProjectStoreOperations, ResetTypesDropsCustomTypesAndRehomesTheirProjects) {
    AudioProject tape = stamped(QStringLiteral("Tape"), longAgo());
    AudioProject music = stamped(QStringLiteral("Music"), longAgo());
    open({tape, music});
    const QUuid custom = store->addType();
    store->update(tape.id, [&](AudioProject& p) { p.typeID = custom; });
    store->updateType(ProjectType::musicID, [](ProjectType& t) { t.title = QStringLiteral("改过"); });
    store->resetTypes();
    EXPECT_EQ(store->registry().types(), ProjectType::defaults());
    EXPECT_EQ(at(0).typeID, ProjectType::otherID);
    EXPECT_EQ(at(1).typeID, ProjectType::musicID);
}

TEST_F(ProjectStoreOperations, ChooseFolderTakesOnlyAnAbsoluteChoice) {
    AudioProject tape = stamped(QStringLiteral("Tape"), longAgo());
    open({tape});
    desktop.nextChoice = std::nullopt;
    store->chooseFolder(tape.id);
    EXPECT_FALSE(at(0).folderPath.has_value());
    desktop.nextChoice = QStringLiteral("relative/folder");
    store->chooseFolder(tape.id);
    EXPECT_FALSE(at(0).folderPath.has_value());
    desktop.nextChoice = environment.scratch() + QStringLiteral("/Tape/");
    store->chooseFolder(tape.id);
    EXPECT_EQ(at(0).folderPath, environment.scratch() + QStringLiteral("/Tape"));
    EXPECT_EQ(at(0).updatedAt, longAgo());
    store->chooseFolder(QUuid::createUuid());
    EXPECT_EQ(desktop.chooseCalls, 3) << "no dialog for a project that does not exist";
}

TEST_F(ProjectStoreOperations, RevealFolderOpensOnlyAnExistingDirectory) {
    const QString folder = environment.scratch() + QStringLiteral("/Tape");
    const QString file = environment.scratch() + QStringLiteral("/notes.txt");
    QDir().mkpath(folder);
    writeFile(file, "x");
    AudioProject withFolder = AudioProject::make(QStringLiteral("Folder"), ProjectType::musicID);
    withFolder.folderPath = folder;
    AudioProject withFile = AudioProject::make(QStringLiteral("File"), ProjectType::musicID);
    withFile.folderPath = file;
    AudioProject relative = AudioProject::make(QStringLiteral("Relative"), ProjectType::musicID);
    relative.folderPath = QStringLiteral("Tape");
    AudioProject gone = AudioProject::make(QStringLiteral("Gone"), ProjectType::musicID);
    gone.folderPath = environment.scratch() + QStringLiteral("/Gone");
    AudioProject empty = AudioProject::make(QStringLiteral("Empty"), ProjectType::musicID);
    empty.folderPath = QString();
    open({withFolder, withFile, relative, gone, empty});

    for (const AudioProject& p : store->projects())
        store->revealFolder(p.id);
    EXPECT_EQ(desktop.opened, QStringList{folder});
    EXPECT_FALSE(store->isDirty());
}

} // namespace
} // namespace sorvel::test
