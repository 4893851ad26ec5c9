#pragma once

#include <QString>

namespace sorvel::SaveProblemText {

// The store's save problem as the user reads it: the system's English reasons
// for the usual failures of a write are said in Chinese; the path stays as it is.
QString forUser(const QString& problem);

} // namespace sorvel::SaveProblemText
