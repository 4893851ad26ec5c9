#pragma once

#include <QString>

namespace sorvel::FreeName {

// The path itself when nothing exists there, else the first free one of
// "stem 2.ext", "stem 3.ext", … in the same folder (Tape → Tape 2, Demo.take → Demo 2.take).
// A dangling symbolic link counts as something.
QString path(const QString& wanted);

} // namespace sorvel::FreeName
