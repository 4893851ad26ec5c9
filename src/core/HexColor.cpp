#include "core/HexColor.h"

#include "core/UnitFraction.h"

#include <QtGlobal>

#include <cmath>

namespace sorvel {

namespace {

bool isBlank(QChar c) {
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

// The value of one hexadecimal digit in either case, -1 for anything else.
int hexDigit(QChar c) {
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    return -1;
}

int channelFromFraction(double fraction) {
    return int(std::round(clampedFraction(fraction) * 255));
}

QString hexPair(int channel) {
    return QStringLiteral("%1").arg(qBound(0, channel, 255), 2, 16, QLatin1Char('0')).toUpper();
}

} // namespace

std::optional<HexColor> HexColor::parse(const QString& text) {
    // Only blanks and tabs are trimmed: a line break left in the text makes it no colour.
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text.at(begin)))
        ++begin;
    while (end > begin && isBlank(text.at(end - 1)))
        --end;
    if (begin < end && text.at(begin) == QLatin1Char('#'))
        ++begin;

    const qsizetype length = end - begin;
    if (length != 6 && length != 8)
        return std::nullopt;

    int channels[4] = {0, 0, 0, 255};
    for (qsizetype pair = 0; pair < length / 2; ++pair) {
        const int high = hexDigit(text.at(begin + pair * 2));
        const int low = hexDigit(text.at(begin + pair * 2 + 1));
        if (high < 0 || low < 0)
            return std::nullopt;
        channels[pair] = high * 16 + low;
    }
    return HexColor{channels[0], channels[1], channels[2], channels[3]};
}

QString HexColor::text() const {
    QString result = hexPair(red) + hexPair(green) + hexPair(blue);
    if (alpha < 255)
        result += hexPair(alpha);
    return result;
}

HexColor HexColor::fromFractions(double red, double green, double blue, double alpha) {
    return HexColor{channelFromFraction(red), channelFromFraction(green), channelFromFraction(blue),
                    channelFromFraction(alpha)};
}

} // namespace sorvel
