#include "core/RelativeDate.h"

#include <cstdlib>

namespace sorvel::RelativeDate {

namespace {

QString counted(qint64 amount, const char* unit, bool past) {
    return QString::number(amount) + QLatin1Char(' ') + QString::fromUtf8(unit)
        + (past ? QStringLiteral("前") : QStringLiteral("后"));
}

} // namespace

QString text(const QDateTime& date, const QDateTime& now) {
    if (!date.isValid() || !now.isValid())
        return {};
    const qint64 seconds = date.secsTo(now);
    const bool past = seconds >= 0;
    const qint64 elapsed = std::llabs(seconds);
    if (elapsed < 60)
        return QStringLiteral("现在");
    if (elapsed < 3600)
        return counted(elapsed / 60, "分钟", past);
    if (elapsed < 86400)
        return counted(elapsed / 3600, "小时", past);
    const qint64 days = elapsed / 86400;
    if (days == 1)
        return past ? QStringLiteral("昨天") : QStringLiteral("明天");
    if (days == 2)
        return past ? QStringLiteral("前天") : QStringLiteral("后天");
    if (days < 7)
        return counted(days, "天", past);
    if (days < 14)
        return past ? QStringLiteral("上周") : QStringLiteral("下周");
    if (days < 30)
        return counted(days / 7, "周", past);
    const qint64 months = days / 30;
    if (months == 1)
        return past ? QStringLiteral("上个月") : QStringLiteral("下个月");
    if (days < 365)
        return counted(months, "个月", past);
    const qint64 years = days / 365;
    if (years == 1)
        return past ? QStringLiteral("去年") : QStringLiteral("明年");
    return counted(years, "年", past);
}

} // namespace sorvel::RelativeDate
