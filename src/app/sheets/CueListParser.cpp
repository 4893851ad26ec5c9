#include "app/sheets/CueListParser.h"

#include "app/sheets/TypedText.h"

namespace sorvel::CueListParser {

namespace {

bool isLineBreak(QChar c) {
    switch (c.unicode()) {
    case 0x000A: case 0x000B: case 0x000C: case 0x000D:
    case 0x0085: case 0x2028: case 0x2029:
        return true;
    default:
        return false;
    }
}

} // namespace

QStringList titles(const QString& text) {
    QStringList result;
    QString line;
    const auto takeLine = [&] {
        const QString title = TypedText::trimmed(line);
        if (!title.isEmpty())
            result << title;
        line.clear();
    };
    for (const QChar c : text) {
        if (isLineBreak(c))
            takeLine();
        else
            line += c;
    }
    takeLine();
    return result;
}

} // namespace sorvel::CueListParser
