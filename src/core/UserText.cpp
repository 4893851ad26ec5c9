#include "core/UserText.h"

namespace sorvel::UserText {

namespace {

bool isTrimmable(QChar c) {
    return c == QLatin1Char('\t') || c.category() == QChar::Separator_Space;
}

} // namespace

bool isLineBreak(QChar c) {
    switch (c.unicode()) {
    case 0x000A: case 0x000B: case 0x000C: case 0x000D:
    case 0x0085: case 0x2028: case 0x2029:
        return true;
    default:
        return false;
    }
}

QString singleLine(const QString& text) {
    QString line = text;
    for (QChar& c : line) {
        if (isLineBreak(c))
            c = QLatin1Char(' ');
    }
    return line;
}

QString menuText(const QString& text) {
    QString escaped = singleLine(text);
    escaped.replace(QLatin1Char('\t'), QLatin1Char(' '));
    escaped.replace(QLatin1Char('&'), QStringLiteral("&&"));
    return escaped;
}

QString trimmed(const QString& text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isTrimmable(text.at(begin)))
        ++begin;
    while (end > begin && isTrimmable(text.at(end - 1)))
        --end;
    return text.mid(begin, end - begin);
}

bool isBlank(const QString& text) {
    return trimmed(text).isEmpty();
}

} // namespace sorvel::UserText
