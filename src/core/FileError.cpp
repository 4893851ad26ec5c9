#include "core/FileError.h"

#include "core/SystemErrorText.h"

namespace sorvel {

QString FileError::text() const {
    if (number == 0)
        return context;
    if (context.isEmpty())
        return SystemErrorText::inEnglish(number);
    return context + QStringLiteral(": ") + SystemErrorText::inEnglish(number);
}

} // namespace sorvel
