#pragma once

#include <QString>

namespace sorvel::CueTime {

// A total length for summaries: 4′05″, 1h02′05″.
QString total(qint64 seconds);
// A clock-style length of one cue: 04:05, 1:02:05.
QString format(qint64 seconds);

} // namespace sorvel::CueTime
