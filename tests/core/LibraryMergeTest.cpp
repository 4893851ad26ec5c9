#include "core/LibraryMerge.h"
#include "core/RecordCoding.h"
#include "support/SampleRecords.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace sorvel {
namespace {

using test::projectWithCue;

QStringList names(const Library& library) {
    QStringList result;
    for (const AudioProject& project : library.projects)
        result << project.name + QLatin1Char(':') + project.notes;
    return result;
}

class LibraryMergeTest : public ::testing::Test {
protected:
    LibraryMergeTest() {
        base.projects = {projectWithCue("A"), projectWithCue("B"), projectWithCue("C")};
        theirs = base;
        mine = base;
    }
    AudioProject& in(Library& library, const QString& name) {
        for (AudioProject& project : library.projects) {
            if (project.name == name)
                return project;
        }
        ADD_FAILURE() << "no project " << name.toStdString();
        return library.projects.first();
    }
    void remove(Library& library, const QString& name) {
        library.projects.removeIf([&](const AudioProject& p) { return p.name == name; });
    }

    Library base;
    Library theirs;
    Library mine;
};

TEST_F(LibraryMergeTest, ChangesOfEachSideAreTakenFromThatSide) {
    in(theirs, "A").notes = "theirs";
    in(mine, "B").notes = "mine";
    EXPECT_EQ(names(LibraryMerge::merge(base, theirs, mine)), (QStringList{"A:theirs", "B:mine", "C:"}));
}

TEST_F(LibraryMergeTest, ProjectChangedOnBothSidesTakesEachFieldFromTheSideThatChangedIt) {
    const QDateTime later = in(base, "A").updatedAt.addSecs(60);
    AudioProject& their = in(theirs, "A");
    their.notes = "theirs";
    their.deadline = QDateTime(QDate(2030, 5, 1), QTime(0, 0), Qt::UTC);
    their.manualProgress = 0.4;
    their.updatedAt = later;
    AudioProject& my = in(mine, "A");
    my.name = "A renamed";
    my.status = ProjectStatus::Review;
    my.isFocused = true;
    my.folderPath = QStringLiteral("/music/A");
    my.updatedAt = later.addSecs(-30);

    testing::internal::CaptureStderr();
    const AudioProject merged = LibraryMerge::merge(base, theirs, mine).projects.first();
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_EQ(merged.notes, "theirs");
    EXPECT_EQ(merged.deadline, their.deadline);
    EXPECT_EQ(merged.manualProgress, 0.4);
    EXPECT_EQ(merged.name, "A renamed");
    EXPECT_EQ(merged.status, ProjectStatus::Review);
    EXPECT_TRUE(merged.isFocused);
    EXPECT_EQ(merged.folderPath, my.folderPath);
    EXPECT_EQ(merged.updatedAt, later) << "the later of the two change dates";
    EXPECT_EQ(merged.items, base.projects.first().items);
    EXPECT_EQ(log, "") << "nothing was set aside";
}

TEST_F(LibraryMergeTest, SameFieldChangedOnBothSidesKeepsMineAndLogsTheValueSetAside) {
    in(theirs, "B").notes = "their notes\nsecond line";
    in(theirs, "B").progressMode = ProgressMode::Manual;
    in(mine, "B").notes = "my notes";
    in(mine, "B").progressMode = ProgressMode::Manual; // the same change on both sides is no conflict

    testing::internal::CaptureStderr();
    Library merged = LibraryMerge::merge(base, theirs, mine);
    const QString text = QString::fromStdString(testing::internal::GetCapturedStderr());
    EXPECT_EQ(in(merged, "B").notes, "my notes");
    EXPECT_EQ(in(merged, "B").progressMode, ProgressMode::Manual);
    EXPECT_TRUE(text.contains("Sorvel storage error: ")) << text.toStdString();
    EXPECT_TRUE(text.contains("\"B\"")) << text.toStdString();
    EXPECT_TRUE(text.contains(RecordCoding::idText(in(base, "B").id))) << text.toStdString();
    EXPECT_TRUE(text.contains("notes")) << text.toStdString();
    EXPECT_TRUE(text.contains("set aside \"their notes\\nsecond line\"")) << text.toStdString();
    EXPECT_FALSE(text.contains("progress mode")) << text.toStdString();
    EXPECT_EQ(text.count('\n'), 1) << text.toStdString();
}

TEST_F(LibraryMergeTest, CuesOfOneProjectMergeByIdAndFieldByField) {
    Library start = base;
    AudioProject& project = in(start, "A");
    project.items = {test::sampleCue("1", "One", CueStage::NotStarted),
                     test::sampleCue("2", "Two", CueStage::Composing), test::sampleCue("3", "Three", CueStage::Mixed)};
    theirs = mine = start;
    const QDateTime at(QDate(2024, 3, 1), QTime(9, 0), Qt::UTC);

    QList<Cue>& their = in(theirs, "A").items;
    their[0].title = "One, retitled there";
    their[1].setStage(CueStage::Revising, at);
    their[2].versions.append(CueVersion{QUuid::createUuid(), 2, at, "their take"});
    their.append(test::sampleCue("4", "Added there", CueStage::NotStarted));
    QList<Cue>& my = in(mine, "A").items;
    my[1].title = "Two, retitled here";
    my[1].duration = 95;
    my[2].versions.append(CueVersion{QUuid::createUuid(), 2, at.addSecs(5), "my take"});
    my.prepend(test::sampleCue("0", "Added here", CueStage::NotStarted));

    Library result = LibraryMerge::merge(start, theirs, mine);
    const QList<Cue>& merged = in(result, "A").items;
    ASSERT_EQ(merged.size(), 5);
    EXPECT_EQ(merged[0].title, "Added here");
    EXPECT_EQ(merged[1].title, "One, retitled there");
    EXPECT_EQ(merged[2].title, "Two, retitled here");
    EXPECT_EQ(merged[2].duration, 95);
    EXPECT_EQ(merged[2].stage, CueStage::Revising);
    ASSERT_EQ(merged[3].versions.size(), 2) << "versions added on both sides are kept";
    EXPECT_TRUE(merged[3].versions.contains(in(mine, "A").items[3].versions.first()));
    EXPECT_TRUE(merged[3].versions.contains(in(theirs, "A").items[2].versions.first()));
    EXPECT_EQ(merged[4].title, "Added there");
}

TEST_F(LibraryMergeTest, CueDeletedOnOneSideGoesUnlessTheOtherSideChangedIt) {
    Library start = base;
    in(start, "A").items = {test::sampleCue("1", "One", CueStage::NotStarted),
                            test::sampleCue("2", "Two", CueStage::NotStarted),
                            test::sampleCue("3", "Three", CueStage::NotStarted)};
    theirs = mine = start;
    in(theirs, "A").items.removeAt(0); // unchanged here: gone
    in(theirs, "A").items[1].title = "Three, edited there"; // deleted here: kept
    in(mine, "A").items.removeAt(2);
    in(mine, "A").notes = "mine";

    const Library merged = LibraryMerge::merge(start, theirs, mine);
    QStringList titles;
    for (const Cue& cue : merged.projects.first().items)
        titles << cue.title;
    EXPECT_EQ(titles, (QStringList{"Two", "Three, edited there"}));
    EXPECT_EQ(merged.projects.first().notes, "mine");
}

TEST_F(LibraryMergeTest, LogEntriesOfBothSidesAreKeptNewestFirst) {
    const QDateTime at(QDate(2024, 3, 1), QTime(9, 0), Qt::UTC);
    Library start = base;
    in(start, "A").log = {LogEntry{QUuid::createUuid(), at, "first", 0}};
    theirs = mine = start;
    // The other program wrote its note before this one's, but it is new to the merge.
    in(theirs, "A").log.prepend(LogEntry{QUuid::createUuid(), at.addSecs(60), "theirs", 0.1});
    in(mine, "A").log.prepend(LogEntry{QUuid::createUuid(), at.addSecs(120), "mine", 0.2});
    in(mine, "A").log.prepend(LogEntry{QUuid::createUuid(), at.addSecs(30 * 60), "mine later", 0.3});

    const Library merged = LibraryMerge::merge(start, theirs, mine);
    QStringList texts;
    for (const LogEntry& entry : merged.projects.first().log)
        texts << entry.text;
    EXPECT_EQ(texts, (QStringList{"mine later", "mine", "theirs", "first"}));
}

TEST_F(LibraryMergeTest, CueOrderComesFromTheSideThatChangedIt) {
    Library start = base;
    in(start, "A").items = {test::sampleCue("1", "One", CueStage::NotStarted),
                            test::sampleCue("2", "Two", CueStage::NotStarted),
                            test::sampleCue("3", "Three", CueStage::NotStarted)};
    const auto titles = [&](const Library& library) {
        QStringList result;
        for (const Cue& cue : library.projects.first().items)
            result << cue.title;
        return result;
    };

    // Reordered there, a cue edited and one added here.
    theirs = mine = start;
    std::reverse(in(theirs, "A").items.begin(), in(theirs, "A").items.end());
    in(mine, "A").items[0].title = "One edited";
    in(mine, "A").items.insert(2, test::sampleCue("2a", "Two and a half", CueStage::NotStarted));
    EXPECT_EQ(titles(LibraryMerge::merge(start, theirs, mine)),
              (QStringList{"Three", "Two", "Two and a half", "One edited"}));

    // Reordered here, a cue edited there.
    theirs = mine = start;
    in(mine, "A").items.move(0, 2);
    in(theirs, "A").items[1].title = "Two edited";
    EXPECT_EQ(titles(LibraryMerge::merge(start, theirs, mine)), (QStringList{"Two edited", "Three", "One"}));

    // Reordered on both sides: mine.
    theirs = mine = start;
    in(mine, "A").items.move(0, 2);
    in(theirs, "A").items.move(2, 0);
    EXPECT_EQ(titles(LibraryMerge::merge(start, theirs, mine)), (QStringList{"Two", "Three", "One"}));
}

TEST_F(LibraryMergeTest, TwoFocusChoicesLeaveOnlyMineFocusedAndTheOtherLogged) {
    in(base, "C").isFocused = true;
    theirs = mine = base;
    in(theirs, "C").isFocused = false;
    in(theirs, "A").isFocused = true;
    in(mine, "C").isFocused = false;
    in(mine, "B").isFocused = true;

    testing::internal::CaptureStderr();
    Library merged = LibraryMerge::merge(base, theirs, mine);
    const QString log = QString::fromStdString(testing::internal::GetCapturedStderr());
    EXPECT_FALSE(in(merged, "A").isFocused);
    EXPECT_TRUE(in(merged, "B").isFocused);
    EXPECT_FALSE(in(merged, "C").isFocused);
    const QString setAside = QStringLiteral("project \"A\" (%1)").arg(RecordCoding::idText(in(base, "A").id));
    EXPECT_TRUE(log.contains(setAside) && log.contains("focus")) << log.toStdString();

    // Only the other side chose: its choice stands, and the one focused before lets go there.
    mine = base;
    in(mine, "B").notes = "mine";
    merged = LibraryMerge::merge(base, theirs, mine);
    EXPECT_TRUE(in(merged, "A").isFocused);
    EXPECT_FALSE(in(merged, "C").isFocused);
}

TEST_F(LibraryMergeTest, DeletedOnOneSideAndUnchangedOnTheOtherStaysDeleted) {
    remove(theirs, "A");
    remove(mine, "C");
    in(mine, "B").notes = "mine";
    EXPECT_EQ(names(LibraryMerge::merge(base, theirs, mine)), (QStringList{"B:mine"}));
}

TEST_F(LibraryMergeTest, DeletedOnOneSideButChangedOnTheOtherIsKept) {
    remove(theirs, "A");
    in(mine, "A").notes = "mine";
    remove(mine, "C");
    in(theirs, "C").notes = "theirs";
    EXPECT_EQ(names(LibraryMerge::merge(base, theirs, mine)), (QStringList{"A:mine", "B:", "C:theirs"}));
}

TEST_F(LibraryMergeTest, NewRecordsOfBothSidesAreKeptNearTheirNeighbours) {
    mine.projects.prepend(projectWithCue("Mine new"));
    theirs.projects.insert(2, projectWithCue("Theirs new"));
    theirs.projects.prepend(projectWithCue("Theirs first"));
    EXPECT_EQ(names(LibraryMerge::merge(base, theirs, mine)),
              (QStringList{"Theirs first:", "Mine new:", "A:", "B:", "Theirs new:", "C:"}));
}

TEST_F(LibraryMergeTest, OneSideUnchangedGivesTheOtherExactly) {
    std::swap(mine.projects[0], mine.projects[2]);
    remove(mine, "B");
    EXPECT_EQ(LibraryMerge::merge(base, theirs, mine), mine);
    theirs.types.removeLast();
    EXPECT_EQ(LibraryMerge::merge(base, theirs, base), theirs);
}

TEST_F(LibraryMergeTest, TypesMergeByIdLikeProjects) {
    theirs.types[0].title = "Renamed there";
    mine.types.removeLast();
    ProjectType added{QUuid::createUuid(), "Mine", "tag", "FF0000"};
    mine.types.append(added);
    const Library merged = LibraryMerge::merge(base, theirs, mine);
    ASSERT_EQ(merged.types.size(), base.types.size());
    EXPECT_EQ(merged.types.first().title, "Renamed there");
    EXPECT_EQ(merged.types.last(), added);
    EXPECT_FALSE(merged.types.contains(base.types.last()));
}

// A hand-edited file may hold two records with one id (a project copied to
// start another); both are the user's and neither may vanish in a merge.
TEST_F(LibraryMergeTest, RecordsSharingAnIdAreAllKept) {
    AudioProject copy = base.projects.at(1);
    copy.name = "B copy";
    base.projects.append(copy);
    theirs = base;
    mine = base;
    in(theirs, "A").notes = "theirs";
    in(mine, "C").notes = "mine";
    EXPECT_EQ(names(LibraryMerge::merge(base, theirs, mine)), (QStringList{"A:theirs", "B:", "C:mine", "B copy:"}));

    in(theirs, "B copy").notes = "theirs";
    in(mine, "B").notes = "mine";
    EXPECT_EQ(names(LibraryMerge::merge(base, theirs, mine)),
              (QStringList{"A:theirs", "B:mine", "C:mine", "B copy:theirs"}));

    remove(theirs, "B copy");
    EXPECT_EQ(names(LibraryMerge::merge(base, theirs, mine)), (QStringList{"A:theirs", "B:mine", "C:mine"}));
}

} // namespace
} // namespace sorvel
