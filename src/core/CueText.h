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
// The number and title as shown on one line outside the cue table, which
// stores them trimmed only once it has shown them.
QString shownNumber(const Cue& cue);
QString shownTitle(const Cue& cue);

} // namespace sorvel::CueText
