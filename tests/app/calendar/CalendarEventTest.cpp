#include "app/calendar/CalendarEvent.h"
#include "core/Clock.h"
#include "studio/Studio.h"
#include "support/AppViewFixture.h"

#include <gtest/gtest.h>

namespace sorvel::test {
namespace {

using Kind = CalendarEvent::Kind;

QDateTime at(const QDate& day, int hour) {
    return QDateTime(day, QTime(hour, 0));
}

QColor musicColor() {
    return Studio::typeColor(ProjectType::find(ProjectType::defaults(), ProjectType::musicID));
}

Cue cue(const QString& number, const QString& title) {
    Cue c;
    c.id = QUuid::createUuid();
    c.number = number;
    c.title = title;
    return c;
}

class CalendarEvents : public AppViewTest {
protected:
    TypeRegistry registry;
};

TEST_F(CalendarEvents, OneProjectGivesDeadlineThenEachCueStartedMixedDelivered) {
    const QDate day(2027, 2, 10);
    AudioProject project = AudioProject::make(QStringLiteral("Farming"), ProjectType::musicID);
    project.status = ProjectStatus::Done; // a past deadline of a done project keeps the type colour
    project.deadline = at(day, 18);
    Cue first = cue(QStringLiteral("1M1"), QStringLiteral("Dawn"));
    first.startDate = at(day, 9);
    first.mixedAt = at(day, 11);
    first.deliveredAt = at(day, 23);
    Cue second = cue(QString(), QStringLiteral("Dusk"));
    second.startDate = at(day, 1);
    project.items = {first, second};

    const CalendarEvent::Days days = CalendarEvent::collect({project}, registry);
    ASSERT_EQ(days.size(), 1);
    const QList<CalendarEvent> events = days.value(day);
    ASSERT_EQ(events.size(), 5);
    const QList<Kind> kinds{Kind::Deadline, Kind::Started, Kind::Mixed, Kind::Delivered, Kind::Started};
    for (int i = 0; i < events.size(); ++i) {
        EXPECT_EQ(events[i].kind, kinds[i]) << i;
        EXPECT_EQ(events[i].color, musicColor()) << i;
        EXPECT_EQ(events[i].projectID, project.id);
        EXPECT_EQ(events[i].projectName, QStringLiteral("Farming"));
    }
    EXPECT_FALSE(events[0].cueLabel.has_value());
    EXPECT_EQ(events[1].cueLabel, QStringLiteral("1M1  Dawn"));
    EXPECT_EQ(events[3].cueLabel, QStringLiteral("1M1  Dawn"));
    EXPECT_EQ(events[4].cueLabel, QStringLiteral("  Dusk")); // no number keeps the two spaces
}

TEST_F(CalendarEvents, OverdueDeadlinesAreRedAndArchivedProjectsShowOnlyCueDates) {
    const QDateTime yesterday = Clock::startOfToday().addDays(-1).addSecs(3600);
    AudioProject late = AudioProject::make(QStringLiteral("Late"), ProjectType::musicID);
    late.deadline = yesterday;
    AudioProject dueToday = AudioProject::make(QStringLiteral("Today"), ProjectType::musicID);
    dueToday.deadline = Clock::startOfToday().addSecs(60);
    AudioProject archived = AudioProject::make(QStringLiteral("Shelved"), ProjectType::musicID);
    archived.deadline = yesterday;
    archived.archivedAt = Clock::now();
    Cue delivered = cue(QStringLiteral("2"), QStringLiteral("End"));
    delivered.deliveredAt = yesterday;
    archived.items = {delivered};

    const CalendarEvent::Days days = CalendarEvent::collect({late, dueToday, archived}, registry);
    const QList<CalendarEvent> before = days.value(yesterday.toLocalTime().date());
    ASSERT_EQ(before.size(), 2);
    EXPECT_EQ(before[0].kind, Kind::Deadline);
    EXPECT_EQ(before[0].color, Studio::systemRed());
    EXPECT_EQ(before[1].kind, Kind::Delivered);
    EXPECT_EQ(before[1].projectName, QStringLiteral("Shelved"));
    const QList<CalendarEvent> today = days.value(Clock::startOfToday().date());
    ASSERT_EQ(today.size(), 1);
    EXPECT_EQ(today[0].color, musicColor());
    // The kind keeps its own colour whatever an entry shows.
    EXPECT_EQ(CalendarEvent::kindColor(Kind::Deadline), Studio::text());
    EXPECT_NE(CalendarEvent::kindColor(Kind::Deadline), before[0].color);
}

TEST_F(CalendarEvents, ProjectsKeepTheirArrayOrderAndTypesFallBack) {
    const QDate day(2099, 5, 4); // far ahead: never overdue
    AudioProject zed = AudioProject::make(QStringLiteral("Zed"), QUuid::createUuid()); // type gone
    zed.deadline = at(day, 23);
    AudioProject able = AudioProject::make(QStringLiteral("Able"), ProjectType::sfxID);
    able.deadline = at(day, 0);
    const QList<CalendarEvent> events = CalendarEvent::collect({zed, able}, registry).value(day);
    ASSERT_EQ(events.size(), 2);
    EXPECT_EQ(events[0].projectName, QStringLiteral("Zed"));
    EXPECT_EQ(events[0].color, Studio::typeColor(registry.types().first()));
    EXPECT_EQ(events[1].color, Studio::typeColor(registry.type(ProjectType::sfxID)));

    QList<ProjectType> types = ProjectType::defaults();
    types[0].colorHex = QStringLiteral("no colour");
    registry.setTypes(types);
    const QList<CalendarEvent> grey = CalendarEvent::collect({zed}, registry).value(day);
    ASSERT_EQ(grey.size(), 1);
    EXPECT_EQ(grey[0].color, Studio::systemGray());
}

TEST_F(CalendarEvents, NothingDatedGivesNoDays) {
    AudioProject plain = AudioProject::make(QStringLiteral("Plain"), ProjectType::musicID);
    plain.items = {cue(QStringLiteral("1"), QStringLiteral("Undated"))};
    EXPECT_TRUE(CalendarEvent::collect({}, registry).isEmpty());
    EXPECT_TRUE(CalendarEvent::collect({plain}, registry).isEmpty());
}

} // namespace
} // namespace sorvel::test
