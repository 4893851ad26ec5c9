#pragma once

#include <QString>

#include <optional>

namespace sorvel::CueTime {

// The longest length of one cue that is shown and counted: what the duration
// column shows whole, and ten times the hours the picker sets.
constexpr qint64 longest = 99 * 3600 + 59 * 60 + 59;

// What a cue's stored duration shows and counts as: within 0 … longest (a
// hand-edited file may hold any whole number, which stays as it is), or none.
std::optional<qint64> length(std::optional<qint64> duration);
// A total length for summaries: 4′05″, 1h02′05″.
QString total(qint64 seconds);
// A clock-style length of one cue: 04:05, 1:02:05.
QString format(qint64 seconds);

} // namespace sorvel::CueTime
