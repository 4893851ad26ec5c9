#include "core/ChineseDateText.h"

namespace sorvel::ChineseDateText {

QString abbreviated(const QDateTime& date) {
    if (!date.isValid())
        return {};
    const QDate day = date.toLocalTime().date();
    return QStringLiteral("%1年%2月%3日").arg(day.year()).arg(day.month()).arg(day.day());
}

} // namespace sorvel::ChineseDateText
