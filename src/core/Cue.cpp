#include "core/Cue.h"

#include "core/Clock.h"

#include <limits>

namespace sorvel {

void Cue::setStage(CueStage newStage, const QDateTime& at) {
    stage = newStage;
    if (newStage > CueStage::NotStarted && !startDate)
        startDate = at;
    if (newStage >= CueStage::Mixed) {
        if (!mixedAt)
            mixedAt = at;
    } else {
        mixedAt.reset();
    }
    if (newStage == CueStage::Delivered) {
        if (!deliveredAt)
            deliveredAt = at;
    } else {
        deliveredAt.reset();
    }
}

void Cue::setDate(DateKind kind, const std::optional<QDateTime>& date) {
    switch (kind) {
    case DateKind::Start: startDate = date; return;
    case DateKind::Mixed:
        if (date) {
            if (stage < CueStage::Mixed)
                setStage(CueStage::Mixed, *date);
            mixedAt = date;
        } else {
            // Without a mix the cue goes back to work: revising once it has a real revision.
            const bool revised = !versions.isEmpty() && versions.last().number > 1;
            setStage(revised ? CueStage::Revising : CueStage::Composing, Clock::now());
        }
        return;
    case DateKind::Delivered:
        if (date) {
            if (stage < CueStage::Delivered)
                setStage(CueStage::Delivered, *date);
            deliveredAt = date;
        } else {
            setStage(CueStage::Mixed, Clock::now());
        }
        return;
    }
}

void Cue::addVersion(const QString& note, const QDateTime& at) {
    versions.append(CueVersion{QUuid::createUuid(), nextVersionNumber(versions), at, note});
    setStage(CueStage::Revising, at);
}

qint64 nextVersionNumber(const QList<CueVersion>& versions) {
    if (versions.isEmpty())
        return 2;
    const qint64 last = versions.last().number;
    return last < std::numeric_limits<qint64>::max() ? last + 1 : last;
}

namespace {

bool isAsciiDigit(char32_t c) {
    return c >= U'0' && c <= U'9';
}

// The code point that ends at `end` in `text` and where it starts.
char32_t codePointBefore(QStringView text, qsizetype end, qsizetype* start) {
    *start = end - 1;
    const QChar last = text.at(end - 1);
    if (last.isLowSurrogate() && end >= 2 && text.at(end - 2).isHighSurrogate()) {
        *start = end - 2;
        return QChar::surrogateToUcs4(text.at(end - 2), last);
    }
    return last.unicode();
}

// A decimal digit of any script, as a regular expression's \d matches it.
bool isDigit(char32_t c) {
    return QChar::category(c) == QChar::Number_DecimalDigit;
}

// The decimal value of a run of ASCII digits, none when it does not fit or
// holds any other digit.
std::optional<qint64> parseDigits(QStringView digits) {
    constexpr qint64 largest = std::numeric_limits<qint64>::max();
    qint64 value = 0;
    for (const QChar c : digits) {
        if (!isAsciiDigit(c.unicode()))
            return std::nullopt;
        const int digit = c.unicode() - '0';
        if (value > (largest - digit) / 10)
            return std::nullopt;
        value = value * 10 + digit;
    }
    return value;
}

} // namespace

QString nextCueNumber(const std::optional<QString>& previous, qint64 fallback) {
    const QString fallbackText = QString::number(fallback);
    if (!previous)
        return fallbackText;
    const QString& text = *previous;

    // The last run of digits of any script: everything after it holds no digit.
    const QStringView view(text);
    qsizetype end = view.size();
    qsizetype before = 0;
    while (end > 0 && !isDigit(codePointBefore(view, end, &before)))
        end = before;
    if (end == 0)
        return fallbackText;
    qsizetype start = end;
    while (start > 0 && isDigit(codePointBefore(view, start, &before)))
        start = before;

    const QStringView run = QStringView(text).sliced(start, end - start);
    const std::optional<qint64> value = parseDigits(run);
    if (!value || *value == std::numeric_limits<qint64>::max())
        return fallbackText;

    const QString counted = QString::number(*value + 1).rightJustified(run.size(), QLatin1Char('0'));
    return text.left(start) + counted + text.mid(end);
}

} // namespace sorvel
