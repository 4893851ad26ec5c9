#include "core/RelativeDate.h"

#include <gtest/gtest.h>

namespace sorvel {
namespace {

const QDateTime now(QDate(2026, 12, 8), QTime(15, 0), Qt::UTC);

QString ago(qint64 seconds) {
    return RelativeDate::text(now.addSecs(-seconds), now);
}

TEST(RelativeDateTest, NamesTheNearDaysAndCountsWholeUnitsDown) {
    EXPECT_EQ(ago(0), QStringLiteral("现在"));
    EXPECT_EQ(ago(59), QStringLiteral("现在"));
    EXPECT_EQ(ago(60), QStringLiteral("1 分钟前"));
    EXPECT_EQ(ago(3599), QStringLiteral("59 分钟前"));
    EXPECT_EQ(ago(3600 * 5 + 1800), QStringLiteral("5 小时前"));
    EXPECT_EQ(ago(86400), QStringLiteral("昨天"));
    EXPECT_EQ(ago(86400 * 2), QStringLiteral("前天"));
    EXPECT_EQ(ago(86400 * 6), QStringLiteral("6 天前"));
    EXPECT_EQ(ago(86400 * 8), QStringLiteral("上周"));
    EXPECT_EQ(ago(86400 * 22), QStringLiteral("3 周前"));
    EXPECT_EQ(ago(86400 * 40), QStringLiteral("上个月"));
    EXPECT_EQ(ago(86400 * 200), QStringLiteral("6 个月前"));
    EXPECT_EQ(ago(86400 * 400), QStringLiteral("去年"));
    EXPECT_EQ(ago(86400 * 365 * 3), QStringLiteral("3 年前"));
}

TEST(RelativeDateTest, FutureDatesReadAhead) {
    EXPECT_EQ(ago(-120), QStringLiteral("2 分钟后"));
    EXPECT_EQ(ago(-86400), QStringLiteral("明天"));
    EXPECT_EQ(ago(-86400 * 3), QStringLiteral("3 天后"));
}

TEST(RelativeDateTest, AnInvalidDateGivesNoText) {
    EXPECT_TRUE(RelativeDate::text(QDateTime(), now).isEmpty());
}

} // namespace
} // namespace sorvel
