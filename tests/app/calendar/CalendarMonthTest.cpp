#include "app/calendar/CalendarMonth.h"

#include <gtest/gtest.h>

namespace sorvel {
namespace {

TEST(CalendarMonth, GridHoldsWholeWeeksFromMondayToSunday) {
    struct Case {
        QDate month;
        int count;
        QDate first;
        QDate last;
    };
    const Case cases[] = {
        {QDate(2027, 2, 1), 28, QDate(2027, 2, 1), QDate(2027, 2, 28)}, // starts on a Monday
        {QDate(2026, 2, 1), 35, QDate(2026, 1, 26), QDate(2026, 3, 1)}, // starts on a Sunday
        {QDate(2025, 3, 1), 42, QDate(2025, 2, 24), QDate(2025, 4, 6)}, // starts on a Saturday
    };
    for (const Case& c : cases) {
        const QList<QDate> days = CalendarMonth::visibleDays(c.month);
        ASSERT_EQ(days.size(), c.count) << c.month.toString().toStdString();
        EXPECT_EQ(days.first(), c.first);
        EXPECT_EQ(days.last(), c.last);
        EXPECT_EQ(days.first().dayOfWeek(), Qt::Monday);
        EXPECT_EQ(days.last().dayOfWeek(), Qt::Sunday);
        for (int i = 1; i < days.size(); ++i)
            EXPECT_EQ(days[i - 1].addDays(1), days[i]);
    }
}

TEST(CalendarMonth, AnyDayOfTheMonthGivesTheSameGrid) {
    EXPECT_EQ(CalendarMonth::visibleDays(QDate(2025, 3, 17)), CalendarMonth::visibleDays(QDate(2025, 3, 1)));
    EXPECT_EQ(CalendarMonth::monthStart(QDate(2025, 3, 31)), QDate(2025, 3, 1));
}

TEST(CalendarMonth, CellsNeverShrinkBelowTheMinimum) {
    EXPECT_DOUBLE_EQ(CalendarMonth::cellHeight(400, 6), 64); // (400 − 30) / 6 ≈ 61.7
    EXPECT_DOUBLE_EQ(CalendarMonth::cellHeight(600, 5), 115.2); // (600 − 24) / 5
    EXPECT_DOUBLE_EQ(CalendarMonth::cellHeight(-50, 4), 64);
}

TEST(CalendarMonth, HeadingsUseChineseNumeralPatterns) {
    EXPECT_EQ(CalendarMonth::monthTitle(QDate(2027, 2, 1)), QStringLiteral("2027年2月"));
    EXPECT_EQ(CalendarMonth::monthTitle(QDate(2025, 12, 1)), QStringLiteral("2025年12月"));
    EXPECT_EQ(CalendarMonth::dayHeading(QDate(2027, 2, 1)), QStringLiteral("2月1日 星期一"));
    EXPECT_EQ(CalendarMonth::dayHeading(QDate(2026, 3, 1)), QStringLiteral("3月1日 星期日"));
    EXPECT_EQ(CalendarMonth::weekdaySymbols().join(QString()), QStringLiteral("一二三四五六日"));
}

TEST(CalendarMonth, SameMonthComparesYearAndMonth) {
    EXPECT_TRUE(CalendarMonth::sameMonth(QDate(2026, 2, 28), QDate(2026, 2, 1)));
    EXPECT_FALSE(CalendarMonth::sameMonth(QDate(2026, 3, 1), QDate(2026, 2, 1)));
    EXPECT_FALSE(CalendarMonth::sameMonth(QDate(2025, 2, 1), QDate(2026, 2, 1)));
}

} // namespace
} // namespace sorvel
