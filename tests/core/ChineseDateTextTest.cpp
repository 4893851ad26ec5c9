#include "core/ChineseDateText.h"

#include <gtest/gtest.h>

namespace sorvel {
namespace {

TEST(ChineseDateText, AnInvalidDateGivesNoText) {
    EXPECT_TRUE(ChineseDateText::abbreviated(QDateTime()).isEmpty());
}

TEST(ChineseDateText, AbbreviatedDateIsInTheLocalCalendar) {
    EXPECT_EQ(ChineseDateText::abbreviated(QDateTime(QDate(2026, 3, 7), QTime(23, 59))).toStdString(), "2026年3月7日");
    const QDateTime local(QDate(2027, 12, 31), QTime(12, 0));
    EXPECT_EQ(ChineseDateText::abbreviated(local.toUTC()).toStdString(), "2027年12月31日");
}

} // namespace
} // namespace sorvel
