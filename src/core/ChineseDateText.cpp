#include "core/ChineseDateText.h"

#include <algorithm>
#include <utility>

namespace sorvel::ChineseDateText {

namespace {

// The difference between two local moments (earlier ≤ later) in whole calendar
// units, each counted after the larger ones: 1 year 2 months 1 week 3 days ….
struct Span {
    qint64 years = 0;
    qint64 months = 0;
    qint64 weeks = 0;
    qint64 days = 0;
    qint64 hours = 0;
    qint64 minutes = 0;
    qint64 seconds = 0;
};

Span spanBetween(const QDateTime& earlier, const QDateTime& later) {
    Span span;
    QDateTime cursor = earlier;
    // Months carry the years: 14 months are one year and two months.
    qint64 months = (later.date().year() - cursor.date().year()) * 12 + later.date().month() - cursor.date().month();
    while (months > 0 && cursor.addMonths(int(months)) > later)
        --months;
    cursor = cursor.addMonths(int(months));
    span.years = months / 12;
    span.months = months % 12;

    qint64 days = cursor.date().daysTo(later.date());
    while (days > 0 && cursor.addDays(days) > later)
        --days;
    cursor = cursor.addDays(days);
    span.weeks = days / 7;
    span.days = days % 7;

    const qint64 seconds = std::max<qint64>(0, cursor.secsTo(later));
    span.hours = seconds / 3600;
    span.minutes = seconds % 3600 / 60;
    span.seconds = seconds % 60;
    return span;
}

QString counted(qint64 count, const char* unit, bool past) {
    return QString::number(count) + QString::fromUtf8(unit) + (past ? QStringLiteral("前") : QStringLiteral("后"));
}

} // namespace

QString relative(const QDateTime& date, const QDateTime& now) {
    if (!date.isValid() || !now.isValid())
        return {};
    const bool past = date <= now;
    const auto [earlier, later] = past ? std::pair(date, now) : std::pair(now, date);
    const Span span = spanBetween(earlier.toLocalTime(), later.toLocalTime());

    if (span.years > 0)
        return span.years == 1 ? (past ? QStringLiteral("去年") : QStringLiteral("明年"))
                               : counted(span.years, "年", past);
    if (span.months > 0)
        return span.months == 1 ? (past ? QStringLiteral("上个月") : QStringLiteral("下个月"))
                                : counted(span.months, "个月", past);
    if (span.weeks > 0)
        return span.weeks == 1 ? (past ? QStringLiteral("上周") : QStringLiteral("下周"))
                               : counted(span.weeks, "周", past);
    if (span.days == 1)
        return past ? QStringLiteral("昨天") : QStringLiteral("明天");
    if (span.days == 2)
        return past ? QStringLiteral("前天") : QStringLiteral("后天");
    if (span.days > 0)
        return counted(span.days, "天", past);
    if (span.hours > 0)
        return counted(span.hours, "小时", past);
    if (span.minutes > 0)
        return counted(span.minutes, "分钟", past);
    if (span.seconds > 0)
        return counted(span.seconds, "秒钟", past);
    return QStringLiteral("现在");
}

QString abbreviated(const QDateTime& date) {
    if (!date.isValid())
        return {};
    const QDate day = date.toLocalTime().date();
    return QStringLiteral("%1年%2月%3日").arg(day.year()).arg(day.month()).arg(day.day());
}

} // namespace sorvel::ChineseDateText
