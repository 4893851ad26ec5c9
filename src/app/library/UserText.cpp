#include "app/library/UserText.h"

namespace sorvel::UserText {

QString singleLine(const QString& text) {
    QString line = text;
    for (QChar& c : line) {
        const char16_t u = c.unicode();
        if (u == u'\n' || u == u'\r' || u == u'\v' || u == u'\f' || u == 0x0085 || u == 0x2028 || u == 0x2029)
            c = QLatin1Char(' ');
    }
    return line;
}

QString menuText(const QString& text) {
    QString escaped = singleLine(text);
    escaped.replace(QLatin1Char('&'), QStringLiteral("&&"));
    return escaped;
}

} // namespace sorvel::UserText
