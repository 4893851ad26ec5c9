#include "core/CueText.h"

#include "core/UserText.h"

namespace sorvel::CueText {

QString storedNumber(const QString& typed) {
    return UserText::trimmed(typed);
}

std::optional<QString> storedTitle(const QString& typed) {
    QString trimmed = UserText::trimmed(typed);
    if (trimmed.isEmpty())
        return std::nullopt;
    return trimmed;
}

bool trim(Cue& cue) {
    const QString number = storedNumber(cue.number);
    const QString title = storedTitle(cue.title).value_or(cue.title);
    if (number == cue.number && title == cue.title)
        return false;
    cue.number = number;
    cue.title = title;
    return true;
}

QString shownNumber(const Cue& cue) {
    return UserText::singleLine(storedNumber(cue.number));
}

QString shownTitle(const Cue& cue) {
    return UserText::singleLine(storedTitle(cue.title).value_or(cue.title));
}

} // namespace sorvel::CueText
