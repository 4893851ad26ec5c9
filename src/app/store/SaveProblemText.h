#pragma once

#include "app/store/model/SaveProblem.h"

#include <QString>

namespace sorvel::SaveProblemText {

// The store's save problem as the user reads it: the usual failures of a
// write are said in Chinese; the path stays as it is.
QString forUser(const SaveProblem& problem);
// What the main window's bottom line says: why changes cannot be written,
// that the data file could not be read and where its bytes are kept, where
// the bytes of a file whose repeated members a write dropped are kept, or that
// another program holds the data folder; empty when all is well.
QString forBanner(const SaveProblem& problem, bool waitingForFolder);

} // namespace sorvel::SaveProblemText
