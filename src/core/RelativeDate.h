#pragma once

#include <QDateTime>
#include <QString>

namespace sorvel::RelativeDate {

// How long ago (or ahead) `date` lies from `now`, in words: "现在",
// "5 分钟前", "3 小时后", "昨天", "前天", "4 天前", "上周", "2 周前",
// "上个月", "5 个月前", "去年", "3 年前". Whole units, counted down.
QString text(const QDateTime& date, const QDateTime& now);

} // namespace sorvel::RelativeDate
