#include "app/sheets/TypedText.h"

namespace sorvel::TypedText {

namespace {

bool isTrimmable(QChar c) {
    return c == QLatin1Char('\t') || c.category() == QChar::Separator_Space;
}

} // namespace

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

} // namespace sorvel::TypedText
