#include "support/ChildProcess.h"
#include "support/FolderHolder.h"
#include "support/StoreTestSupport.h"

#include "app/store/ProjectStore.h"
#include "core/Clock.h"
#include "core/FolderLock.h"
#include "core/RecordCoding.h"
#include "core/Storage.h"
#include "core/WidgetIntents.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <gtest/gtest.h>

#include <algorithm>

namespace sorvel::test {
namespace {

// Another program edits the same project as the store, between the store's
// edit and its save: both changes must reach the file.
class ProjectStoreMerge : public StoreFixture {
protected:
    AudioProject film = threeCues(QStringLiteral("Film"));
    AudioProject other = threeCues(QStringLiteral("Other"));

    static AudioProject threeCues(const QString& name) {
        AudioProject project = AudioProject::make(name, ProjectType::musicID);
        project.items = {sampleCue(QStringLiteral("1M01"), QStringLiteral("One"), CueStage::NotStarted),
                         sampleCue(QStringLiteral("1M02"), QStringLiteral("Two"), CueStage::NotStarted),
                         sampleCue(QStringLiteral("1M03"), QStringLiteral("Three"), CueStage::NotStarted)};
        project.updatedAt = project.createdAt = QDateTime(QDate(2024, 1, 1), QTime(0, 0), Qt::UTC);
        return project;
    }

    static AudioProject* in(QList<AudioProject>& projects, const QUuid& id) {
        for (AudioProject& project : projects) {
            if (project.id == id)
                return &project;
        }
        return nullptr;
    }
    static AudioProject* in(Library& library, const QUuid& id) { return in(library.projects, id); }

    // The project as the file holds it now.
    AudioProject stored(const QUuid& id) const {
        QList<AudioProject> projects = projectsInFile();
        const AudioProject* found = in(projects, id);
        EXPECT_TRUE(found) << "not in the file";
        return found ? *found : AudioProject{};
    }

    // Writes the store's changes now; returns what the log said meanwhile.
    static QString flushLogging(ProjectStore& store) {
        testing::internal::CaptureStderr();
        store.saveNow();
        return QString::fromStdString(testing::internal::GetCapturedStderr());
    }

    static QStringList titles(const AudioProject& project) {
        QStringList result;
        for (const Cue& cue : project.items)
            result << cue.title;
        return result;
    }
};

TEST_F(ProjectStoreMerge, WidgetIntentOnAnotherFieldOfTheEditedProjectIsKept) {
    writeDataFile({film, other});
    ProjectStore store(disk, desktop.seams());
    store.setFocus(film.id);
    runInAnotherProgram([&] {
        ToggleItemIntent{RecordCoding::idText(film.id), RecordCoding::idText(film.items.at(1).id), CueStage::NotStarted}
            .perform(disk);
    });
    store.saveNow();

    const AudioProject written = stored(film.id);
    EXPECT_TRUE(written.isFocused);
    EXPECT_EQ(written.items.at(1).stage, CueStage::Composing);
    EXPECT_GT(written.updatedAt, film.updatedAt) << "the intent's stamp";
    EXPECT_EQ(store.projects(), projectsInFile());
}

TEST_F(ProjectStoreMerge, WidgetIntentOnTheSameFieldLosesToTheStoreAndIsLogged) {
    film.progressMode = ProgressMode::Manual;
    film.manualProgress = 0.2;
    writeDataFile({film, other});
    ProjectStore store(disk, desktop.seams());
    store.update(film.id, [](AudioProject& p) {
        p.manualProgress = 0.7;
        p.touch();
    });
    runInAnotherProgram([&] { AdjustProgressIntent{RecordCoding::idText(film.id), 0.1}.perform(disk); });
    ASSERT_EQ(stored(film.id).manualProgress, 0.3);

    const QString log = flushLogging(store);

    EXPECT_EQ(stored(film.id).manualProgress, 0.7);
    EXPECT_EQ(store.project(film.id)->manualProgress, 0.7);
    EXPECT_TRUE(log.contains(QStringLiteral("Sorvel merge: project \"Film\" (%1)").arg(RecordCoding::idText(film.id))))
        << log.toStdString();
    EXPECT_TRUE(log.contains(QStringLiteral("manual progress"))) << log.toStdString();
    EXPECT_TRUE(log.contains(QStringLiteral("kept 0.7, set aside 0.3"))) << log.toStdString();
}

// A step of manual progress here and the widget's step a moment apart are two
// steps, whichever came first and whether the store saves at once or reloads
// the widget's write first; a value set outright after a step is no step and
// keeps the field rule above.
TEST_F(ProjectStoreMerge, ProgressStepsHereAddToStepsTheWidgetMadeMeanwhile) {
    film.progressMode = ProgressMode::Manual;
    film.manualProgress = 0.4;
    const auto widgetSteps = [&] {
        runInAnotherProgram([&] { AdjustProgressIntent{RecordCoding::idText(film.id), 0.1}.perform(disk); });
        EXPECT_EQ(stored(film.id).manualProgress, 0.5) << "the widget's step, before the store saves";
    };
    for (const bool widgetFirst : {false, true}) {
        for (const bool reloadBeforeSaving : {false, true}) {
            SCOPED_TRACE(std::string(widgetFirst ? "widget first" : "application first")
                         + (reloadBeforeSaving ? ", the store reloads and saves on its own" : ", saved at once"));
            writeDataFile({film, other});
            ProjectStore store(disk, desktop.seams());
            if (widgetFirst)
                widgetSteps();
            store.stepProgress(film.id, 0.1);
            if (!widgetFirst)
                widgetSteps();
            if (reloadBeforeSaving) {
                ASSERT_TRUE(waitUntilIdle(store));
            }
            store.saveNow();
            EXPECT_EQ(stored(film.id).manualProgress, 0.6);
            EXPECT_EQ(store.project(film.id)->manualProgress, 0.6);
        }
    }

    writeDataFile({film, other});
    ProjectStore store(disk, desktop.seams());
    store.stepProgress(film.id, 0.1);
    store.update(film.id, [](AudioProject& p) { p.manualProgress = 0.9; });
    widgetSteps();
    store.saveNow();
    EXPECT_EQ(stored(film.id).manualProgress, 0.9) << "a value set outright";
}

TEST_F(ProjectStoreMerge, OutsideWriterRetitlingOneCueWhileTheStoreChangesAnother) {
    writeDataFile({film, other});
    ProjectStore store(disk, desktop.seams());
    store.setCueStage(film.id, film.items.at(2).id, CueStage::Mixed);
    changeInAnotherProgram(
        [&](Library& library) { in(library, film.id)->items[0].title = QStringLiteral("One, retitled"); });
    store.saveNow();

    const AudioProject written = stored(film.id);
    EXPECT_EQ(titles(written), (QStringList{"One, retitled", "Two", "Three"}));
    EXPECT_EQ(written.items.at(2).stage, CueStage::Mixed);
    EXPECT_TRUE(written.items.at(2).mixedAt);
    EXPECT_EQ(store.projects(), projectsInFile());
}

TEST_F(ProjectStoreMerge, LogEntriesAddedOnBothSidesAreAllKeptNewestFirst) {
    const QDateTime now = Clock::now();
    film.log = {LogEntry{QUuid::createUuid(), now.addDays(-1), QStringLiteral("yesterday"), 0}};
    writeDataFile({film, other});
    ProjectStore store(disk, desktop.seams());
    store.update(film.id, [&](AudioProject& p) {
        p.log.prepend(LogEntry{QUuid::createUuid(), now, QStringLiteral("mine"), 0.1});
        p.touch();
    });
    changeInAnotherProgram([&](Library& library) {
        in(library, film.id)->log.prepend(LogEntry{QUuid::createUuid(), now.addSecs(-60), QStringLiteral("theirs"), 0});
    });
    store.saveNow();

    QStringList texts;
    for (const LogEntry& entry : stored(film.id).log)
        texts << entry.text;
    EXPECT_EQ(texts, (QStringList{"mine", "theirs", "yesterday"}));
}

TEST_F(ProjectStoreMerge, CuesReorderedOnOneSideAndEditedOnTheOther) {
    writeDataFile({film, other});
    ProjectStore store(disk, desktop.seams());
    store.update(film.id, [](AudioProject& p) { p.items.move(0, 2); });
    changeInAnotherProgram(
        [&](Library& library) { in(library, film.id)->items[1].title = QStringLiteral("Two, edited"); });
    store.saveNow();
    EXPECT_EQ(titles(stored(film.id)), (QStringList{"Two, edited", "Three", "One"}));

    // The other way round: the order of the other program, the edit of the store.
    store.updateCue(film.id, film.items.at(2).id, [](Cue& cue) { cue.title = QStringLiteral("Three, edited"); });
    changeInAnotherProgram([&](Library& library) {
        QList<Cue>& cues = in(library, film.id)->items;
        std::reverse(cues.begin(), cues.end());
    });
    store.saveNow();
    EXPECT_EQ(titles(stored(film.id)), (QStringList{"One", "Three, edited", "Two, edited"}));
    EXPECT_EQ(store.projects(), projectsInFile());
}

// The store's choice wins where one program deleted what the other changed,
// and the log names what was set aside.
TEST_F(ProjectStoreMerge, ProjectDeletedHereStaysDeletedWhenTheWidgetChangesItBeforeTheWrite) {
    writeDataFile({film, other});
    ProjectStore store(disk, desktop.seams());
    store.deleteProjects({film.id});
    runInAnotherProgram([&] {
        ToggleItemIntent{RecordCoding::idText(film.id), RecordCoding::idText(film.items.at(1).id), CueStage::NotStarted}
            .perform(disk);
    });
    ASSERT_EQ(stored(film.id).items.at(1).stage, CueStage::Composing);

    const QString log = flushLogging(store);
    expectOnlyProjectInFile(other.id, QString(), store);
    EXPECT_TRUE(
        log.contains(QStringLiteral("Sorvel merge: project \"Film\" (%1) was deleted here and changed "
                                    "by another program; kept the deletion, set aside its change of cues: cue \"1M02\" "
                                    "\"Two\" (stage composing, start date ")
                         .arg(RecordCoding::idText(film.id))))
        << log.toStdString();
}

TEST_F(ProjectStoreMerge, ProjectChangedHereStaysWhenAnotherProgramDeletesIt) {
    writeDataFile({film, other});
    ProjectStore store(disk, desktop.seams());
    store.update(film.id, [](AudioProject& p) { p.notes = QStringLiteral("mine"); });
    changeInAnotherProgram(
        [&](Library& library) { library.projects.removeIf([&](const AudioProject& p) { return p.id == film.id; }); });

    const QString log = flushLogging(store);
    EXPECT_EQ(stored(film.id).notes, QStringLiteral("mine"));
    EXPECT_EQ(store.projects(), projectsInFile());
    EXPECT_TRUE(log.contains(QStringLiteral("Sorvel merge: project \"Film\" (%1) was deleted by another "
                                            "program and changed here; kept it")
                                 .arg(RecordCoding::idText(film.id))))
        << log.toStdString();
    EXPECT_FALSE(log.contains(QStringLiteral("error"))) << "the write succeeded: " << log.toStdString();
}

TEST_F(ProjectStoreMerge, CueDeletedOnOneSideAndEditedOnTheOtherFollowsTheStore) {
    writeDataFile({film, other});
    ProjectStore store(disk, desktop.seams());
    store.update(film.id, [](AudioProject& p) { p.items.removeFirst(); });
    store.updateCue(film.id, film.items.at(2).id, [](Cue& cue) { cue.title = QStringLiteral("Three, edited"); });
    changeInAnotherProgram([&](Library& library) {
        QList<Cue>& cues = in(library, film.id)->items;
        cues[0].title = QStringLiteral("One, edited");
        cues.removeLast();
    });

    const QString log = flushLogging(store);
    EXPECT_EQ(titles(stored(film.id)), (QStringList{"Two", "Three, edited"}));
    EXPECT_EQ(store.projects(), projectsInFile());
    EXPECT_TRUE(
        log.contains(QStringLiteral("cue \"1M01\" \"One, edited\" was deleted here and changed by another "
                                    "program; kept the deletion, set aside its change of title \"One, edited\"")))
        << log.toStdString();
    EXPECT_TRUE(log.contains(QStringLiteral("cue \"1M03\" \"Three, edited\" was deleted by another program and "
                                            "changed here; kept it")))
        << log.toStdString();
}

// A reload that merged unsaved edits is merged again on the window's thread
// when a newer edit came meanwhile; what it set aside is logged once.
TEST_F(ProjectStoreMerge, ConflictOfAReloadRedoneForANewerEditIsLoggedOnce) {
    writeDataFile({film, other});
    ProjectStore store(disk, desktop.seams());
    changeInAnotherProgram([&](Library& library) {
        in(library, film.id)->notes = QStringLiteral("theirs");
        in(library, other.id)->name = QStringLiteral("Other, renamed there");
    });
    FolderHolder held(environment.dataFolder()); // the reload waits, then merges on the worker
    held.takeTheFolder();
    ASSERT_TRUE(held.isHolding());
    store.update(film.id, [](AudioProject& p) { p.notes = QStringLiteral("mine"); });

    testing::internal::CaptureStderr();
    const bool readStarted = waitUntil([&] { return store.activity().reloadReads > 0; }, 10000);
    store.update(other.id, [](AudioProject& p) { p.notes = QStringLiteral("newer edit"); });
    held.release();
    const bool readLanded =
        waitUntil([&] { return store.project(other.id)->name == QStringLiteral("Other, renamed there"); }, 10000);
    store.saveNow();
    const QString log = QString::fromStdString(testing::internal::GetCapturedStderr());

    ASSERT_TRUE(readStarted);
    ASSERT_TRUE(readLanded);
    EXPECT_EQ(stored(film.id).notes, QStringLiteral("mine"));
    EXPECT_EQ(stored(other.id).notes, QStringLiteral("newer edit"));
    EXPECT_EQ(log.count(QStringLiteral("set aside \"theirs\"")), 1) << log.toStdString();
}

TEST_F(ProjectStoreMerge, TwoFocusedProjectsAfterAMergeLeaveTheStoresChoice) {
    writeDataFile({film, other});
    ProjectStore store(disk, desktop.seams());
    store.setFocus(film.id);
    changeInAnotherProgram([&](Library& library) { in(library, other.id)->isFocused = true; });
    const QString log = flushLogging(store);

    EXPECT_TRUE(stored(film.id).isFocused);
    EXPECT_FALSE(stored(other.id).isFocused);
    EXPECT_EQ(store.projects(), projectsInFile());
    EXPECT_TRUE(log.contains(QStringLiteral("project \"Other\" (%1)").arg(RecordCoding::idText(other.id))))
        << log.toStdString();
}

TEST_F(ProjectStoreMerge, AFileWithSeveralFocusedProjectsKeepsOneAndTheLogSaysWhy) {
    film.isFocused = true;
    other.isFocused = true;
    writeDataFile({film, other});
    ProjectStore store(disk, desktop.seams());
    store.update(other.id, [](AudioProject& p) { p.notes = QStringLiteral("mine"); });
    const QString log = flushLogging(store);

    EXPECT_TRUE(stored(film.id).isFocused);
    EXPECT_FALSE(stored(other.id).isFocused);
    EXPECT_EQ(store.projects(), projectsInFile());
    EXPECT_TRUE(log.contains(QStringLiteral("the file held several focused projects"))) << log.toStdString();
    EXPECT_TRUE(log.contains(QStringLiteral("project \"Film\" (%1) keeps the focus, taken from project \"Other\" (%2)")
                                 .arg(RecordCoding::idText(film.id), RecordCoding::idText(other.id))))
        << log.toStdString();
    EXPECT_FALSE(log.contains(QStringLiteral("by another program"))) << "no other program changed anything";
}

// A cleared cue number is written empty and read back empty: the project it
// belongs to is no change of the store's, whoever deletes it next.
TEST_F(ProjectStoreMerge, DeletedProjectWithAnEmptyCueNumberStaysDeleted) {
    writeDataFile({film, other});
    ProjectStore store(disk, desktop.seams());
    store.updateCue(film.id, film.items.at(0).id, [](Cue& cue) { cue.number.clear(); });
    store.saveNow();
    EXPECT_EQ(stored(film.id).items.at(0).number, "");
    EXPECT_EQ(store.project(film.id)->items.at(0).number, "");

    // Deleted by another program while an edit of another project is unsaved.
    store.update(other.id, [](AudioProject& p) { p.notes = QStringLiteral("mine"); });
    changeInAnotherProgram(
        [&](Library& library) { library.projects.removeIf([&](const AudioProject& p) { return p.id == film.id; }); });
    store.saveNow();
    expectOnlyProjectInFile(other.id, QStringLiteral("mine"), store);
}

// The same, deleted here while another program edits another project.
TEST_F(ProjectStoreMerge, ProjectWithAnEmptyCueNumberDeletedHereStaysDeleted) {
    writeDataFile({film, other});
    ProjectStore store(disk, desktop.seams());
    store.updateCue(film.id, film.items.at(0).id, [](Cue& cue) { cue.number.clear(); });
    store.saveNow();
    store.deleteProjects({film.id});
    changeInAnotherProgram([&](Library& library) { in(library, other.id)->notes = QStringLiteral("widget"); });
    store.saveNow();
    expectOnlyProjectInFile(other.id, QStringLiteral("widget"), store);
}

// Another program that knows nothing of Sorvel's records (a plain script):
// under the folder's lock it changes the file's JSON as it is, and puts it
// back by an atomic rename. It gives no record an id, and renames none.
void changeInAPlainScript(const std::function<void(QJsonObject& top)>& change) {
    PosixFileSystem disk;
    runInAnotherProgram([&] {
        const QString folder = Storage::directory();
        const FolderLock lock(disk, folder, FolderLock::Mode::Write);
        ASSERT_TRUE(lock.isLocked());
        QFile file(Storage::filePath());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        QJsonObject top = QJsonDocument::fromJson(file.readAll()).object();
        file.close();
        change(top);
        QFile draft(folder + QStringLiteral("/script-draft.json"));
        ASSERT_TRUE(draft.open(QIODevice::WriteOnly));
        draft.write(QJsonDocument(top).toJson());
        draft.close();
        ASSERT_EQ(::rename(QFile::encodeName(draft.fileName()).constData(),
                           QFile::encodeName(Storage::filePath()).constData()),
                  0);
    });
}

void dropFirstProjectWithIdInAPlainScript(const QUuid& id) {
    changeInAPlainScript([&](QJsonObject& top) {
        QJsonArray projects = top.value(QStringLiteral("projects")).toArray();
        const auto first = std::find_if(projects.begin(), projects.end(), [&](const QJsonValueRef& project) {
            return project.toObject().value(QStringLiteral("id")).toString() == RecordCoding::idText(id);
        });
        ASSERT_NE(first, projects.end());
        projects.erase(first);
        top.insert(QStringLiteral("projects"), projects);
    });
}

// Two projects with one id (a block copied by hand) are two records to every
// program: an edit of the first never lands on the second, whether the other
// program that deletes the first is Sorvel's own or a plain script, after
// which the second no longer shares its id with anything.
TEST_F(ProjectStoreMerge, EditOfOneOfTwoProjectsSharingAnIdStaysOnItWhenAnotherProgramDeletesIt) {
    AudioProject copy = film;
    copy.name = QStringLiteral("Film copy");
    copy.typeID = ProjectType::sfxID;
    copy.notes = QStringLiteral("the copy's notes");
    for (const bool plainScript : {false, true}) {
        SCOPED_TRACE(plainScript ? "a plain script deletes it" : "Sorvel's own program deletes it");
        writeDataFile({film, copy, other});
        ProjectStore store(disk, desktop.seams());
        ASSERT_EQ(store.projects().size(), 3);
        const QUuid filmID = store.projects().at(0).id;
        const QUuid copyID = store.projects().at(1).id;
        ASSERT_NE(copyID, filmID);

        store.update(filmID, [](AudioProject& p) { p.notes = QStringLiteral("edited"); });
        if (plainScript)
            dropFirstProjectWithIdInAPlainScript(film.id);
        else
            changeInAnotherProgram([&](Library& library) { library.projects.removeFirst(); });
        store.saveNow();

        const QList<AudioProject> written = projectsInFile();
        ASSERT_EQ(written.size(), 3);
        const auto copies = std::count_if(written.cbegin(), written.cend(),
                                          [](const AudioProject& p) { return p.name == QStringLiteral("Film copy"); });
        EXPECT_EQ(copies, 1);
        for (const AudioProject& project : written) {
            if (project.name == QStringLiteral("Film copy")) {
                EXPECT_EQ(project.notes, QStringLiteral("the copy's notes"));
                EXPECT_EQ(project.typeID, ProjectType::sfxID);
            } else if (project.name == QStringLiteral("Film")) {
                EXPECT_EQ(project.notes, QStringLiteral("edited")) << "the edit stays on its project";
                EXPECT_EQ(project.typeID, ProjectType::musicID);
            }
        }
        EXPECT_EQ(store.projects(), written);
    }
}

// Three copies of a project share one id, and so do three copies of a cue in
// another project. The application edits the middle copy of each; before
// its write, a plain script drops the first copy of each. Each edit stays on
// the copy it was made on, and the third copies are written as they were.
TEST_F(ProjectStoreMerge, EditOfTheMiddleOfThreeCopiesStaysOnItWhenAnotherProgramDropsTheFirst) {
    QList<AudioProject> copies;
    for (const QString& name : {QStringLiteral("Film"), QStringLiteral("Film copy"), QStringLiteral("Film copy 2")}) {
        AudioProject copy = film;
        copy.name = name;
        copy.notes = name + QStringLiteral(" notes");
        copies.append(copy);
    }
    const QUuid sharedCueID = other.items.at(0).id;
    for (Cue& cue : other.items)
        cue.id = sharedCueID;
    writeDataFile(copies + QList<AudioProject>{other});
    ProjectStore store(disk, desktop.seams());
    ASSERT_EQ(store.projects().size(), 4);
    const QUuid middleProjectID = store.projects().at(1).id;
    const QUuid otherID = store.projects().at(3).id;
    const QUuid middleCueID = store.projects().at(3).items.at(1).id;
    ASSERT_EQ(store.projects().at(1).name, QStringLiteral("Film copy"));
    ASSERT_EQ(store.projects().at(3).items.at(1).title, QStringLiteral("Two"));

    store.update(middleProjectID, [](AudioProject& p) { p.notes = QStringLiteral("edited"); });
    store.updateCue(otherID, middleCueID, [](Cue& cue) { cue.duration = 90; });
    changeInAPlainScript([&](QJsonObject& top) {
        QJsonArray projects = top.value(QStringLiteral("projects")).toArray();
        projects.removeAt(0);
        QJsonObject otherObject = projects.at(2).toObject();
        QJsonArray cues = otherObject.value(QStringLiteral("items")).toArray();
        cues.removeAt(0);
        otherObject.insert(QStringLiteral("items"), cues);
        projects.replace(2, otherObject);
        top.insert(QStringLiteral("projects"), projects);
    });
    store.saveNow();

    const QList<AudioProject> written = projectsInFile();
    ASSERT_EQ(written.size(), 3);
    ASSERT_EQ(written.at(0).name, QStringLiteral("Film copy"));
    AudioProject edited = copies.at(1);
    edited.id = written.at(0).id;
    edited.updatedAt = written.at(0).updatedAt;
    edited.notes = QStringLiteral("edited");
    EXPECT_EQ(written.at(0), edited) << "the edit stays on its project, and nothing else of it changes";
    AudioProject third = copies.at(2);
    third.id = written.at(1).id;
    EXPECT_EQ(written.at(1), third) << "the third copy is written as it was";
    EXPECT_NE(written.at(0).id, written.at(1).id);

    ASSERT_EQ(titles(written.at(2)), (QStringList{"Two", "Three"}));
    QList<Cue> cues = other.items.mid(1);
    cues[0].id = written.at(2).items.at(0).id;
    cues[0].duration = 90;
    cues[1].id = written.at(2).items.at(1).id;
    EXPECT_EQ(written.at(2).items, cues) << "the edit stays on its cue, and the third cue is written as it was";
    EXPECT_NE(cues[0].id, cues[1].id);
    EXPECT_EQ(store.projects(), written);
}

// The same with creation dates in the second the file was last written (a
// script that makes the records and saves them): a stored date is what the
// record says, whatever its value, and not taken for a stand-in of a missing
// one, which would change the copies' ids once another program writes.
TEST_F(ProjectStoreMerge, CopiesCreatedInTheSecondOfTheFilesDateKeepTheirIdsWhenAnotherProgramDropsTheFirst) {
    QList<AudioProject> copies;
    for (const QString& name : {QStringLiteral("Film"), QStringLiteral("Film copy"), QStringLiteral("Film copy 2")}) {
        AudioProject copy = film;
        copy.name = name;
        copies.append(copy);
    }
    writeDataFile(copies);
    QFile file(Storage::filePath());
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(film.createdAt, QFileDevice::FileModificationTime));
    file.close();
    ProjectStore store(disk, desktop.seams());
    ASSERT_EQ(store.projects().size(), 3);
    ASSERT_EQ(store.projects().at(1).name, QStringLiteral("Film copy"));

    store.update(store.projects().at(1).id, [](AudioProject& p) { p.notes = QStringLiteral("edited"); });
    changeInAPlainScript([](QJsonObject& top) {
        QJsonArray projects = top.value(QStringLiteral("projects")).toArray();
        projects.removeAt(0);
        top.insert(QStringLiteral("projects"), projects);
    });
    store.saveNow();

    const QList<AudioProject> written = projectsInFile();
    QStringList names;
    for (const AudioProject& project : written)
        names << project.name + QLatin1Char('/') + project.notes;
    EXPECT_EQ(names, (QStringList{"Film copy/edited", "Film copy 2/"})) << "the edited copy once, the third as it was";
    EXPECT_EQ(store.projects(), written);
}

// Cues stored without ids (the earlier format) are known by what they say: a
// cue another program puts at the top takes no unsaved edit of the cue that
// stood there.
TEST_F(ProjectStoreMerge, EditsOfCuesWithoutIdsStayOnThemWhenAnotherProgramInsertsACueAtTheTop) {
    ASSERT_TRUE(QDir().mkpath(environment.dataFolder()));
    writeFile(environment.dataFolder() + QStringLiteral("/projects.json"), R"({"version": 2, "projects": [
        {"id": "6F9619FF-8B86-D011-B42D-00C04FC964FF", "name": "Film", "items": [
            {"number": "1M01", "title": "Alpha", "stage": "notStarted"},
            {"number": "1M02", "title": "Beta", "stage": "notStarted"}]}]})");
    ProjectStore store(disk, desktop.seams());
    ASSERT_EQ(store.projects().size(), 1);
    const QUuid projectID = store.projects().at(0).id;
    const QUuid alphaID = store.projects().at(0).items.at(0).id;
    const QUuid betaID = store.projects().at(0).items.at(1).id;

    store.advanceCue(projectID, alphaID);
    store.updateCue(projectID, betaID, [](Cue& cue) { cue.duration = 90; });
    changeInAPlainScript([](QJsonObject& top) {
        QJsonArray projects = top.value(QStringLiteral("projects")).toArray();
        QJsonObject film = projects.at(0).toObject();
        QJsonArray items = film.value(QStringLiteral("items")).toArray();
        items.prepend(QJsonObject{{QStringLiteral("number"), QStringLiteral("1M00")},
                                  {QStringLiteral("title"), QStringLiteral("Inserted")},
                                  {QStringLiteral("stage"), QStringLiteral("notStarted")}});
        film.insert(QStringLiteral("items"), items);
        projects.replace(0, film);
        top.insert(QStringLiteral("projects"), projects);
    });
    store.saveNow();

    const QList<Cue> cues = stored(projectID).items;
    ASSERT_EQ(titles(stored(projectID)), (QStringList{"Inserted", "Alpha", "Beta"}));
    EXPECT_EQ(cues.at(0).stage, CueStage::NotStarted) << "the inserted cue took an edit of another";
    EXPECT_FALSE(cues.at(0).duration);
    EXPECT_EQ(cues.at(1).id, alphaID);
    EXPECT_EQ(cues.at(1).stage, CueStage::Composing);
    EXPECT_EQ(cues.at(2).id, betaID);
    EXPECT_EQ(cues.at(2).duration, 90);
    EXPECT_EQ(store.projects(), projectsInFile());
}

// One program deletes a type, moving its projects, while the other puts a
// project on it: that project follows the move instead of being left on a
// type no list holds.
TEST_F(ProjectStoreMerge, ProjectMovedOntoATypeTheOtherProgramDeletedFollowsItsMove) {
    other.typeID = ProjectType::sfxID;
    writeDataFile({film, other});
    ProjectStore store(disk, desktop.seams());
    store.update(film.id, [](AudioProject& p) { p.typeID = ProjectType::sfxID; });
    changeInAnotherProgram([&](Library& library) {
        library.types.removeIf([](const ProjectType& type) { return type.id == ProjectType::sfxID; });
        in(library, other.id)->typeID = ProjectType::voiceID;
    });

    const QString log = flushLogging(store);
    EXPECT_EQ(stored(film.id).typeID, ProjectType::voiceID);
    EXPECT_EQ(store.project(film.id)->typeID, ProjectType::voiceID);
    EXPECT_TRUE(log.contains(QStringLiteral("project \"Film\" (%1): its type \"音效\" was deleted by another "
                                            "program; moved it to \"对白\"")
                                 .arg(RecordCoding::idText(film.id))))
        << log.toStdString();
}

TEST_F(ProjectStoreMerge, ProjectTheOtherProgramMovedOntoATypeDeletedHereFollowsTheStoresMove) {
    other.typeID = ProjectType::sfxID;
    writeDataFile({film, other});
    ProjectStore store(disk, desktop.seams());
    store.deleteType(ProjectType::sfxID, ProjectType::ambienceID);
    changeInAnotherProgram([&](Library& library) { in(library, film.id)->typeID = ProjectType::sfxID; });

    const QString log = flushLogging(store);
    EXPECT_EQ(stored(film.id).typeID, ProjectType::ambienceID);
    EXPECT_EQ(stored(other.id).typeID, ProjectType::ambienceID);
    EXPECT_EQ(store.projects(), projectsInFile());
    EXPECT_TRUE(log.contains(QStringLiteral("its type \"音效\" was deleted here; moved it to \"环境声\"")))
        << log.toStdString();
}

// The other program of the next test: a process of its own (not a copy of
// this one), pointed at the parent's data folder.
constexpr char otherDataHome[] = "SORVEL_TEST_OTHER_PROGRAM_DATA_HOME";

TEST(ProjectStoreMergeOtherProgram, RewritesTheFileOfItsParent) {
    PosixFileSystem disk;
    if (!qEnvironmentVariableIsSet(otherDataHome))
        GTEST_SKIP() << "only run by the test below, as the other program";
    qputenv("XDG_DATA_HOME", qgetenv(otherDataHome));
    EXPECT_TRUE(
        Storage::mutate(disk, [](Library& library) { library.projects.first().notes = QStringLiteral("rewritten"); }));
}

// Cues without ids and projects without dates read the same in every process,
// so another program's rewrite of such a file is no change of the deleted project.
TEST_F(ProjectStoreMerge, DeletionSurvivesAnotherProgramRewritingAFileOfTheEarlierFormat) {
    ASSERT_TRUE(QDir().mkpath(environment.dataFolder()));
    writeFile(environment.dataFolder() + QStringLiteral("/projects.json"), R"({"version": 2, "projects": [
        {"id": "6F9619FF-8B86-D011-B42D-00C04FC964FF", "name": "Kept", "items": [{"title": "A", "isDone": true}]},
        {"id": "6F9619FF-8B86-D011-B42D-00C04FC96500", "name": "Deleted", "items": [{"title": "B"}, {"title": "C"}]}]})");
    ProjectStore store(disk, desktop.seams());
    ASSERT_EQ(store.projects().size(), 2);
    store.deleteProjects({store.projects().at(1).id});

    QProcessEnvironment variables = QProcessEnvironment::systemEnvironment();
    variables.insert(QString::fromLatin1(otherDataHome), environment.dataHome());
    QProcess other;
    other.setProcessEnvironment(variables);
    other.setProcessChannelMode(QProcess::MergedChannels);
    other.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--gtest_filter=ProjectStoreMergeOtherProgram.RewritesTheFileOfItsParent")});
    ASSERT_TRUE(other.waitForFinished(60000));
    const QString output = QString::fromLocal8Bit(other.readAll());
    ASSERT_EQ(other.exitCode(), 0) << output.toStdString();
    ASSERT_TRUE(output.contains(QStringLiteral("[  PASSED  ] 1 test"))) << output.toStdString();
    ASSERT_EQ(projectsInFile().first().notes, QStringLiteral("rewritten"));

    store.saveNow();
    const QList<AudioProject> written = projectsInFile();
    ASSERT_EQ(written.size(), 1);
    EXPECT_EQ(written.first().name, QStringLiteral("Kept"));
    EXPECT_EQ(written.first().notes, QStringLiteral("rewritten"));
    EXPECT_EQ(store.projects(), written);
}

} // namespace
} // namespace sorvel::test
