#pragma once

#include <QDateTime>
#include <QString>

namespace sorvel::StudioText {

// "MM.dd" within the current year, "yyyy.MM.dd" otherwise (local calendar).
QString shortDate(const QDateTime& date);
// Whole percent, at least two digits, no sign: 0.05 → "05". Clamped to 0…1; not finite → 0.
QString percent(double value);
// Whole percent with "%": 0.4 → "40%". Clamped to 0…1; not finite → 0.
QString percentText(double value);
// Counts of tapes: at least two digits, zero-padded ("07", "123").
QString paddedCount(qint64 count);
// "07 TAPES".
QString tapeCount(qint64 count);

} // namespace sorvel::StudioText
