#pragma once

#include <QDateTime>
#include <QString>

namespace sorvel::ChineseDateText {

// A date without time in the local calendar: "2026年12月8日". Empty for an invalid date.
QString abbreviated(const QDateTime& date);

} // namespace sorvel::ChineseDateText
