#include "support/LibraryFixture.h"

#include "app/library/ProjectSort.h"

#include <utility>

namespace sorvel::test {
namespace {

using ProjectSortTest = LibraryTest;

AudioProject withProgress(const QString& name, double progress) {
    return project(name, [progress](AudioProject& p) {
        p.progressMode = ProgressMode::Manual;
        p.manualProgress = progress;
    });
}

QList<AudioProject> sortedBy(const QList<AudioProject>& projects, ProjectSort sort, bool ascending,
                             const QList<ProjectType>& types = ProjectType::defaults()) {
    ProjectSortState state{sort, ascending};
    return state.apply(projects, types);
}

// Clicks a column title and returns what the list then sorts by and in which direction.
std::pair<ProjectSort, bool> click(ProjectSortState& state, ProjectSort column) {
    state.clickColumn(column);
    return {state.sort, state.ascending};
}

TEST_F(ProjectSortTest, EachTitleCyclesThroughItsFirstDirectionTheOtherAndTheShelfOrder) {
    using Sorting = std::pair<ProjectSort, bool>;
    ProjectSortState state;
    EXPECT_EQ(click(state, ProjectSort::Name), Sorting(ProjectSort::Name, true));
    EXPECT_EQ(click(state, ProjectSort::Name), Sorting(ProjectSort::Name, false));
    // Back to the shelf order; the direction is left as it was.
    EXPECT_EQ(click(state, ProjectSort::Name), Sorting(ProjectSort::Default, false));

    EXPECT_EQ(click(state, ProjectSort::Progress), Sorting(ProjectSort::Progress, false));
    EXPECT_EQ(click(state, ProjectSort::Progress), Sorting(ProjectSort::Progress, true));
    EXPECT_EQ(click(state, ProjectSort::Progress), Sorting(ProjectSort::Default, true));
}

TEST_F(ProjectSortTest, AnotherColumnStartsInItsOwnFirstDirection) {
    using Sorting = std::pair<ProjectSort, bool>;
    ProjectSortState state;
    click(state, ProjectSort::Name);
    click(state, ProjectSort::Name); // descending
    EXPECT_EQ(click(state, ProjectSort::Type), Sorting(ProjectSort::Type, true));
    EXPECT_EQ(click(state, ProjectSort::Updated), Sorting(ProjectSort::Updated, false));
    for (ProjectSort descendingFirst : {ProjectSort::Progress, ProjectSort::Mixed, ProjectSort::Delivered,
                                        ProjectSort::Duration, ProjectSort::Updated})
        EXPECT_FALSE(firstClickAscending(descendingFirst));
    for (ProjectSort ascendingFirst :
         {ProjectSort::Name, ProjectSort::Type, ProjectSort::Status, ProjectSort::Deadline})
        EXPECT_TRUE(firstClickAscending(ascendingFirst));
}

TEST_F(ProjectSortTest, DescendingIsTheAscendingOrderReversedTiesIncluded) {
    const QList<AudioProject> shelf{withProgress("tieFirst", 0.5), withProgress("high", 0.9),
                                    withProgress("tieSecond", 0.5), withProgress("low", 0.1)};
    EXPECT_EQ(names(sortedBy(shelf, ProjectSort::Progress, false)), "high|tieSecond|tieFirst|low");
    EXPECT_EQ(names(sortedBy(shelf, ProjectSort::Progress, true)), "low|tieFirst|tieSecond|high");
    EXPECT_EQ(names(sortedBy(shelf, ProjectSort::Default, false)), "tieFirst|high|tieSecond|low");
}

TEST_F(ProjectSortTest, MissingDeadlinesComeLastAscendingAndFirstDescending) {
    const QDateTime soon = Clock::now().addDays(2);
    const QList<AudioProject> shelf{project("none"),
                                    project("later", [&](AudioProject& p) { p.deadline = soon.addDays(5); }),
                                    project("sooner", [&](AudioProject& p) { p.deadline = soon; })};
    EXPECT_EQ(names(sortedBy(shelf, ProjectSort::Deadline, true)), "sooner|later|none");
    EXPECT_EQ(names(sortedBy(shelf, ProjectSort::Deadline, false)), "none|later|sooner");
}

TEST_F(ProjectSortTest, NamesCompareLikeFileNames) {
    const QList<AudioProject> shelf{project("Cue 10"), project("cue 2"), project("Banana"), project("apple")};
    EXPECT_EQ(names(sortedBy(shelf, ProjectSort::Name, true)), "apple|Banana|cue 2|Cue 10");

    // Names that differ only in letter case still have a fixed order: only identical names tie.
    const ProjectSortOrder order(ProjectSort::Name, ProjectType::defaults());
    const AudioProject lower = project("mix"), upper = project("MIX"), same = project("mix");
    EXPECT_NE(order(lower, upper), order(upper, lower));
    EXPECT_FALSE(order(lower, same));
    EXPECT_FALSE(order(same, lower));
}

TEST_F(ProjectSortTest, TypesFollowTheUsersOrderAndUnknownTypesSortWithTheFirst) {
    QList<ProjectType> types = ProjectType::defaults();
    std::reverse(types.begin(), types.end()); // "其他" first, "配乐" last
    const QList<AudioProject> shelf{project("music"),
                                    project("other", [](AudioProject& p) { p.typeID = ProjectType::otherID; }),
                                    project("unknown", [](AudioProject& p) { p.typeID = QUuid::createUuid(); }),
                                    project("sfx", [](AudioProject& p) { p.typeID = ProjectType::sfxID; })};
    EXPECT_EQ(names(sortedBy(shelf, ProjectSort::Type, true, types)), "other|unknown|sfx|music");
}

TEST_F(ProjectSortTest, StatusFollowsTheWorkflowOrder) {
    const auto with = [](const QString& name, ProjectStatus status) {
        return project(name, [status](AudioProject& p) { p.status = status; });
    };
    const QList<AudioProject> shelf{with("done", ProjectStatus::Done), with("review", ProjectStatus::Review),
                                    with("notStarted", ProjectStatus::NotStarted),
                                    with("inProgress", ProjectStatus::InProgress)};
    EXPECT_EQ(names(sortedBy(shelf, ProjectSort::Status, true)), "notStarted|inProgress|review|done");
}

TEST_F(ProjectSortTest, CountsAndDurationsSortByTheirValues) {
    const auto withCues = [](const QString& name, QList<CueStage> stages, qint64 seconds) {
        return project(name, [&](AudioProject& p) {
            for (const CueStage stage : stages) {
                Cue cue;
                cue.id = QUuid::createUuid();
                cue.stage = stage;
                cue.duration = seconds;
                p.items.append(cue);
            }
        });
    };
    const QList<AudioProject> shelf{withCues("oneMixed", {CueStage::Mixed, CueStage::Composing}, 10),
                                    withCues("twoDelivered", {CueStage::Delivered, CueStage::Delivered}, 100),
                                    withCues("none", {}, 0)};
    EXPECT_EQ(names(sortedBy(shelf, ProjectSort::Mixed, false)), "twoDelivered|oneMixed|none");
    EXPECT_EQ(names(sortedBy(shelf, ProjectSort::Delivered, false)), "twoDelivered|none|oneMixed");
    EXPECT_EQ(names(sortedBy(shelf, ProjectSort::Duration, true)), "none|oneMixed|twoDelivered");
}

} // namespace
} // namespace sorvel::test
