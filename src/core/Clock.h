#pragma once

#include <QDateTime>

namespace sorvel::Clock {

// The current time in UTC, cut to whole seconds. The data file keeps whole
// seconds, so a record stamped in memory equals the same record read back.
QDateTime now();

// Midnight that starts the current day, in the local time zone.
QDateTime startOfToday();

} // namespace sorvel::Clock
