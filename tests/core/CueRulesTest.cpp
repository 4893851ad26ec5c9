#include "core/Clock.h"
#include "core/Cue.h"
#include "core/CueTime.h"
#include "core/ProjectStatus.h"
#include "support/SampleRecords.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <limits>

namespace sorvel {
namespace {

using test::cueAt;

const QDateTime D0 = QDateTime::fromSecsSinceEpoch(1'700'000'000, Qt::UTC);
const QDateTime D1 = D0.addDays(1);
const QDateTime D2 = D0.addDays(2);

bool isRecent(const std::optional<QDateTime>& date) {
    return date && qAbs(date->secsTo(Clock::now())) <= 2;
}

TEST(Enumerations, OrderStoredTextsAndNextStage) {
    EXPECT_LT(CueStage::NotStarted, CueStage::Composing);
    EXPECT_LT(CueStage::Mixed, CueStage::Delivered);
    EXPECT_EQ(nextStage(CueStage::Revising), CueStage::Mixed);
    EXPECT_EQ(nextStage(CueStage::Delivered), std::nullopt);
    for (const CueStage stage : allCueStages())
        EXPECT_EQ(cueStageFromText(storedText(stage)), stage);
    EXPECT_EQ(cueStageFromText(QStringLiteral("Mixed")), std::nullopt);
    EXPECT_EQ(title(CueStage::Mixed), QStringLiteral("已录混"));
    for (const ProjectStatus status : allProjectStatuses())
        EXPECT_EQ(projectStatusFromText(storedText(status)), status);
    EXPECT_EQ(projectStatusFromText(QStringLiteral("paused")), std::nullopt);
    EXPECT_EQ(progressModeFromText(QStringLiteral("manual")), ProgressMode::Manual);
    EXPECT_EQ(storedText(ProjectStatus::InProgress), QStringLiteral("inProgress"));
}

// Stored texts are the file format and titles are what every view shows:
// each case in declaration order, with both texts exactly.
TEST(Enumerations, EveryCaseHasItsStoredTextAndTitle) {
    QStringList stages;
    for (const CueStage stage : allCueStages())
        stages << storedText(stage) + QLatin1Char('=') + title(stage);
    EXPECT_EQ(
        stages,
        (QStringList{"notStarted=未开始", "composing=作曲中", "revising=修改中", "mixed=已录混", "delivered=已交付"}));
    QStringList statuses;
    for (const ProjectStatus status : allProjectStatuses())
        statuses << storedText(status) + QLatin1Char('=') + title(status);
    EXPECT_EQ(statuses, (QStringList{"notStarted=未开始", "inProgress=进行中", "review=待审", "done=已完成"}));
    QStringList modes;
    for (const ProgressMode mode : allProgressModes())
        modes << storedText(mode) + QLatin1Char('=') + title(mode);
    EXPECT_EQ(modes, (QStringList{"auto=按条目", "manual=手动"}));
}

TEST(CueRules, SetStageStampsAndClearsDates) {
    Cue cue = cueAt(CueStage::NotStarted);
    cue.startDate = D0;
    cue.setStage(CueStage::Composing, D1);
    EXPECT_EQ(cue.startDate, D0);

    cue.setStage(CueStage::Delivered, D1);
    EXPECT_EQ(cue.mixedAt, D1);
    EXPECT_EQ(cue.deliveredAt, D1);
    cue.setStage(CueStage::Delivered, D2);
    EXPECT_EQ(cue.deliveredAt, D1); // an existing date is kept

    cue.setStage(CueStage::NotStarted, D2);
    EXPECT_EQ(cue.startDate, D0);
    EXPECT_FALSE(cue.mixedAt);
    EXPECT_FALSE(cue.deliveredAt);

    Cue fresh = cueAt(CueStage::NotStarted);
    fresh.setStage(CueStage::NotStarted, D1);
    EXPECT_FALSE(fresh.startDate);
    fresh.setStage(CueStage::Revising, D1);
    EXPECT_EQ(fresh.startDate, D1);
}

TEST(CueRules, SetDateTable) {
    // A start date never moves the stage.
    Cue cue = cueAt(CueStage::Mixed);
    cue.mixedAt = D0;
    cue.setDate(Cue::DateKind::Start, D1);
    EXPECT_EQ(cue.startDate, D1);
    cue.setDate(Cue::DateKind::Start, std::nullopt);
    EXPECT_FALSE(cue.startDate);
    EXPECT_EQ(cue.stage, CueStage::Mixed);

    // Delivering a composing cue stamps everything missing with the given date.
    Cue composing = cueAt(CueStage::Composing);
    composing.startDate = D0;
    composing.setDate(Cue::DateKind::Delivered, D1);
    EXPECT_EQ(composing.stage, CueStage::Delivered);
    EXPECT_EQ(composing.startDate, D0);
    EXPECT_EQ(composing.mixedAt, D1);
    EXPECT_EQ(composing.deliveredAt, D1);
    composing.setDate(Cue::DateKind::Delivered, D2);
    EXPECT_EQ(composing.deliveredAt, D2);

    // A mix date on a delivered cue only replaces the mix date.
    composing.setDate(Cue::DateKind::Mixed, D0);
    EXPECT_EQ(composing.stage, CueStage::Delivered);
    EXPECT_EQ(composing.mixedAt, D0);
    EXPECT_EQ(composing.deliveredAt, D2);

    // Clearing the delivery steps back to mixed and keeps the mix date.
    composing.setDate(Cue::DateKind::Delivered, std::nullopt);
    EXPECT_EQ(composing.stage, CueStage::Mixed);
    EXPECT_EQ(composing.mixedAt, D0);
    EXPECT_FALSE(composing.deliveredAt);

    // Clearing a delivery that had no mix date stamps the mix now.
    Cue bare = cueAt(CueStage::Delivered);
    bare.setDate(Cue::DateKind::Delivered, std::nullopt);
    EXPECT_EQ(bare.stage, CueStage::Mixed);
    EXPECT_TRUE(isRecent(bare.mixedAt));
}

TEST(CueRules, ClearingTheMixDependsOnRevisions) {
    Cue cue = cueAt(CueStage::NotStarted);
    cue.setDate(Cue::DateKind::Mixed, D1);
    EXPECT_EQ(cue.stage, CueStage::Mixed);
    EXPECT_EQ(cue.startDate, D1);
    cue.setDate(Cue::DateKind::Mixed, std::nullopt);
    EXPECT_EQ(cue.stage, CueStage::Composing);
    EXPECT_FALSE(cue.mixedAt);

    cue.setStage(CueStage::Delivered, D1);
    cue.versions.append(CueVersion{QUuid::createUuid(), 2, D1, QString()});
    cue.setDate(Cue::DateKind::Mixed, std::nullopt);
    EXPECT_EQ(cue.stage, CueStage::Revising);
    EXPECT_FALSE(cue.mixedAt);
    EXPECT_FALSE(cue.deliveredAt);

    // A stored version numbered 1 is not a revision.
    cue.versions.last().number = 1;
    cue.setStage(CueStage::Mixed, D1);
    cue.setDate(Cue::DateKind::Mixed, std::nullopt);
    EXPECT_EQ(cue.stage, CueStage::Composing);
}

TEST(CueRules, AddVersionNumbersAndRevises) {
    Cue cue = cueAt(CueStage::Delivered);
    cue.mixedAt = D0;
    cue.deliveredAt = D0;
    cue.addVersion(QStringLiteral("brighter"), D1);
    ASSERT_EQ(cue.versions.size(), 1);
    EXPECT_EQ(cue.versions.first().number, 2);
    EXPECT_EQ(cue.versions.first().note, QStringLiteral("brighter"));
    EXPECT_EQ(cue.versions.first().date, D1);
    EXPECT_EQ(cue.stage, CueStage::Revising);
    EXPECT_FALSE(cue.mixedAt);
    EXPECT_FALSE(cue.deliveredAt);
    EXPECT_EQ(cue.startDate, D1);

    cue.addVersion(QString(), D2);
    EXPECT_EQ(cue.versions.last().number, 3);
    EXPECT_NE(cue.versions.first().id, cue.versions.last().id);
    EXPECT_EQ(cue.startDate, D1);
}

TEST(CueRules, AddVersionAfterTheLargestNumberSaturates) {
    Cue cue = cueAt(CueStage::Mixed);
    constexpr qint64 largest = std::numeric_limits<qint64>::max();
    cue.versions.append(CueVersion{QUuid::createUuid(), largest, D0, QString()});
    cue.addVersion(QString(), D1);
    ASSERT_EQ(cue.versions.size(), 2);
    EXPECT_EQ(cue.versions.last().number, largest);
}

TEST(CueNumbering, CountsUpTheLastDigitRun) {
    const QList<std::pair<QString, QString>> cases{
        {"1M09", "1M10"},
        {"007", "008"},
        {"12b", "13b"},
        {"A9", "A10"},
        {"99", "100"},
        {"3.9", "3.10"},
        {"R1-2", "R1-3"},
        {"0", "1"},
        {"x-0999-y", "x-1000-y"},
        {"00000000000000000000000001", "00000000000000000000000002"},
    };
    for (const auto& [previous, next] : cases)
        EXPECT_EQ(nextCueNumber(previous, 42), next) << previous.toStdString();
}

TEST(CueNumbering, FallsBackWithoutUsableDigits) {
    EXPECT_EQ(nextCueNumber(std::nullopt, 1), QStringLiteral("1"));
    EXPECT_EQ(nextCueNumber(QStringLiteral("A"), 7), QStringLiteral("7"));
    EXPECT_EQ(nextCueNumber(QString(), 7), QStringLiteral("7"));
    // The last run of digits of any script decides; digits other than ASCII
    // cannot be counted up, so that run gives the fallback rather than an
    // earlier ASCII run.
    EXPECT_EQ(nextCueNumber(QStringLiteral("A٣"), 7), QStringLiteral("7"));
    EXPECT_EQ(nextCueNumber(QStringLiteral("1２"), 7), QStringLiteral("7"));
    EXPECT_EQ(nextCueNumber(QStringLiteral("R1-٣"), 7), QStringLiteral("7"));
    EXPECT_EQ(nextCueNumber(QStringLiteral("M4 \U0001D7D9"), 7), QStringLiteral("7")); // a digit beyond the BMP
    EXPECT_EQ(nextCueNumber(QStringLiteral("٣-4b"), 7), QStringLiteral("٣-5b"));
    // The largest value cannot grow, and a longer run does not fit.
    EXPECT_EQ(nextCueNumber(QStringLiteral("M9223372036854775807"), 5), QStringLiteral("5"));
    EXPECT_EQ(nextCueNumber(QStringLiteral("9223372036854775808"), 5), QStringLiteral("5"));
    EXPECT_EQ(nextCueNumber(QStringLiteral("99999999999999999999999"), 5), QStringLiteral("5"));
    EXPECT_EQ(nextCueNumber(QStringLiteral("9223372036854775806"), 5), QStringLiteral("9223372036854775807"));
}

TEST(CueTime, TotalsAndClockTexts) {
    EXPECT_EQ(CueTime::total(0), QStringLiteral("0′00″"));
    EXPECT_EQ(CueTime::total(245), QStringLiteral("4′05″"));
    EXPECT_EQ(CueTime::total(3599), QStringLiteral("59′59″"));
    EXPECT_EQ(CueTime::total(3600), QStringLiteral("1h00′00″"));
    EXPECT_EQ(CueTime::total(3725), QStringLiteral("1h02′05″"));
    EXPECT_EQ(CueTime::format(59), QStringLiteral("00:59"));
    EXPECT_EQ(CueTime::format(245), QStringLiteral("04:05"));
    EXPECT_EQ(CueTime::format(3725), QStringLiteral("1:02:05"));
    EXPECT_EQ(CueTime::format(36000), QStringLiteral("10:00:00"));
}

TEST(CueTime, NegativeLengthsReadAsZero) {
    EXPECT_EQ(CueTime::total(-65), QStringLiteral("0′00″"));
    EXPECT_EQ(CueTime::format(-65), QStringLiteral("00:00"));
    EXPECT_EQ(CueTime::format(std::numeric_limits<qint64>::min()), QStringLiteral("00:00"));
    EXPECT_EQ(CueTime::format(std::numeric_limits<qint64>::max()), QStringLiteral("2562047788015215:30:07"));
}

} // namespace
} // namespace sorvel
