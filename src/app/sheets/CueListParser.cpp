#include "app/sheets/CueListParser.h"

#include "core/UserText.h"

namespace sorvel::CueListParser {

QStringList titles(const QString& text) {
    QStringList result;
    QString line;
    const auto takeLine = [&] {
        const QString title = UserText::trimmed(line);
        if (!title.isEmpty())
            result << title;
        line.clear();
    };
    for (const QChar c : text) {
        if (UserText::isLineBreak(c))
            takeLine();
        else
            line += c;
    }
    takeLine();
    return result;
}

} // namespace sorvel::CueListParser
