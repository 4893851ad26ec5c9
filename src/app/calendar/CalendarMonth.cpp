#include "app/calendar/CalendarMonth.h"

#include "core/Clock.h"

#include <QLocale>

#include <algorithm>

namespace sorvel::CalendarMonth {

namespace {

const QLocale& chinese() {
    static const QLocale locale(QLocale::Chinese, QLocale::SimplifiedChineseScript, QLocale::China);
    return locale;
}

} // namespace

QDate today() {
    return Clock::now().toLocalTime().date();
}

QDate monthStart(const QDate& day) {
    return QDate(day.year(), day.month(), 1);
}

QList<QDate> visibleDays(const QDate& month) {
    const QDate first = monthStart(month);
    const QDate start = first.addDays(1 - first.dayOfWeek()); // dayOfWeek: Monday 1 … Sunday 7
    const QDate last = first.addMonths(1).addDays(-1);
    const QDate end = last.addDays(8 - last.dayOfWeek()); // the Monday after the last week
    QList<QDate> days;
    for (QDate day = start; day < end; day = day.addDays(1))
        days << day;
    return days;
}

bool sameMonth(const QDate& day, const QDate& month) {
    return day.year() == month.year() && day.month() == month.month();
}

double cellHeight(double available, int rows) {
    if (rows <= 0)
        return minimumCellHeight;
    return std::max(minimumCellHeight, (available - rowSpacing * (rows - 1)) / rows);
}

QString monthTitle(const QDate& month) {
    return chinese().toString(month, QStringLiteral("yyyy年M月"));
}

QString dayHeading(const QDate& day) {
    return chinese().toString(day, QStringLiteral("M月d日 dddd"));
}

const QStringList& weekdaySymbols() {
    static const QStringList symbols{QStringLiteral("一"), QStringLiteral("二"), QStringLiteral("三"),
                                     QStringLiteral("四"), QStringLiteral("五"), QStringLiteral("六"),
                                     QStringLiteral("日")};
    return symbols;
}

} // namespace sorvel::CalendarMonth
