#include "core/CueTime.h"

#include <QtGlobal>

#include <algorithm>

namespace sorvel::CueTime {

namespace {

struct Parts {
    qint64 hours;
    qint64 minutes; // within the hour
    qint64 seconds; // within the minute
};

// A negative length (only a hand-edited file holds one) reads as nothing.
Parts split(qint64 seconds) {
    const qint64 whole = qMax<qint64>(0, seconds);
    return {whole / 3600, whole / 60 % 60, whole % 60};
}

QString twoDigits(qint64 value) {
    return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0'));
}

} // namespace

std::optional<qint64> length(std::optional<qint64> duration) {
    if (!duration)
        return std::nullopt;
    return std::clamp<qint64>(*duration, 0, longest);
}

QString total(qint64 seconds) {
    const Parts parts = split(seconds);
    if (parts.hours > 0) {
        return QString::number(parts.hours) + QLatin1Char('h') + twoDigits(parts.minutes) + QChar(0x2032)
            + twoDigits(parts.seconds) + QChar(0x2033);
    }
    return QString::number(parts.minutes) + QChar(0x2032) + twoDigits(parts.seconds) + QChar(0x2033);
}

QString format(qint64 seconds) {
    const Parts parts = split(seconds);
    if (parts.hours > 0) {
        return QString::number(parts.hours) + QLatin1Char(':') + twoDigits(parts.minutes) + QLatin1Char(':')
            + twoDigits(parts.seconds);
    }
    return twoDigits(parts.minutes) + QLatin1Char(':') + twoDigits(parts.seconds);
}

} // namespace sorvel::CueTime
