#include "app/calendar/CalendarDays.h"
#include "app/calendar/CalendarMonth.h"
#include "app/calendar/CalendarPage.h"
#include "app/calendar/DayCell.h"
#include "app/calendar/DayPanel.h"
#include "app/calendar/EventRow.h"
#include "app/calendar/MonthGrid.h"
#include "core/Clock.h"
#include "core/Storage.h"
#include "support/AppViewFixture.h"
#include "support/Waiting.h"

#include <gtest/gtest.h>

#include <random>

namespace sorvel::test {
namespace {

using Kind = CalendarEvent::Kind;

// Random records and random edits around today, so that dates fall inside and
// outside the shown weeks, deadlines are overdue or not, projects are done or archived.
class RandomEdits {
public:
    explicit RandomEdits(unsigned seed) : m_random(seed) {}

    int number(int below) { return std::uniform_int_distribution<int>(0, below - 1)(m_random); }
    bool chance(int percent) { return number(100) < percent; }

    std::optional<QDateTime> date() {
        if (chance(30))
            return std::nullopt;
        const QDateTime day = Clock::startOfToday().addDays(number(90) - 45);
        return day.addSecs(number(24 * 60) * 60);
    }

    AudioProject project() {
        const QList<ProjectType>& types = ProjectType::defaults();
        AudioProject made =
            AudioProject::make(QStringLiteral("Tape %1").arg(++m_made), types.at(number(int(types.size()))).id);
        made.deadline = date();
        for (int i = 0, cues = number(5); i < cues; ++i) {
            made.addCue(QStringLiteral("Cue %1").arg(i));
            randomDates(made.items.last());
        }
        return made;
    }

    void randomDates(Cue& cue) {
        cue.startDate = date();
        cue.mixedAt = date();
        cue.deliveredAt = date();
    }

    // One edit of the kinds the application makes; each goes through the store.
    void edit(ProjectStore& store) {
        const QList<AudioProject>& projects = store.projects();
        if (projects.isEmpty() || chance(12)) {
            store.addProject(project());
            return;
        }
        const AudioProject& target = projects.at(number(int(projects.size())));
        const QUuid id = target.id;
        switch (number(9)) {
        case 0: store.deleteProjects({id}); break;
        case 1:
            store.update(id, [this](AudioProject& p) { p.name = QStringLiteral("Renamed %1").arg(number(1000)); });
            break;
        case 2: store.update(id, [this](AudioProject& p) { p.deadline = date(); }); break;
        case 3:
            if (!target.items.isEmpty()) {
                store.updateCue(id, target.items.at(number(int(target.items.size()))).id,
                                [this](Cue& cue) { randomDates(cue); });
            }
            break;
        case 4:
            if (!target.items.isEmpty()) {
                const QList<CueStage>& stages = allCueStages();
                store.setCueStage(id, target.items.at(number(int(target.items.size()))).id,
                                  stages.at(number(int(stages.size()))));
            }
            break;
        case 5:
            store.update(id, [](AudioProject& p) {
                if (p.archivedAt)
                    p.archivedAt.reset();
                else
                    p.archivedAt = Clock::now();
            });
            break;
        case 6:
            store.update(id, [this](AudioProject& p) {
                p.setStatus(chance(50) ? ProjectStatus::Done : ProjectStatus::InProgress);
            });
            break;
        case 7: store.setFocus(id); break;
        case 8:
            store.update(id, [this](AudioProject& p) {
                p.addCue(QStringLiteral("Added"));
                randomDates(p.items.last());
            });
            break;
        }
    }

private:
    std::mt19937 m_random;
    int m_made = 0;
};

QList<CalendarEvent> rowEvents(const DayPanel& panel) {
    QList<CalendarEvent> events;
    for (Kind kind : CalendarEvent::allKinds()) {
        for (const EventRow* row : panel.rows(kind))
            events << row->calendarEvent();
    }
    return events;
}

// What one page shows, next to what a page built afresh shows.
void expectSamePages(CalendarPage& kept, CalendarPage& fresh, int step) {
    ASSERT_EQ(kept.grid()->cells().size(), fresh.grid()->cells().size()) << step;
    for (int i = 0; i < kept.grid()->cells().size(); ++i) {
        const DayCell* a = kept.grid()->cells().at(i);
        const DayCell* b = fresh.grid()->cells().at(i);
        EXPECT_EQ(a->day(), b->day()) << step;
        EXPECT_EQ(a->isSelected(), b->isSelected()) << step;
        EXPECT_TRUE(a->content() == b->content()) << "step " << step << ", " << a->day().toString().toStdString();
    }
    EXPECT_EQ(kept.dayPanel()->headingText(), fresh.dayPanel()->headingText()) << step;
    EXPECT_EQ(kept.dayPanel()->countText(), fresh.dayPanel()->countText()) << step;
    EXPECT_EQ(kept.dayPanel()->sectionKinds(), fresh.dayPanel()->sectionKinds()) << step;
    EXPECT_TRUE(rowEvents(*kept.dayPanel()) == rowEvents(*fresh.dayPanel())) << step;
}

class CalendarFollowsChanges : public AppViewTest {};

TEST_F(CalendarFollowsChanges, KeptDaysMatchAFullCollectionAfterEveryKindOfChange) {
    RandomEdits random(7);
    const QDate today = CalendarMonth::today();
    const QList<QDate> weeks = CalendarMonth::visibleDays(today);
    // The weeks of this month and a day far outside them, as when the page pages away.
    const QDate away = today.addDays(40);
    CalendarDays days;
    days.setSpans({{weeks.first(), weeks.last()}, {away, away}});
    for (int i = 0; i < 12; ++i)
        store.addProject(random.project());
    days.rebuild(store.projects(), store.registry());

    int changes = 0;
    QObject::connect(&store, &ProjectStore::projectsChanged, [&] {
        ++changes;
        days.update(store.projects(), store.lastChange(), store.registry());
    });
    int compared = 0;
    for (int step = 0; step < 400; ++step) {
        random.edit(store);
        const CalendarEvent::Days all = CalendarEvent::collect(store.projects(), store.registry());
        for (auto day = days.days().cbegin(); day != days.days().cend(); ++day) {
            const bool kept = (day.key() >= weeks.first() && day.key() <= weeks.last()) || day.key() == away;
            EXPECT_TRUE(kept) << "a day outside the spans: " << day.key().toString().toStdString();
        }
        for (QDate day = weeks.first(); day <= weeks.last(); day = day.addDays(1)) {
            EXPECT_TRUE(days.days().value(day) == all.value(day))
                << "step " << step << ", " << day.toString().toStdString();
            compared += int(all.value(day).size());
        }
        EXPECT_TRUE(days.days().value(away) == all.value(away)) << "step " << step;
    }
    EXPECT_GT(changes, 300);
    EXPECT_GT(compared, 1000); // the comparison saw entries, not only empty days
}

TEST_F(CalendarFollowsChanges, APageKeptUpToDateShowsWhatAFreshPageShows) {
    RandomEdits random(11);
    for (int i = 0; i < 15; ++i)
        store.addProject(random.project());
    router.setSidebar(SidebarItem::calendar());
    CalendarPage kept(store, router);
    kept.resize(1100, 760);
    kept.show();

    const QDate today = CalendarMonth::today();
    for (int step = 0; step < 60; ++step) {
        if (step == 30) {
            kept.showNextMonth(); // today stays selected, outside the shown weeks
            kept.selectDay(today);
        }
        random.edit(store);
        if (step % 10 == 5) {
            // A type's colour changes the entries of its projects.
            store.updateType(ProjectType::musicID, [step](ProjectType& type) {
                type.colorHex = step % 20 == 5 ? QStringLiteral("123456") : QStringLiteral("FF00AA");
            });
        }
        CalendarPage fresh(store, router);
        fresh.resize(1100, 760);
        fresh.show();
        fresh.showMonth(kept.month());
        fresh.selectDay(kept.selectedDay());
        expectSamePages(kept, fresh, step);
    }
}

TEST_F(CalendarFollowsChanges, AHiddenPageCollectsNothingUntilShown) {
    const QDate today = CalendarMonth::today();
    AudioProject dated = AudioProject::make(QStringLiteral("Dated"), ProjectType::musicID);
    dated.deadline = QDateTime(today, QTime(23, 0));
    add(dated);
    CalendarPage page(store, router);
    EXPECT_TRUE(page.grid()->cells().isEmpty());
    store.update(dated.id, [](AudioProject& p) { p.name = QStringLiteral("Renamed"); });
    EXPECT_TRUE(page.grid()->cells().isEmpty());

    page.resize(1100, 760);
    page.show();
    ASSERT_NE(page.grid()->cell(today), nullptr);
    const DayCellContent& content = page.grid()->cell(today)->content();
    ASSERT_EQ(content.chips.size(), 1);
    EXPECT_EQ(content.chips[0].projectName, QStringLiteral("Renamed"));

    // Hidden again, it misses changes, and catches up when it comes back.
    page.hide();
    store.deleteProjects({dated.id});
    page.show();
    EXPECT_TRUE(page.grid()->cell(today)->content().chips.isEmpty());
}

TEST_F(CalendarFollowsChanges, AReloadOfTheSameBytesChangesNothing) {
    const QDate today = CalendarMonth::today();
    AudioProject dated = AudioProject::make(QStringLiteral("Dated"), ProjectType::musicID);
    dated.deadline = QDateTime(today, QTime(22, 0));
    dated.addCue(QStringLiteral("Theme"));
    dated.items[0].startDate = QDateTime(today, QTime(9, 0));
    add(dated);
    router.setSidebar(SidebarItem::calendar());
    CalendarPage page(store, router);
    page.resize(1100, 760);
    page.show();
    page.selectDay(today);
    // Written by the store, and past the echo window of that write.
    ASSERT_TRUE(waitUntil([&] { return store.activity().writes == 1 && !store.isDirty(); }, 5000));
    ASSERT_TRUE(waitUntil([&] { return store.isIdle(); }, 20000));
    const QList<EventRow*> rows = page.dayPanel()->rows(Kind::Deadline);
    ASSERT_EQ(rows.size(), 1);

    int changes = 0;
    QObject::connect(&store, &ProjectStore::projectsChanged, [&] { ++changes; });
    const int reads = store.activity().reloadReads;
    // Another program writes the very bytes the file holds.
    const QByteArray bytes = [] {
        QFile file(Storage::filePath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }();
    ASSERT_FALSE(bytes.isEmpty());
    ASSERT_TRUE(Storage::save(disk, Storage::read(disk).library));
    QFile file(Storage::filePath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    ASSERT_EQ(file.readAll(), bytes);
    ASSERT_TRUE(waitUntil([&] { return store.activity().reloadReads > reads; }, 5000));
    ASSERT_TRUE(waitUntil([&] { return store.isIdle(); }, 20000));

    EXPECT_EQ(changes, 0);
    EXPECT_EQ(store.activity().writes, 1);
    EXPECT_EQ(page.dayPanel()->rows(Kind::Deadline), rows); // the very rows: nothing was built again
    EXPECT_EQ(page.dayPanel()->rows(Kind::Started).size(), 1);
}

} // namespace
} // namespace sorvel::test
