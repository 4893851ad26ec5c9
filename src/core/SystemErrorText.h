#pragma once

#include <QString>

namespace sorvel::SystemErrorText {

// What went wrong, in Chinese, for an errno value: the user reads these at
// the end of an error line. Unlisted values keep their number, so a report
// can still be traced.
QString describe(int error);

} // namespace sorvel::SystemErrorText
