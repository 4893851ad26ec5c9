#include "core/StudioText.h"
#include "core/Clock.h"

#include <gtest/gtest.h>

#include <limits>

namespace sorvel {
namespace {

QDateTime localNoon(int year, int month, int day) {
    return QDateTime(QDate(year, month, day), QTime(12, 0));
}

TEST(StudioText, ShortDateSwitchesOnTheCalendarYear) {
    const int year = Clock::now().toLocalTime().date().year();
    EXPECT_EQ(StudioText::shortDate(localNoon(year, 3, 7)), QStringLiteral("03.07"));
    EXPECT_EQ(StudioText::shortDate(localNoon(year, 1, 1).toUTC()), QStringLiteral("01.01"));
    EXPECT_EQ(StudioText::shortDate(localNoon(year - 1, 12, 31)), QString::number(year - 1) + QStringLiteral(".12.31"));
    EXPECT_EQ(StudioText::shortDate(localNoon(year + 1, 1, 2)), QString::number(year + 1) + QStringLiteral(".01.02"));
    EXPECT_EQ(StudioText::shortDate(localNoon(2024, 12, 25)),
              year == 2024 ? QStringLiteral("12.25") : QStringLiteral("2024.12.25"));
    EXPECT_EQ(StudioText::shortDate(QDateTime()), QString());
}

TEST(StudioText, PercentRoundsHalvesAwayFromZero) {
    const QList<std::pair<double, QString>> percent{
        {0, "00"}, {0.05, "05"}, {0.005, "01"}, {0.004, "00"}, {0.125, "13"}, {0.995, "100"}, {1, "100"}, {0.4, "40"},
    };
    for (const auto& [value, text] : percent)
        EXPECT_EQ(StudioText::percent(value), text) << value;

    const QList<std::pair<double, QString>> percentText{
        {0.4, "40%"}, {0.125, "13%"}, {0.994, "99%"}, {1, "100%"}, {0.05, "5%"}, {0, "0%"},
    };
    for (const auto& [value, text] : percentText)
        EXPECT_EQ(StudioText::percentText(value), text) << value;
}

TEST(StudioText, PercentClampsValuesOutOfRange) {
    constexpr double nan = std::numeric_limits<double>::quiet_NaN();
    constexpr double infinity = std::numeric_limits<double>::infinity();
    const QList<std::pair<double, QString>> cases{
        {5, "100"}, {-3, "00"}, {1e300, "100"}, {-1e300, "00"}, {nan, "00"}, {infinity, "00"}, {-infinity, "00"},
    };
    for (const auto& [value, text] : cases) {
        EXPECT_EQ(StudioText::percent(value), text) << value;
        EXPECT_EQ(StudioText::percentText(value), QString::number(text.toInt()) + QLatin1Char('%')) << value;
    }
}

} // namespace
} // namespace sorvel
