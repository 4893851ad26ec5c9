#pragma once

#include <QString>

namespace sorvel::SystemErrorText {

// What went wrong, in Chinese, for an errno value: the user reads these at
// the end of an error line. Unlisted values keep their number, so a report
// can still be traced.
QString describe(int error);
// The C library's own English words for an errno value, for the log.
QString inEnglish(int error);

} // namespace sorvel::SystemErrorText
