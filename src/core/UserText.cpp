#include "core/UserText.h"

namespace sorvel::UserText {

namespace {

bool isTrimmable(QChar c) {
    return c == QLatin1Char('\t') || c.category() == QChar::Separator_Space;
}

// LRE, RLE, PDF, LRO, RLO and LRI, RLI, FSI, PDI.
bool isDirectionControl(QChar c) {
    const char16_t u = c.unicode();
    return (u >= 0x202A && u <= 0x202E) || (u >= 0x2066 && u <= 0x2069);
}

bool isRightToLeft(char32_t code) {
    const QChar::Direction direction = QChar::direction(code);
    return direction == QChar::DirR || direction == QChar::DirAL;
}

constexpr QChar firstStrongIsolate(0x2068);
constexpr QChar popDirectionalIsolate(0x2069);
constexpr QChar ellipsis(0x2026);

} // namespace

bool isLineBreak(QChar c) {
    switch (c.unicode()) {
    case 0x000A:
    case 0x000B:
    case 0x000C:
    case 0x000D:
    case 0x0085:
    case 0x2028:
    case 0x2029: return true;
    default: return false;
    }
}

QString oneLine(const QString& text) {
    QString line = text;
    for (QChar& c : line) {
        if (isLineBreak(c) || c == QLatin1Char('\t'))
            c = QLatin1Char(' ');
    }
    return line;
}

QString singleLine(const QString& text) {
    const bool cut = text.size() > maxDisplayLength;
    qsizetype length = cut ? maxDisplayLength : text.size();
    if (cut && text.at(length - 1).isHighSurrogate())
        --length; // never half a character
    const QString flat = oneLine(text.left(length));
    QString line;
    line.reserve(length + 3);
    bool rightToLeft = false;
    for (qsizetype i = 0; i < length; ++i) {
        const QChar c = flat.at(i);
        if (isDirectionControl(c))
            continue;
        char32_t code = c.unicode();
        if (c.isHighSurrogate() && i + 1 < length && flat.at(i + 1).isLowSurrogate())
            code = QChar::surrogateToUcs4(c, flat.at(i + 1));
        rightToLeft = rightToLeft || isRightToLeft(code);
        line += c;
    }
    if (cut)
        line += ellipsis;
    if (rightToLeft)
        return firstStrongIsolate + line + popDirectionalIsolate;
    return line;
}

QString menuText(const QString& text) {
    QString escaped = singleLine(text);
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
