#include "core/Clock.h"

namespace sorvel::Clock {

QDateTime now() {
    const qint64 seconds = QDateTime::currentSecsSinceEpoch();
    return QDateTime::fromSecsSinceEpoch(seconds, Qt::UTC);
}

QDateTime startOfToday() {
    return QDate::currentDate().startOfDay();
}

} // namespace sorvel::Clock
