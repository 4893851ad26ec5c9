#pragma once

#include <QDateTime>
#include <QString>

namespace sorvel::ChineseDateText {

// How long ago (or ahead) `date` lies from `now`, in Simplified Chinese, by
// the largest calendar unit that differs in local time: "现在", "12秒钟前",
// "3分钟前", "5小时前", "昨天", "前天", "4天前", "上周", "2周前", "上个月",
// "3个月前", "去年", "2年前", and the same ahead ("明天", "3分钟后", "下周").
QString relative(const QDateTime& date, const QDateTime& now);

// A date without time in the local calendar: "2026年12月8日". Empty for an invalid date.
QString abbreviated(const QDateTime& date);

} // namespace sorvel::ChineseDateText
