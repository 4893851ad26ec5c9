#include "core/AudioProject.h"
#include "core/Clock.h"
#include "core/CueTime.h"
#include "core/ProjectType.h"
#include "support/SampleRecords.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

namespace sorvel {
namespace {

using test::cueAt;

AudioProject projectWith(const QList<CueStage>& stages) {
    AudioProject project = AudioProject::make(QStringLiteral("Film"), ProjectType::musicID);
    for (const CueStage stage : stages)
        project.items.append(cueAt(stage));
    return project;
}

QDateTime anHourAgo() {
    return Clock::now().addSecs(-3600);
}

TEST(ProjectRules, MakeStartsFromTheDefaults) {
    const AudioProject project = AudioProject::make(QStringLiteral("Doc"), ProjectType::sfxID);
    EXPECT_FALSE(project.id.isNull());
    EXPECT_EQ(project.typeID, ProjectType::sfxID);
    EXPECT_EQ(project.status, ProjectStatus::NotStarted);
    EXPECT_EQ(project.createdAt, project.updatedAt);
    EXPECT_LE(qAbs(project.createdAt.secsTo(Clock::now())), 2);
    EXPECT_EQ(project.progressMode, ProgressMode::Auto);
    EXPECT_TRUE(project.isActive());
    EXPECT_NE(AudioProject::make(QString(), QUuid()).id, project.id);
}

TEST(ProjectRules, OverdueOnlyBeforeTheStartOfToday) {
    AudioProject project = projectWith({});
    EXPECT_FALSE(project.isOverdue());

    project.deadline = Clock::startOfToday().addSecs(-60).toUTC(); // yesterday 23:59
    EXPECT_TRUE(project.isOverdue());

    project.deadline = Clock::startOfToday().toUTC(); // today 00:00
    EXPECT_FALSE(project.isOverdue());
    project.deadline = Clock::startOfToday().addSecs(23 * 3600).toUTC();
    EXPECT_FALSE(project.isOverdue());

    project.deadline = Clock::startOfToday().addDays(-10);
    project.status = ProjectStatus::Done;
    EXPECT_FALSE(project.isOverdue());
    project.status = ProjectStatus::Review;
    project.archivedAt = anHourAgo();
    EXPECT_FALSE(project.isOverdue());
    EXPECT_FALSE(project.isActive());
}

TEST(ProjectRules, CountsProgressAndSummaryFromTheCues) {
    AudioProject project =
        projectWith({CueStage::Delivered, CueStage::Mixed, CueStage::Composing, CueStage::NotStarted});
    EXPECT_DOUBLE_EQ(project.progress(), 0.25);
    EXPECT_EQ(project.doneCount(), 1);
    EXPECT_EQ(project.mixedCount(), 2);
    EXPECT_EQ(project.totalDuration(), 0);
    EXPECT_EQ(project.cueSummary(), QStringLiteral("交付 1/4 · 录混 2/4"));
    ASSERT_NE(project.nextItem(), nullptr);
    EXPECT_EQ(project.nextItem()->id, project.items.at(1).id);

    project.items[2].duration = 500;
    project.items[3].duration = 250;
    EXPECT_EQ(project.cueSummary(), QStringLiteral("交付 1/4 · 录混 2/4 · 12′30″"));

    EXPECT_EQ(projectWith({}).cueSummary(), QStringLiteral("暂无 cue"));
    EXPECT_EQ(projectWith({}).progress(), 0);
    EXPECT_EQ(projectWith({}).nextItem(), nullptr);
    EXPECT_EQ(projectWith({CueStage::Delivered}).nextItem(), nullptr);
}

TEST(ProjectRules, ProgressFollowsStatusThenMode) {
    AudioProject project = projectWith({CueStage::Delivered, CueStage::Composing});
    project.progressMode = ProgressMode::Manual;
    project.manualProgress = 0.3;
    EXPECT_DOUBLE_EQ(project.progress(), 0.3);

    project.status = ProjectStatus::Done;
    EXPECT_EQ(project.progress(), 1.0);
    project.progressMode = ProgressMode::Auto;
    EXPECT_EQ(project.progress(), 1.0);
}

TEST(ProjectRules, ManualProgressOutOfRangeIsClampedWithoutRewriting) {
    AudioProject project = projectWith({});
    project.progressMode = ProgressMode::Manual;
    const QList<std::pair<double, double>> cases{
        {5, 1},
        {-3, 0},
        {1e300, 1},
        {std::numeric_limits<double>::quiet_NaN(), 0},
        {std::numeric_limits<double>::infinity(), 0},
        {-std::numeric_limits<double>::infinity(), 0},
    };
    for (const auto& [stored, shown] : cases) {
        project.manualProgress = stored;
        EXPECT_EQ(project.progress(), shown) << stored;
    }
    EXPECT_TRUE(std::isinf(project.manualProgress));
}

TEST(ProjectRules, HandEditedLengthsCountAsTheyAreShown) {
    constexpr qint64 largest = std::numeric_limits<qint64>::max();
    constexpr qint64 lowest = std::numeric_limits<qint64>::min();
    AudioProject project = projectWith({});
    // A negative length shows as 00:00 and adds nothing; a huge one shows and adds the longest shown.
    project.items = {cueAt(CueStage::NotStarted, -5), cueAt(CueStage::NotStarted, 1500),
                     cueAt(CueStage::NotStarted, 10'000'000'000), cueAt(CueStage::NotStarted, 1231)};
    EXPECT_EQ(CueTime::length(-5), 0);
    EXPECT_EQ(CueTime::length(10'000'000'000), CueTime::longest);
    EXPECT_EQ(CueTime::format(CueTime::longest), QStringLiteral("99:59:59"));
    EXPECT_EQ(project.totalDuration(), 1500 + CueTime::longest + 1231);
    project.items.removeAt(2);
    EXPECT_EQ(project.totalDuration(), 1500 + 1231);
    EXPECT_EQ(project.cueSummary(), QStringLiteral("交付 0/3 · 录混 0/3 · 45′31″"));
    EXPECT_EQ(project.items.at(0).duration, -5) << "the stored value stays as the file has it";

    // Whatever the extremes and their order, the sum neither wraps nor goes below zero.
    project.items = {cueAt(CueStage::NotStarted, largest), cueAt(CueStage::NotStarted, largest),
                     cueAt(CueStage::NotStarted, lowest)};
    EXPECT_EQ(project.totalDuration(), 2 * CueTime::longest);
    project.items = {cueAt(CueStage::NotStarted, lowest), cueAt(CueStage::NotStarted, -1)};
    EXPECT_EQ(project.totalDuration(), 0);
    EXPECT_EQ(project.cueSummary(), QStringLiteral("交付 0/2 · 录混 0/2"));
    EXPECT_FALSE(CueTime::length(std::nullopt).has_value());
}

TEST(ProjectRules, TouchStartsWorkOnlyWhenThereIsProgress) {
    AudioProject project = projectWith({CueStage::Mixed, CueStage::NotStarted});
    project.updatedAt = anHourAgo();
    project.touch();
    EXPECT_EQ(project.status, ProjectStatus::NotStarted);
    EXPECT_LE(qAbs(project.updatedAt.secsTo(Clock::now())), 2);

    project.advanceCue(project.items.at(0).id); // mixed → delivered, touches
    EXPECT_EQ(project.items.at(0).stage, CueStage::Delivered);
    EXPECT_EQ(project.status, ProjectStatus::InProgress);

    project.status = ProjectStatus::Review;
    project.touch();
    EXPECT_EQ(project.status, ProjectStatus::Review);
}

TEST(ProjectRules, SetStatusDoneLogsOnceAndLeavingClearsCompletion) {
    AudioProject project = projectWith({CueStage::Composing});
    project.setStatus(ProjectStatus::Done);
    ASSERT_EQ(project.log.size(), 1);
    EXPECT_EQ(project.log.first().text, QStringLiteral("完成"));
    EXPECT_EQ(project.log.first().progress, 1.0);
    ASSERT_TRUE(project.completedAt);

    const QDateTime stamp = anHourAgo();
    project.updatedAt = stamp;
    project.setStatus(ProjectStatus::Done);
    EXPECT_EQ(project.log.size(), 1);
    EXPECT_EQ(project.updatedAt, stamp); // no stamp when nothing changes

    project.setStatus(ProjectStatus::Review);
    EXPECT_FALSE(project.completedAt);
    EXPECT_EQ(project.log.size(), 1);
    EXPECT_GT(project.updatedAt, Clock::now().addSecs(-5));
}

TEST(ProjectRules, NotStartedWithProgressFallsBackToInProgress) {
    AudioProject project = projectWith({CueStage::Delivered});
    project.status = ProjectStatus::Review;
    project.setStatus(ProjectStatus::NotStarted);
    EXPECT_EQ(project.status, ProjectStatus::InProgress);
}

TEST(ProjectRules, AdvanceCueRunsTheCycleAndTogglesDelivery) {
    AudioProject project = projectWith({CueStage::NotStarted});
    const QUuid id = project.items.first().id;
    const QList<CueStage> expected{CueStage::Composing, CueStage::Revising, CueStage::Mixed,
                                   CueStage::Delivered, CueStage::Mixed,    CueStage::Delivered};
    std::optional<QDateTime> firstMix;
    for (const CueStage stage : expected) {
        project.advanceCue(id);
        const Cue& cue = project.items.first();
        EXPECT_EQ(cue.stage, stage);
        EXPECT_TRUE(cue.startDate);
        if (stage == CueStage::Mixed) {
            ASSERT_TRUE(cue.mixedAt);
            EXPECT_FALSE(cue.deliveredAt);
            if (!firstMix)
                firstMix = cue.mixedAt;
            EXPECT_EQ(cue.mixedAt, firstMix); // kept when stepping back from delivered
        }
    }
}

TEST(ProjectRules, UnknownCueChangesNothing) {
    AudioProject project = projectWith({CueStage::Composing});
    project.updatedAt = anHourAgo();
    const AudioProject before = project;
    project.advanceCue(QUuid::createUuid());
    bool called = false;
    project.updateCue(QUuid::createUuid(), [&called](Cue&) { called = true; });
    EXPECT_FALSE(called);
    EXPECT_EQ(project, before);

    project.updateCue(project.items.first().id, [](Cue& cue) { cue.title = QStringLiteral("Main"); });
    EXPECT_EQ(project.items.first().title, QStringLiteral("Main"));
    EXPECT_GT(project.updatedAt, before.updatedAt);
}

TEST(ProjectRules, AddCueNumbersAfterTheLastCue) {
    AudioProject project = projectWith({});
    const QUuid first = project.addCue(QStringLiteral("  Opening "));
    ASSERT_EQ(project.items.size(), 1);
    const Cue& cue = project.items.first();
    EXPECT_EQ(cue.id, first);
    EXPECT_EQ(cue.number, QStringLiteral("1"));
    EXPECT_EQ(cue.title, QStringLiteral("  Opening "));
    EXPECT_EQ(cue.stage, CueStage::NotStarted);
    EXPECT_TRUE(cue.startDate);
    EXPECT_FALSE(cue.mixedAt);

    project.items.last().number = QStringLiteral("1M09");
    project.addCue(QString());
    EXPECT_EQ(project.items.last().number, QStringLiteral("1M10"));

    project.items.last().number = QString();
    project.addCue(QString());
    EXPECT_EQ(project.items.size(), 3);
    EXPECT_EQ(project.items.last().number, QStringLiteral("3"));
}

TEST(ProjectRules, DeepLinkUsesTheUpperCaseIdentifier) {
    AudioProject project = projectWith({});
    project.id = QUuid::fromString(QStringLiteral("6f9619ff-8b86-d011-b42d-00c04fc964ff"));
    EXPECT_EQ(project.deepLink().toString(), QStringLiteral("sorvel://project/6F9619FF-8B86-D011-B42D-00C04FC964FF"));
}

TEST(ProjectRules, ActiveSortedPutsFocusFirstThenLatest) {
    const QDateTime nine = Clock::startOfToday().addSecs(9 * 3600);
    auto project = [](const QString& name, const QDateTime& updated) {
        AudioProject p = AudioProject::make(name, ProjectType::musicID);
        p.updatedAt = updated;
        return p;
    };
    AudioProject a = project(QStringLiteral("A"), nine.addSecs(3600));
    AudioProject b = project(QStringLiteral("B"), nine);
    b.isFocused = true;
    AudioProject c = project(QStringLiteral("C"), nine.addSecs(7200));
    AudioProject d = project(QStringLiteral("D"), nine.addSecs(9000));
    d.status = ProjectStatus::Done;
    AudioProject e = project(QStringLiteral("E"), nine.addSecs(3600)); // ties with A
    AudioProject f = project(QStringLiteral("F"), nine.addSecs(9000));
    f.archivedAt = nine;

    QStringList names;
    for (const AudioProject& p : activeSorted({a, b, c, d, e, f}))
        names.append(p.name);
    EXPECT_EQ(names, (QStringList{"B", "C", "A", "E"}));
}

TEST(ProjectRules, FirstActiveSortedIsTheHeadOfActiveSorted) {
    std::mt19937 random(11);
    const QDateTime nine = Clock::startOfToday().addSecs(9 * 3600);
    for (int round = 0; round < 40; ++round) {
        QList<AudioProject> projects;
        const int count = std::uniform_int_distribution<int>(0, 30)(random);
        for (int i = 0; i < count; ++i) {
            AudioProject p = AudioProject::make(QString::number(i), ProjectType::musicID);
            // Few distinct times, so that ties are common.
            p.updatedAt = nine.addSecs(600 * std::uniform_int_distribution<int>(0, 5)(random));
            p.isFocused = std::uniform_int_distribution<int>(0, 9)(random) == 0;
            p.status = allProjectStatuses().at(std::uniform_int_distribution<int>(0, 3)(random));
            if (std::uniform_int_distribution<int>(0, 5)(random) == 0)
                p.archivedAt = nine;
            projects.append(p);
        }
        const QList<AudioProject> sorted = activeSorted(projects);
        for (const qsizetype first : {qsizetype(0), qsizetype(1), qsizetype(5), sorted.size(), sorted.size() + 3}) {
            SCOPED_TRACE(testing::Message() << "round " << round << ", first " << first);
            EXPECT_EQ(firstActiveSorted(projects, first), sorted.mid(0, first));
        }
    }
}

} // namespace
} // namespace sorvel
