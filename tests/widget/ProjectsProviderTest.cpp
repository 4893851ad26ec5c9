#include "WidgetFixture.h"

#include "core/StudioText.h"
#include "widget/ProjectsProvider.h"
#include "widget/SampleData.h"

#include <QFileInfo>

namespace sorvel::test {
namespace {

QStringList names(const QList<AudioProject>& projects) {
    QStringList result;
    for (const AudioProject& project : projects)
        result.append(project.name);
    return result;
}

ProjectType customType() {
    return {QUuid::createUuid(), QStringLiteral("预告片"), QStringLiteral("film"), QStringLiteral("112233")};
}

using ProjectsProviderTest = WidgetFixture;

TEST_F(ProjectsProviderTest, TimelineHoldsOneEntryOfTheActiveProjectsInShelfOrder) {
    AudioProject done = projectUpdated(QStringLiteral("done"), 1);
    done.status = ProjectStatus::Done;
    AudioProject archived = projectUpdated(QStringLiteral("archived"), 1);
    archived.archivedAt = archived.updatedAt;
    AudioProject focused = projectUpdated(QStringLiteral("focused"), 5000);
    focused.isFocused = true;
    AudioProject tieA = projectUpdated(QStringLiteral("tie A"), 60);
    AudioProject tieB = tieA;
    tieB.id = QUuid::createUuid();
    tieB.name = QStringLiteral("tie B");
    store({projectUpdated(QStringLiteral("old"), 900), tieA, done, focused, archived, tieB,
           projectUpdated(QStringLiteral("new"), 10)});

    const Timeline timeline = ProjectsProvider::timeline(disk);
    EXPECT_EQ(names(timeline.entry.projects), (QStringList{"focused", "new", "tie A", "tie B", "old"}));
}

TEST_F(ProjectsProviderTest, AnEntryKeepsOnlyTheRowsTheLargestWidgetShowsAndCountsEveryActiveProject) {
    QList<AudioProject> projects;
    for (int i = 0; i < 40; ++i) {
        AudioProject project = projectUpdated(QStringLiteral("p%1").arg(i), (i * 7) % 13 * 60);
        if (i % 4 == 1)
            project.status = ProjectStatus::Done;
        if (i % 9 == 2)
            project.archivedAt = project.updatedAt;
        project.isFocused = i == 31;
        projects.append(project);
    }
    store(projects);
    const QList<AudioProject> shelf = activeSorted(Storage::load(disk).projects);
    ASSERT_GT(shelf.size(), 5);

    for (const ProjectsEntry& entry :
         {ProjectsProvider::timeline(disk).entry, ProjectsProvider::snapshot(disk, true)}) {
        EXPECT_EQ(entry.projects, shelf.mid(0, 5));
        EXPECT_EQ(entry.activeCount, shelf.size());
    }
}

TEST_F(ProjectsProviderTest, TimelineReloadsHalfAnHourAfterItsEntry) {
    store({projectUpdated(QStringLiteral("a"), 0)});
    const QDateTime before = QDateTime::currentDateTimeUtc();
    const Timeline timeline = ProjectsProvider::timeline(disk);
    const QDateTime after = QDateTime::currentDateTimeUtc();
    EXPECT_LE(before, timeline.entry.date);
    EXPECT_LE(timeline.entry.date, after);
    EXPECT_GE(timeline.reloadAt, timeline.entry.date.addSecs(1800));
    EXPECT_LE(timeline.reloadAt, after.addSecs(1800));
}

TEST_F(ProjectsProviderTest, OnlyFinishedProjectsGiveAnEmptyTimelineAndAnEmptySnapshotOutsideTheGallery) {
    AudioProject done = projectUpdated(QStringLiteral("done"), 0);
    done.status = ProjectStatus::Done;
    AudioProject archived = projectUpdated(QStringLiteral("archived"), 0);
    archived.archivedAt = archived.updatedAt;
    store({done, archived});

    EXPECT_TRUE(ProjectsProvider::timeline(disk).entry.projects.isEmpty());
    EXPECT_FALSE(ProjectsProvider::timeline(disk).entry.unreadable); // a readable file with an empty shelf
    EXPECT_TRUE(ProjectsProvider::snapshot(disk, false).projects.isEmpty());
    EXPECT_EQ(names(ProjectsProvider::snapshot(disk, true).projects),
              (QStringList{QStringLiteral("春季 BGM"), QStringLiteral("脚步声"), QStringLiteral("田野环境声")}));
}

TEST_F(ProjectsProviderTest, GallerySnapshotOfARealShelfShowsTheRealProjects) {
    store({projectUpdated(QStringLiteral("mine"), 0)});
    EXPECT_EQ(names(ProjectsProvider::snapshot(disk, true).projects), QStringList{"mine"});
}

TEST_F(ProjectsProviderTest, EveryReadCarriesTheFilesTypes) {
    const ProjectType custom = customType();
    store({projectUpdated(QStringLiteral("a"), 0)}, {custom});
    const Timeline read = ProjectsProvider::timeline(disk);
    EXPECT_EQ(read.entry.types, QList<ProjectType>{custom});
    EXPECT_EQ(read.entry.typeOf(read.entry.projects.first()).id, custom.id) << "an unknown id takes the first type";
    EXPECT_EQ(ProjectsProvider::snapshot(disk, false).types, QList<ProjectType>{custom});

    // A file without types, or with an empty list, gives the five built-in ones.
    writeFile(dataFile(), R"({"version": 2, "projects": []})");
    EXPECT_EQ(ProjectsProvider::snapshot(disk, false).types, ProjectType::defaults());
    store({projectUpdated(QStringLiteral("a"), 0)}, {custom});
    EXPECT_EQ(ProjectsProvider::timeline(disk).entry.types, QList<ProjectType>{custom});
    writeFile(dataFile(), R"({"version": 2, "projects": [], "types": []})");
    EXPECT_EQ(ProjectsProvider::timeline(disk).entry.types, ProjectType::defaults());
    EXPECT_TRUE(asideCopies().isEmpty()); // both files were good ones
}

TEST_F(ProjectsProviderTest, PlaceholderReadsNoFileAndHasTheDefaultTypes) {
    const ProjectType custom = customType();
    // Neither a good file nor a broken one is looked at.
    store({projectUpdated(QStringLiteral("mine"), 0)}, {custom});
    EXPECT_EQ(names(ProjectsProvider::placeholder().projects).size(), 3);
    writeFile(dataFile(), "{ not json");
    const ProjectsEntry entry = ProjectsProvider::placeholder();
    EXPECT_EQ(entry.projects.first().name, QStringLiteral("春季 BGM"));
    EXPECT_TRUE(asideCopies().isEmpty());
    EXPECT_EQ(entry.types, ProjectType::defaults()) << "the custom types of the file are not read";
}

// The widget reads at every timeline, perhaps while another program is
// rewriting the file: it copies nothing (the writer that replaces the bytes keeps them).
TEST_F(ProjectsProviderTest, UndecodableFileShowsTheEmptyShelfAndIsNeverCopiedByTheWidget) {
    const QByteArray broken = R"({"projects": [ {"name": 5} ]})";
    writeFile(dataFile(), broken);
    for (int read = 0; read < 4; ++read) {
        const Timeline timeline = ProjectsProvider::timeline(disk);
        EXPECT_TRUE(timeline.entry.projects.isEmpty());
        EXPECT_TRUE(timeline.entry.unreadable);
        EXPECT_EQ(timeline.entry.types, ProjectType::defaults());
    }
    EXPECT_TRUE(asideCopies().isEmpty()) << asideCopies().join(", ").toStdString();
    // The file itself stays where and what it was.
    EXPECT_EQ(readFile(dataFile()), broken);
}

TEST_F(ProjectsProviderTest, MissingFileGivesTheEmptyShelfAndCreatesNoFile) {
    EXPECT_TRUE(ProjectsProvider::timeline(disk).entry.projects.isEmpty());
    EXPECT_FALSE(ProjectsProvider::timeline(disk).entry.unreadable);
    EXPECT_FALSE(QFileInfo::exists(dataFile()));
}

TEST(SampleData, ThreeProjectsAsTheGalleryShowsThem) {
    const QList<AudioProject> projects = SampleData::projects();
    ASSERT_EQ(projects.size(), 3);
    EXPECT_EQ(names(projects),
              (QStringList{QStringLiteral("春季 BGM"), QStringLiteral("脚步声"), QStringLiteral("田野环境声")}));
    EXPECT_EQ(projects[0].typeID, ProjectType::musicID);
    EXPECT_EQ(projects[1].typeID, ProjectType::sfxID);
    EXPECT_EQ(projects[2].typeID, ProjectType::ambienceID);
    EXPECT_EQ(projects[0].status, ProjectStatus::InProgress);
    EXPECT_EQ(projects[1].status, ProjectStatus::InProgress);
    EXPECT_EQ(projects[2].status, ProjectStatus::NotStarted);
    EXPECT_EQ(projects[1].progressMode, ProgressMode::Manual);
    EXPECT_EQ(projects[1].manualProgress, 0.6);
    EXPECT_EQ(StudioText::percent(projects[0].progress()), QStringLiteral("33"));
    EXPECT_EQ(StudioText::percent(projects[1].progress()), QStringLiteral("60"));
    for (const AudioProject& project : projects) {
        EXPECT_FALSE(project.isFocused);
        EXPECT_FALSE(project.deadline || project.folderPath || project.completedAt || project.archivedAt);
        EXPECT_EQ(project.createdAt, project.updatedAt);
    }

    const QList<Cue>& cues = projects[0].items;
    ASSERT_EQ(cues.size(), 3);
    EXPECT_EQ(cues[1].title, QStringLiteral("秦淮景 哼鸣"));
    EXPECT_EQ((QList<CueStage>{cues[0].stage, cues[1].stage, cues[2].stage}),
              (QList<CueStage>{CueStage::Delivered, CueStage::Mixed, CueStage::NotStarted}));
    EXPECT_EQ((QList<std::optional<qint64>>{cues[0].duration, cues[1].duration, cues[2].duration}),
              (QList<std::optional<qint64>>{185, 204, 63}));
    for (const Cue& cue : cues) {
        EXPECT_EQ(cue.startDate, projects[0].createdAt);
        EXPECT_FALSE(cue.mixedAt || cue.deliveredAt); // stages set directly, not stamped
    }
}

TEST(SampleData, EveryAccessBuildsNewProjects) {
    const QList<AudioProject> first = SampleData::projects();
    const QList<AudioProject> second = SampleData::projects();
    for (int i = 0; i < first.size(); ++i) {
        EXPECT_NE(first[i].id, second[i].id);
        EXPECT_NE(first[i].id, QUuid());
    }
    EXPECT_NE(first[0].items[0].id, second[0].items[0].id);
}

} // namespace
} // namespace sorvel::test
