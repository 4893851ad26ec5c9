#include "core/StudioText.h"

#include "core/Clock.h"
#include "core/UnitFraction.h"

#include <cmath>

namespace sorvel::StudioText {

namespace {

QString padded(int value, int width) {
    return QString::number(value).rightJustified(width, QLatin1Char('0'));
}

// Whole percent, halves away from zero; clamping keeps the result within 0…100.
qint64 wholePercent(double value) {
    return qint64(std::round(clampedFraction(value) * 100));
}

} // namespace

QString shortDate(const QDateTime& date) {
    if (!date.isValid())
        return {};
    const QDate day = date.toLocalTime().date();
    const QString monthAndDay = padded(day.month(), 2) + QLatin1Char('.') + padded(day.day(), 2);
    if (day.year() == Clock::now().toLocalTime().date().year())
        return monthAndDay;
    return QString::number(day.year()) + QLatin1Char('.') + monthAndDay;
}

QString percent(double value) {
    return QString::number(wholePercent(value)).rightJustified(2, QLatin1Char('0'));
}

QString percentText(double value) {
    return QString::number(wholePercent(value)) + QLatin1Char('%');
}

QString paddedCount(qint64 count) {
    return QString::asprintf("%02lld", static_cast<long long>(count));
}

QString tapeCount(qint64 count) {
    return paddedCount(count) + QStringLiteral(" TAPES");
}

} // namespace sorvel::StudioText
