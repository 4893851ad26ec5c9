#pragma once

#include <QList>
#include <QString>

#include <optional>

namespace sorvel {

// The case of an enumeration whose stored text is `text`, found through the
// enumeration's own storedText overload.
template <typename Enum>
std::optional<Enum> caseFromStoredText(const QList<Enum>& cases, const QString& text) {
    for (const Enum value : cases) {
        if (storedText(value) == text)
            return value;
    }
    return std::nullopt;
}

} // namespace sorvel
