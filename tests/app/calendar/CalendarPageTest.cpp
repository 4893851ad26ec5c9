#include "app/calendar/CalendarPage.h"
#include "app/calendar/CalendarMonth.h"
#include "app/calendar/DayCell.h"
#include "app/calendar/DayPanel.h"
#include "app/calendar/EventRow.h"
#include "app/calendar/MonthGrid.h"
#include "studio/Shapes.h"
#include "studio/Studio.h"
#include "support/AppViewFixture.h"

#include <gtest/gtest.h>

#include <QRegularExpression>
#include <QTextDocument>

namespace sorvel::test {
namespace {

using Kind = CalendarEvent::Kind;

QDateTime at(const QDate& day, int hour) {
    return QDateTime(day, QTime(hour, 0));
}

CalendarEvent entry(Kind kind, const QString& name) {
    return CalendarEvent{QUuid::createUuid(), kind, QUuid::createUuid(), name, QColor(Qt::cyan), std::nullopt};
}

class CalendarPageTest : public AppViewTest {
protected:
    void SetUp() override {
        AppViewTest::SetUp();
        router.setSidebar(SidebarItem::calendar());
        page = std::make_unique<CalendarPage>(store, router);
        page->resize(1100, 760);
        page->show();
    }

    // A project with a deadline and one cue started, mixed and delivered on the given days.
    AudioProject addDated(const QString& name, const QDate& deadline, const QDate& cueDay) {
        AudioProject project = AudioProject::make(name, ProjectType::musicID);
        project.status = ProjectStatus::Done;
        project.deadline = at(deadline, 17);
        project.addCue(QStringLiteral("Theme"));
        project.items[0].startDate = at(cueDay, 9);
        project.items[0].mixedAt = at(cueDay, 12);
        project.items[0].deliveredAt = at(cueDay, 20);
        return add(project);
    }

    std::unique_ptr<CalendarPage> page;
};

TEST(DayCellContent, ShowsTwoDeadlineChipsThenCountsTheRest) {
    QList<CalendarEvent> events;
    for (const char* name : {"A", "B", "C", "D", "E"})
        events << entry(Kind::Deadline, QString::fromLatin1(name));
    DayCellContent five = DayCellContent::of(events);
    ASSERT_EQ(five.chips.size(), 2);
    EXPECT_EQ(five.chips[0].projectName, QStringLiteral("A"));
    EXPECT_EQ(five.chips[1].projectName, QStringLiteral("B"));
    EXPECT_EQ(DayCellContent::overflowText(five.moreDeadlines), QStringLiteral("还有 3 个截止"));
    EXPECT_TRUE(five.dots.isEmpty()); // deadlines never make dots

    DayCellContent two = DayCellContent::of(events.mid(0, 2));
    EXPECT_EQ(two.chips.size(), 2);
    EXPECT_EQ(DayCellContent::overflowText(two.moreDeadlines), QString());
}

TEST(DayCellContent, CountsDotsPerCueKindInFixedOrder) {
    const QList<CalendarEvent> events{
        entry(Kind::Delivered, QStringLiteral("A")), entry(Kind::Deadline, QStringLiteral("A")),
        entry(Kind::Started, QStringLiteral("B")), entry(Kind::Delivered, QStringLiteral("C"))};
    const DayCellContent content = DayCellContent::of(events);
    ASSERT_EQ(content.dots.size(), 2); // no mixed dot
    EXPECT_EQ(content.dots[0].kind, Kind::Started);
    EXPECT_EQ(content.dots[0].count, 1);
    EXPECT_EQ(content.dots[1].kind, Kind::Delivered);
    EXPECT_EQ(content.dots[1].count, 2);
    EXPECT_EQ(DayCellContent::dotToolTip(content.dots[1]), QStringLiteral("2 段交付"));
    EXPECT_EQ(content.chips.size(), 1);
    EXPECT_TRUE(DayCellContent::of({}).chips.isEmpty());
    EXPECT_TRUE(DayCellContent::of({}).dots.isEmpty());
}

TEST(DayCellContent, DotsAreLaidOutLeftToRightWithoutOverlap) {
    DayCell cell;
    cell.resize(140, 90);
    cell.setDay(QDate(2026, 2, 3), true, false, false,
                {entry(Kind::Started, QStringLiteral("A")), entry(Kind::Mixed, QStringLiteral("A")),
                 entry(Kind::Delivered, QStringLiteral("A"))});
    const QList<QRectF> rects = cell.dotRects();
    ASSERT_EQ(rects.size(), 3);
    EXPECT_LT(rects[0].right(), rects[1].left());
    EXPECT_LT(rects[1].right(), rects[2].left());
    EXPECT_LE(rects[2].bottom(), 90 - 6 + 0.01); // inside the cell's padding
}

// Whatever size the window gives a cell, the number, the deadline lines and the
// dots keep apart inside its padding, and every deadline is still counted, in
// a count shown whole.
TEST(DayCell, DeadlinesAndDotsNeverOverlapAndEveryDeadlineIsCounted) {
    QList<CalendarEvent> cues;
    for (Kind kind : {Kind::Started, Kind::Mixed, Kind::Delivered}) {
        for (int i = 0; i < 12; ++i) // two-digit counts
            cues << entry(kind, QStringLiteral("Cue"));
    }
    QList<CalendarEvent> deadlines;
    deadlines << entry(Kind::Deadline, QStringLiteral("A long project name"));
    for (int i = 1; i < 14; ++i) // a two-digit overflow
        deadlines << entry(Kind::Deadline, QStringLiteral("Other"));

    for (int deadlineCount : {1, 2, 3, 5, 14}) {
        for (bool withDots : {false, true}) {
            const QList<CalendarEvent> events =
                deadlines.mid(0, deadlineCount) + (withDots ? cues : QList<CalendarEvent>());
            for (const QSize& size : {QSize(54, 64), QSize(54, 90), QSize(96, 64), QSize(96, 70), QSize(101, 86),
                                      QSize(101, 115), QSize(140, 120)}) {
                DayCell cell;
                cell.resize(size);
                cell.setDay(QDate(2026, 2, 3), true, false, false, events);
                const DayCell::DeadlineLines lines = cell.deadlineLines();
                const std::string where = std::to_string(deadlineCount) + " deadlines" + (withDots ? " and dots" : "")
                    + " in " + std::to_string(size.width()) + "x" + std::to_string(size.height());

                QList<QRectF> boxes{cell.numberRect()};
                boxes << lines.chips;
                if (!lines.overflowText.isEmpty()) {
                    EXPECT_GT(lines.overflow.width(), 0) << where;
                    // Drawn cut at its width, a line too long would end in "…" and lose its count.
                    EXPECT_LE(Shapes::textWidth(DayCell::overflowFont(), lines.overflowText), lines.overflow.width())
                        << where << ": " << lines.overflowText.toStdString();
                    boxes << lines.overflow;
                }
                boxes << cell.dotRects();
                const QRectF inside = QRectF(cell.rect()).adjusted(6 - 0.01, 6 - 0.01, -6 + 0.01, -6 + 0.01);
                for (qsizetype i = 0; i < boxes.size(); ++i) {
                    EXPECT_TRUE(inside.contains(boxes[i])) << where << ": box " << i << " leaves the padding";
                    for (qsizetype j = 0; j < i; ++j)
                        EXPECT_FALSE(boxes[i].intersects(boxes[j])) << where << ": boxes " << j << " and " << i;
                }

                // "还有" ("more") only counts on from chips drawn above it.
                if (lines.overflowText.contains(QStringLiteral("截止"))) {
                    EXPECT_EQ(lines.overflowText.startsWith(QStringLiteral("还有")), !lines.chips.isEmpty())
                        << where << ": " << lines.overflowText.toStdString();
                }
                const QString hidden = QString(lines.overflowText).remove(QRegularExpression(QStringLiteral("\\D")));
                EXPECT_EQ(lines.chips.size() + hidden.toInt(), deadlineCount) << where;
                if (size.height() >= 115) {
                    EXPECT_EQ(lines.chips.size(), std::min(deadlineCount, 2)) << where << ": room for both chips";
                }
            }
        }
    }
}

TEST_F(CalendarPageTest, GridsHold28_35And42DaysOfWholeWeeks) {
    struct Case {
        QDate month;
        int cells;
        QDate first;
        int inMonth;
    };
    for (const Case& c :
         {Case{QDate(2027, 2, 1), 28, QDate(2027, 2, 1), 28}, Case{QDate(2026, 2, 1), 35, QDate(2026, 1, 26), 28},
          Case{QDate(2025, 3, 1), 42, QDate(2025, 2, 24), 31}}) {
        page->showMonth(c.month);
        const QList<DayCell*>& cells = page->grid()->cells();
        ASSERT_EQ(cells.size(), c.cells);
        EXPECT_EQ(page->grid()->rowCount(), c.cells / 7);
        EXPECT_EQ(cells.first()->day(), c.first);
        EXPECT_EQ(std::count_if(cells.cbegin(), cells.cend(), [](DayCell* cell) { return cell->inMonth(); }),
                  c.inMonth);
        // Seven equal columns with a gap of 6 between them.
        EXPECT_EQ(cells[1]->geometry().left() - cells[0]->geometry().right() - 1, 6);
        EXPECT_EQ(cells[7]->geometry().left(), cells[0]->geometry().left());
        for (DayCell* cell : cells)
            EXPECT_GE(cell->height(), 64);
    }
}

TEST_F(CalendarPageTest, CellsKeepTheirMinimumHeightInALowWindow) {
    page->showMonth(QDate(2025, 3, 1)); // six rows
    page->resize(1100, 300);
    QApplication::processEvents();
    for (DayCell* cell : page->grid()->cells())
        EXPECT_EQ(cell->height(), 64);
}

TEST_F(CalendarPageTest, PagingCrossesYearsAndKeepsTheSelectedDay) {
    page->showMonth(QDate(2026, 1, 15));
    page->selectDay(QDate(2026, 1, 15));
    page->showPreviousMonth();
    EXPECT_EQ(page->month(), QDate(2025, 12, 1));
    EXPECT_EQ(page->titleText(), QStringLiteral("2025年12月"));
    EXPECT_EQ(page->selectedDay(), QDate(2026, 1, 15));
    EXPECT_EQ(page->grid()->cell(QDate(2026, 1, 15)), nullptr); // not visible, so not marked anywhere
    for (DayCell* cell : page->grid()->cells())
        EXPECT_FALSE(cell->isSelected());

    page->showMonth(QDate(2026, 12, 1));
    page->showNextMonth();
    EXPECT_EQ(page->month(), QDate(2027, 1, 1));
    EXPECT_EQ(page->dayPanel()->headingText(), QStringLiteral("1月15日 星期四"));

    page->showToday();
    EXPECT_EQ(page->month(), CalendarMonth::monthStart(CalendarMonth::today()));
    EXPECT_EQ(page->selectedDay(), CalendarMonth::today());
    DayCell* today = page->grid()->cell(CalendarMonth::today());
    ASSERT_NE(today, nullptr);
    EXPECT_TRUE(today->isToday());
    EXPECT_TRUE(today->isSelected());
}

TEST_F(CalendarPageTest, ClickingANeighbouringDaySelectsItAndKeepsTheMonth) {
    const AudioProject project = addDated(QStringLiteral("Harbour"), QDate(2026, 1, 27), QDate(2026, 1, 27));
    page->showMonth(QDate(2026, 2, 1));
    DayCell* cell = page->grid()->cell(QDate(2026, 1, 27));
    ASSERT_NE(cell, nullptr);
    EXPECT_FALSE(cell->inMonth());
    click(cell);
    EXPECT_EQ(page->selectedDay(), QDate(2026, 1, 27));
    EXPECT_EQ(page->month(), QDate(2026, 2, 1));
    EXPECT_TRUE(page->grid()->cell(QDate(2026, 1, 27))->isSelected());
    EXPECT_EQ(page->dayPanel()->headingText(), QStringLiteral("1月27日 星期二"));
    EXPECT_EQ(page->dayPanel()->countText(), QStringLiteral("4 项"));
    EXPECT_EQ(page->dayPanel()->sectionKinds(),
              (QList<Kind>{Kind::Deadline, Kind::Delivered, Kind::Mixed, Kind::Started}));
}

TEST_F(CalendarPageTest, CellsShowChipsOverflowAndDotsOfTheStore) {
    const QDate day(2027, 2, 10);
    for (const char* name : {"E", "D", "C", "B", "A"}) // added at the front: A ends up first
        addDated(QString::fromLatin1(name), day, day.addDays(1));
    AudioProject late = AudioProject::make(QStringLiteral("Late"), ProjectType::musicID);
    late.deadline = at(QDate(2027, 2, 11), 8);
    add(late); // not due yet in any run of this test before 2027-02-11
    page->showMonth(day);

    const DayCellContent& deadlines = page->grid()->cell(day)->content();
    ASSERT_EQ(deadlines.chips.size(), 2);
    EXPECT_EQ(deadlines.chips[0].projectName, QStringLiteral("A"));
    EXPECT_EQ(deadlines.chips[1].projectName, QStringLiteral("B"));
    EXPECT_EQ(DayCellContent::overflowText(deadlines.moreDeadlines), QStringLiteral("还有 3 个截止"));

    const DayCellContent& cues = page->grid()->cell(day.addDays(1))->content();
    ASSERT_EQ(cues.dots.size(), 3);
    EXPECT_EQ(cues.dots[0].kind, Kind::Started);
    EXPECT_EQ(cues.dots[0].count, 5);
    EXPECT_EQ(cues.dots[2].kind, Kind::Delivered);
    ASSERT_EQ(cues.chips.size(), 1);
    EXPECT_EQ(cues.chips[0].projectName, QStringLiteral("Late"));

    // A store change redraws at once.
    store.deleteProjects({late.id});
    EXPECT_TRUE(page->grid()->cell(day.addDays(1))->content().chips.isEmpty());
}

TEST_F(CalendarPageTest, DayPanelGroupsByKindAndSaysWhenThereIsNothing) {
    const QDate day(2027, 3, 3);
    AudioProject first = AudioProject::make(QStringLiteral("First"), ProjectType::musicID);
    first.deadline = at(day, 10);
    AudioProject second = AudioProject::make(QStringLiteral("Second"), ProjectType::sfxID);
    second.deadline = at(day, 11);
    second.addCue(QStringLiteral("Boom"));
    second.items[0].startDate = at(day, 8);
    second.items[0].deliveredAt = at(day, 20);
    add(second);
    add(first);
    page->showMonth(day);
    page->selectDay(day);

    DayPanel* panel = page->dayPanel();
    EXPECT_EQ(panel->countText(), QStringLiteral("4 项"));
    EXPECT_EQ(panel->sectionKinds(), (QList<Kind>{Kind::Deadline, Kind::Delivered, Kind::Started}));
    const QList<EventRow*> deadlines = panel->rows(Kind::Deadline);
    ASSERT_EQ(deadlines.size(), 2);
    EXPECT_EQ(deadlines[0]->calendarEvent().projectName, QStringLiteral("First"));
    EXPECT_FALSE(deadlines[0]->calendarEvent().cueLabel.has_value());
    QTextDocument tip;
    tip.setHtml(deadlines[0]->toolTip());
    EXPECT_EQ(tip.toPlainText(), QStringLiteral("在右侧打开「First」"));
    ASSERT_EQ(panel->rows(Kind::Started).size(), 1);
    EXPECT_EQ(panel->rows(Kind::Started)[0]->calendarEvent().cueLabel, QStringLiteral("1  Boom"));
    EXPECT_GT(panel->rows(Kind::Started)[0]->sizeHint().height(), deadlines[0]->sizeHint().height());

    page->selectDay(day.addDays(1));
    EXPECT_EQ(panel->countText(), QStringLiteral("这一天没有安排"));
    EXPECT_TRUE(panel->sectionKinds().isEmpty());
}

TEST_F(CalendarPageTest, ClickingARowSelectsOnlyThatProject) {
    const QDate day(2027, 4, 6);
    const AudioProject other = add(QStringLiteral("Other"));
    const AudioProject target = addDated(QStringLiteral("Target"), day, day);
    router.setSelection({other.id, QUuid::createUuid()});
    page->showMonth(day);
    page->selectDay(day);

    const QList<EventRow*> rows = page->dayPanel()->rows(Kind::Mixed);
    ASSERT_EQ(rows.size(), 1);
    click(rows[0], QPoint(rows[0]->width() - 3, rows[0]->height() - 3)); // an empty corner takes the click too
    EXPECT_EQ(router.selection(), QSet<QUuid>{target.id});
    EXPECT_EQ(router.sidebar(), SidebarItem::calendar());
    EXPECT_EQ(page->selectedDay(), day);
    EXPECT_EQ(page->month(), QDate(2027, 4, 1));
}

} // namespace
} // namespace sorvel::test
