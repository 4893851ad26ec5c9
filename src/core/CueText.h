#pragma once

#include "core/Cue.h"

#include <QString>

#include <optional>

namespace sorvel::CueText {

// What a typed cue number is stored as: without surrounding tabs and spaces.
QString storedNumber(const QString& typed);
// What a typed title is stored as, trimmed the same way; none when nothing is
// left, because a title is never emptied.
std::optional<QString> storedTitle(const QString& typed);
// Stores the cue's own number and title as typed text would be; false when
// there was nothing to trim.
bool trim(Cue& cue);

} // namespace sorvel::CueText
