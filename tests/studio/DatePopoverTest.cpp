#include "PaintProbe.h"
#include "support/Waiting.h"

#include "studio/DateChip.h"
#include "studio/DatePopover.h"
#include "studio/PopoverFrame.h"
#include "studio/Studio.h"
#include "studio/StudioButton.h"

#include "core/StudioText.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCalendarWidget>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScreen>

namespace sorvel {
namespace {

using Pick = DatePopover::QuickPick;

QDateTime local(int year, int month, int day, int hour = 0, int minute = 0) {
    return QDateTime(QDate(year, month, day), QTime(hour, minute), Qt::LocalTime);
}

TEST(DatePopoverQuickPicks, AreLocalMidnights) {
    const QDateTime wednesdayAfternoon = local(2024, 6, 5, 15, 42);
    EXPECT_EQ(DatePopover::quickPickDate(Pick::Today, wednesdayAfternoon), local(2024, 6, 5));
    EXPECT_EQ(DatePopover::quickPickDate(Pick::Yesterday, wednesdayAfternoon), local(2024, 6, 4));
    EXPECT_EQ(DatePopover::quickPickDate(Pick::Tomorrow, wednesdayAfternoon), local(2024, 6, 6));
    EXPECT_EQ(DatePopover::quickPickDate(Pick::NextMonday, wednesdayAfternoon), local(2024, 6, 10));
    // Just before midnight, and across a month and a year.
    EXPECT_EQ(DatePopover::quickPickDate(Pick::Yesterday, local(2024, 3, 1, 23, 59)), local(2024, 2, 29));
    EXPECT_EQ(DatePopover::quickPickDate(Pick::Tomorrow, local(2024, 12, 31, 0, 1)), local(2025, 1, 1));
    // The moment may come in UTC: the day is the local one.
    const QDateTime utc = local(2024, 6, 5, 12, 0).toUTC();
    EXPECT_EQ(DatePopover::quickPickDate(Pick::Today, utc), local(2024, 6, 5));
    for (const Pick pick : DatePopover::quickPicks())
        EXPECT_EQ(DatePopover::quickPickDate(pick, wednesdayAfternoon).time(), QTime(0, 0));
}

TEST(DatePopoverQuickPicks, NextMondayOnAMondayAndOnASunday) {
    EXPECT_EQ(DatePopover::quickPickDate(Pick::NextMonday, local(2024, 6, 3, 9)), local(2024, 6, 10)); // Monday
    EXPECT_EQ(DatePopover::quickPickDate(Pick::NextMonday, local(2024, 6, 9, 22)), local(2024, 6, 10)); // Sunday
    EXPECT_EQ(DatePopover::quickPickDate(Pick::NextMonday, local(2024, 6, 8, 0)), local(2024, 6, 10)); // Saturday
    EXPECT_EQ(DatePopover::quickPickDate(Pick::NextMonday, local(2024, 12, 30)), local(2025, 1, 6));
    EXPECT_EQ(DatePopover::title(Pick::NextMonday), QStringLiteral("下周一"));
}

QAbstractButton* button(QWidget& parent, const QString& name) {
    return parent.findChild<QAbstractButton*>(name);
}

TEST(DatePopover, AQuickPickTellsTheOwnerThenCloses) {
    const QDateTime sunday = local(2024, 6, 9, 18, 30);
    DatePopover popover(std::nullopt, false, nullptr, [&] { return sunday; });
    QList<std::optional<QDateTime>> picks;
    bool visibleWhenTold = false;
    QObject::connect(&popover, &DatePopover::picked, [&](const std::optional<QDateTime>& d) {
        picks.append(d);
        visibleWhenTold = popover.isVisible();
    });
    popover.show();
    QAbstractButton* nextMonday = button(popover, QStringLiteral("quick-3"));
    ASSERT_NE(nextMonday, nullptr);
    EXPECT_EQ(nextMonday->text(), QStringLiteral("下周一"));
    EXPECT_NE(qobject_cast<StudioButton*>(nextMonday), nullptr);
    nextMonday->click();
    ASSERT_EQ(picks.size(), 1);
    EXPECT_EQ(picks.first(), local(2024, 6, 10));
    EXPECT_TRUE(visibleWhenTold);
    EXPECT_FALSE(popover.isVisible());
    // The calendar started on the current day when there was no date.
    EXPECT_EQ(popover.selection().date(), QDate(2024, 6, 9));
}

TEST(DatePopover, CalendarIsChineseMondayFirstAndPicksOnce) {
    const QDateTime initial = local(2024, 6, 5, 14, 0);
    DatePopover popover(initial, true, nullptr, [] { return local(2024, 6, 1); });
    QCalendarWidget* calendar = popover.calendar();
    EXPECT_EQ(calendar->firstDayOfWeek(), Qt::Monday);
    EXPECT_EQ(calendar->locale().language(), QLocale::Chinese);
    EXPECT_EQ(calendar->locale().territory(), QLocale::China);
    EXPECT_EQ(calendar->selectedDate(), QDate(2024, 6, 5));

    QList<std::optional<QDateTime>> picks;
    QObject::connect(&popover, &DatePopover::picked, [&](const std::optional<QDateTime>& d) { picks.append(d); });
    popover.show();
    calendar->setSelectedDate(QDate(2024, 6, 5)); // the day already chosen: no change
    EXPECT_TRUE(picks.isEmpty());
    EXPECT_TRUE(popover.isVisible());
    calendar->setSelectedDate(QDate(2024, 6, 20));
    ASSERT_EQ(picks.size(), 1);
    EXPECT_EQ(picks.first()->date(), QDate(2024, 6, 20));
    EXPECT_EQ(picks.first()->time(), QTime(14, 0)); // the day changes, the time stays
    EXPECT_FALSE(popover.isVisible());
    calendar->setSelectedDate(QDate(2024, 6, 21));
    EXPECT_EQ(picks.size(), 1); // closed: nothing more is reported
}

TEST(DatePopover, ClearOnlyWhenAllowedAndEscapeClosesSilently) {
    DatePopover withClear(local(2024, 6, 5), true);
    DatePopover withoutClear(local(2024, 6, 5), false);
    EXPECT_NE(button(withClear, QStringLiteral("clear")), nullptr);
    EXPECT_EQ(button(withoutClear, QStringLiteral("clear")), nullptr);

    QList<std::optional<QDateTime>> picks;
    QObject::connect(&withClear, &DatePopover::picked, [&](const std::optional<QDateTime>& d) { picks.append(d); });
    withClear.show();
    button(withClear, QStringLiteral("clear"))->click();
    ASSERT_EQ(picks.size(), 1);
    EXPECT_FALSE(picks.first().has_value());

    picks.clear();
    QObject::connect(&withoutClear, &DatePopover::picked, [&](const std::optional<QDateTime>& d) { picks.append(d); });
    withoutClear.show();
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(&withoutClear, &escape);
    EXPECT_FALSE(withoutClear.isVisible());
    EXPECT_TRUE(picks.isEmpty());
}

TEST(DatePopover, PlacementStaysOnScreen) {
    const QRect screen(0, 0, 1000, 800);
    const QSize size(300, 320);
    // Centred under the anchor when there is room.
    EXPECT_EQ(DatePopover::placement(QRect(400, 100, 60, 20), size, screen), QPoint(280, 124));
    // Near the right edge it moves left, the margin off the edge; near the bottom it opens above.
    EXPECT_EQ(DatePopover::placement(QRect(950, 100, 40, 20), size, screen).x(), 1000 - 8 - 300);
    EXPECT_EQ(DatePopover::placement(QRect(400, 700, 60, 20), size, screen).y(), 700 - 4 - 320);
    // Neither below nor above fits: kept inside anyway.
    const QPoint squeezed = DatePopover::placement(QRect(-50, 200, 40, 20), size, QRect(0, 0, 1000, 400));
    EXPECT_GE(squeezed.x(), 0);
    EXPECT_GE(squeezed.y(), 0);
    EXPECT_LE(squeezed.y() + size.height(), 400);
}

TEST(DatePopover, EveryEdgeOfTheScreenIsKeptAMarginAway) {
    const QRect screen(100, 50, 1000, 800);
    const QSize size(300, 320);
    const QRect inside = screen.adjusted(8, 8, -8, -8);
    for (const QRect& anchor : {QRect(1090, 100, 40, 20), QRect(60, 100, 40, 20), QRect(500, 845, 60, 20),
                                QRect(500, 20, 60, 20), QRect(1095, 840, 10, 10)}) {
        const QRect placed(DatePopover::placement(anchor, size, screen), size);
        EXPECT_TRUE(inside.contains(placed)) << anchor.x() << "," << anchor.y();
    }
}

TEST(DatePopover, OpenedAtTheRightEdgeOfTheScreenItsBorderShows) {
    QWidget window;
    window.resize(120, 40);
    window.show();
    const QRect screen = window.screen()->availableGeometry();
    window.move(screen.right() + 1 - window.frameGeometry().width(), screen.top() + 200);
    ASSERT_TRUE(test::waitUntil([&] { return window.frameGeometry().right() == screen.right(); }, 2000));
    DateChip chip(std::nullopt, QStringLiteral("—"), true, Studio::font(10), &window);
    chip.move(window.width() - chip.sizeHint().width(), 10);
    chip.show();
    chip.click();
    ASSERT_TRUE(chip.isShowingPopover());
    const QRect popover = chip.popover()->geometry();
    EXPECT_LE(popover.right(), screen.right() - PopoverFrame::screenMargin);
    EXPECT_GE(popover.top(), screen.top() + PopoverFrame::screenMargin);
    chip.popover()->close();
}

TEST(DateChip, ShowsTheDateOrAFadedPlaceholderAndReportsChoices) {
    const QFont font = Studio::font(10, Studio::Weight::Regular, true);
    DateChip empty(std::nullopt, QStringLiteral("—"), true, font);
    EXPECT_EQ(empty.displayText(), QStringLiteral("—"));
    const QDateTime day = local(2023, 12, 25);
    DateChip dated(day, QStringLiteral("—"), true, font);
    EXPECT_EQ(dated.displayText(), StudioText::shortDate(day));

    // A chip without a date never offers to clear, even when clearing is allowed.
    empty.show();
    empty.click();
    ASSERT_TRUE(empty.isShowingPopover());
    EXPECT_EQ(button(*empty.popover(), QStringLiteral("clear")), nullptr);
    empty.popover()->close();
    EXPECT_TRUE(test::waitUntil([&] { return !empty.isShowingPopover(); }, 2000));

    QList<std::optional<QDateTime>> chosen;
    QObject::connect(&dated, &DateChip::dateChosen, [&](const std::optional<QDateTime>& d) { chosen.append(d); });
    dated.setNowFunction([] { return local(2024, 6, 5, 10); });
    dated.show();
    dated.click();
    ASSERT_TRUE(dated.isShowingPopover());
    button(*dated.popover(), QStringLiteral("quick-1"))->click(); // 昨天
    ASSERT_EQ(chosen.size(), 1);
    EXPECT_EQ(chosen.first(), local(2024, 6, 4));
    // The chip shows what its owner gives it, not the choice.
    EXPECT_EQ(dated.date(), day);

    // Opening and closing without a choice reports nothing.
    EXPECT_TRUE(test::waitUntil([&] { return !dated.isShowingPopover(); }, 2000));
    dated.click();
    ASSERT_TRUE(dated.isShowingPopover());
    dated.popover()->close();
    EXPECT_EQ(chosen.size(), 1);
}

TEST(DatePopover, QuickPicksKeepTheirWidthCentred) {
    DatePopover popover(std::nullopt, false);
    popover.show();
    popover.adjustSize();
    QList<QAbstractButton*> quick;
    for (int i = 0; i < DatePopover::quickPicks().size(); ++i)
        quick << button(popover, QStringLiteral("quick-%1").arg(i));
    qreal left = popover.width();
    qreal right = 0;
    for (QAbstractButton* pick : quick) {
        ASSERT_NE(pick, nullptr);
        EXPECT_EQ(pick->width(), pick->sizeHint().width());
        left = std::min<qreal>(left, pick->geometry().left());
        right = std::max<qreal>(right, pick->geometry().right() + 1);
    }
    // The calendar is wider than the four buttons, which sit in the middle.
    EXPECT_GT(left, 8);
    EXPECT_NEAR(left, popover.width() - right, 2);
}

TEST(DateChip, ThePlateMarksAnOpenPopoverNotAPress) {
    const QFont font = Studio::font(10, Studio::Weight::Regular, true);
    DateChip chip(local(2023, 12, 25), QStringLiteral("—"), true, font);
    chip.resize(chip.sizeHint());
    chip.show();
    const QPoint plate(1, chip.height() / 2); // inside the rounded plate, beside the text
    const auto colourAt = [&] { return chip.grab().toImage().pixelColor(plate); };
    const QColor resting = colourAt();

    chip.setDown(true);
    EXPECT_EQ(colourAt(), resting);
    chip.setDown(false);

    chip.click();
    ASSERT_TRUE(chip.isShowingPopover());
    EXPECT_TRUE(test::sameColor(colourAt(), Studio::bg3(), 8)) << test::describe(colourAt()).toStdString();
    chip.popover()->close();
    EXPECT_TRUE(test::waitUntil([&] { return !chip.isShowingPopover(); }, 2000));
    EXPECT_EQ(colourAt(), resting);
}

TEST(DateChip, TheKeyboardFocusShowsARingAndAClickLeavesNone) {
    QWidget window;
    window.setProperty(Studio::tintProperty(), QColor(0x00, 0x7A, 0xFF));
    auto* chip = new DateChip(std::nullopt, QStringLiteral("点击设置"), true,
                              Studio::font(12, Studio::Weight::Regular, true), &window);
    auto* elsewhere = new QLineEdit(&window);
    chip->setGeometry(QRect(QPoint(10, 10), chip->sizeHint()));
    elsewhere->setGeometry(10, 60, 100, 24);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(test::waitUntil([&] { return window.isActiveWindow(); }, 2000));
    elsewhere->setFocus(Qt::OtherFocusReason);
    ASSERT_FALSE(chip->hasFocus());
    const QPoint edge(0, chip->height() / 2);
    const auto colourAt = [&] { return chip->grab().toImage().pixelColor(edge); };
    const QColor resting = colourAt();

    EXPECT_EQ(chip->focusPolicy(), Qt::TabFocus) << "a click opens the popover and takes no focus";
    chip->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(chip->hasFocus());
    const QColor focused = colourAt();
    EXPECT_TRUE(test::sameColor(focused, QColor(0x00, 0x7A, 0xFF), 40))
        << test::describe(resting).toStdString() << " -> " << test::describe(focused).toStdString();
}

} // namespace
} // namespace sorvel
