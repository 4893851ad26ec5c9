#include "core/LibraryMerge.h"
#include "support/SampleRecords.h"

#include <gtest/gtest.h>

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

TEST_F(LibraryMergeTest, ChangedOnBothSidesMineWinsWholly) {
    in(theirs, "A").notes = "theirs";
    in(theirs, "A").items.first().title = "Their title";
    in(mine, "A").notes = "mine";
    const Library merged = LibraryMerge::merge(base, theirs, mine);
    EXPECT_EQ(merged.projects.first(), mine.projects.first());
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
