#pragma once

#include <QString>
#include <QStringList>

namespace sorvel::CueListParser {

// The cue titles typed one per line: every kind of line break separates,
// lines are trimmed, and blank lines are dropped.
QStringList titles(const QString& text);

} // namespace sorvel::CueListParser
