#include "core/ChineseDateText.h"

#include <gtest/gtest.h>

namespace sorvel {
namespace {

const QDateTime now(QDate(2026, 12, 8), QTime(15, 30, 0));

std::string relativeTo(const QDateTime& date) {
    return ChineseDateText::relative(date, now).toStdString();
}

TEST(ChineseDateText, PastTimesUseTheLargestUnitThatDiffers) {
    EXPECT_EQ(relativeTo(now), "现在");
    EXPECT_EQ(relativeTo(now.addSecs(-12)), "12秒钟前");
    EXPECT_EQ(relativeTo(now.addSecs(-59)), "59秒钟前");
    EXPECT_EQ(relativeTo(now.addSecs(-60)), "1分钟前");
    EXPECT_EQ(relativeTo(now.addSecs(-3 * 60 - 20)), "3分钟前");
    EXPECT_EQ(relativeTo(now.addSecs(-5 * 3600 - 59)), "5小时前");
    EXPECT_EQ(relativeTo(now.addSecs(-23 * 3600)), "23小时前");
    EXPECT_EQ(relativeTo(now.addDays(-4)), "4天前");
    EXPECT_EQ(relativeTo(now.addDays(-9)), "上周");
    EXPECT_EQ(relativeTo(now.addDays(-15)), "2周前");
    EXPECT_EQ(relativeTo(now.addMonths(-3).addDays(-2)), "3个月前");
    EXPECT_EQ(relativeTo(now.addMonths(-14)), "去年");
    EXPECT_EQ(relativeTo(now.addYears(-2)), "2年前");
}

TEST(ChineseDateText, NamedDaysMonthsAndYears) {
    EXPECT_EQ(relativeTo(now.addDays(-1)), "昨天");
    EXPECT_EQ(relativeTo(now.addDays(-2)), "前天");
    EXPECT_EQ(relativeTo(now.addMonths(-1)), "上个月");
    EXPECT_EQ(relativeTo(now.addDays(1)), "明天");
    EXPECT_EQ(relativeTo(now.addDays(2)), "后天");
    EXPECT_EQ(relativeTo(now.addDays(7)), "下周");
    EXPECT_EQ(relativeTo(now.addMonths(1)), "下个月");
    EXPECT_EQ(relativeTo(now.addYears(1)), "明年");
}

TEST(ChineseDateText, FutureTimesCountAhead) {
    // Another program's clock may run ahead of this one.
    EXPECT_EQ(relativeTo(now.addSecs(30)), "30秒钟后");
    EXPECT_EQ(relativeTo(now.addSecs(10 * 60)), "10分钟后");
    EXPECT_EQ(relativeTo(now.addDays(5)), "5天后");
    EXPECT_EQ(relativeTo(now.addYears(3)), "3年后");
}

TEST(ChineseDateText, ShortMonthsDoNotOvercount) {
    // 31 January to 27 February is less than a month.
    const QDateTime end(QDate(2027, 2, 27), QTime(9, 0));
    EXPECT_EQ(ChineseDateText::relative(QDateTime(QDate(2027, 1, 31), QTime(9, 0)), end).toStdString(), "3周前");
    EXPECT_EQ(ChineseDateText::relative(QDateTime(QDate(2027, 1, 27), QTime(9, 0)), end).toStdString(), "上个月");
    // A minute short of a whole day is counted in hours.
    EXPECT_EQ(ChineseDateText::relative(end.addSecs(-24 * 3600 + 60), end).toStdString(), "23小时前");
}

TEST(ChineseDateText, InvalidDatesGiveNoText) {
    EXPECT_TRUE(ChineseDateText::relative(QDateTime(), now).isEmpty());
    EXPECT_TRUE(ChineseDateText::abbreviated(QDateTime()).isEmpty());
}

TEST(ChineseDateText, AbbreviatedDateIsInTheLocalCalendar) {
    EXPECT_EQ(ChineseDateText::abbreviated(QDateTime(QDate(2026, 3, 7), QTime(23, 59))).toStdString(), "2026年3月7日");
    const QDateTime local(QDate(2027, 12, 31), QTime(12, 0));
    EXPECT_EQ(ChineseDateText::abbreviated(local.toUTC()).toStdString(), "2027年12月31日");
}

} // namespace
} // namespace sorvel
