#pragma once

#include <QDate>
#include <QList>
#include <QString>

namespace sorvel::CalendarMonth {

// The calendar page counts in local Gregorian days with weeks from Monday to Sunday.
inline constexpr int columnSpacing = 6;
inline constexpr int rowSpacing = 6;
inline constexpr double minimumCellHeight = 64;

QDate today();
QDate monthStart(const QDate& day);
// Whole weeks from the Monday on or before the 1st to the Sunday on or after the last day:
// 28, 35 or 42 days.
QList<QDate> visibleDays(const QDate& month);
bool sameMonth(const QDate& day, const QDate& month);
// The row height that fills `available`, never below the minimum (the grid then outgrows its area).
double cellHeight(double available, int rows);

// "2027年2月"
QString monthTitle(const QDate& month);
// "2月1日 星期一"
QString dayHeading(const QDate& day);
// "一" … "日", Monday first, whatever the locale.
const QStringList& weekdaySymbols();

} // namespace sorvel::CalendarMonth
