#include "core/JsonWriter.h"

#include <QLocale>

#include <algorithm>
#include <charconv>
#include <cmath>

namespace sorvel {

namespace {

constexpr char hexDigits[] = "0123456789abcdef";

// Whole numbers that a double holds exactly are kept as integers in a
// QJsonValue, and so written without exponent or fraction.
constexpr double exactWholeLimit = 9007199254740992.0; // 2^53

// Strings are written in pieces of this many UTF-16 units, each after one
// ensure() for the most its escaped form can take: six bytes a unit (\u001f).
constexpr qsizetype unitsPerPiece = 128;
constexpr qsizetype mostBytesPerUnit = 6;
// The largest single ensure(): a piece of a string, with a pair running over
// its end and the closing quote.
constexpr qsizetype largestWrite = (unitsPerPiece + 1) * mostBytesPerUnit + 1;

template <typename Output>
void putEscapedAscii(Output& out, char16_t u) {
    out.put('\\');
    switch (u) {
    case 0x22: out.put('"'); return;
    case 0x5c: out.put('\\'); return;
    case 0x08: out.put('b'); return;
    case 0x0c: out.put('f'); return;
    case 0x0a: out.put('n'); return;
    case 0x0d: out.put('r'); return;
    case 0x09: out.put('t'); return;
    default: break;
    }
    out.put("u00", 3);
    out.put(hexDigits[(u >> 4) & 0xf]);
    out.put(hexDigits[u & 0xf]);
}

template <typename Output>
void putUnicodeEscape(Output& out, char16_t u) {
    out.put("\\u", 2);
    out.put(hexDigits[(u >> 12) & 0xf]);
    out.put(hexDigits[(u >> 8) & 0xf]);
    out.put(hexDigits[(u >> 4) & 0xf]);
    out.put(hexDigits[u & 0xf]);
}

template <typename Output>
void putUtf8(Output& out, char32_t code) {
    if (code < 0x800) {
        out.put(char(0xc0 | (code >> 6)));
    } else if (code < 0x10000) {
        out.put(char(0xe0 | (code >> 12)));
        out.put(char(0x80 | ((code >> 6) & 0x3f)));
    } else {
        out.put(char(0xf0 | (code >> 18)));
        out.put(char(0x80 | ((code >> 12) & 0x3f)));
        out.put(char(0x80 | ((code >> 6) & 0x3f)));
    }
    out.put(char(0x80 | (code & 0x3f)));
}

} // namespace

// ---------------------------------------------------------------- JsonBytes

JsonBytes::JsonBytes(qsizetype expectedBytes)
    : m_bytes(expectedBytes + largestWrite, Qt::Uninitialized),
      m_at(m_bytes.data()),
      m_end(m_bytes.data() + m_bytes.size()) {}

void JsonBytes::grow(qsizetype count) {
    const qsizetype used = m_at - m_bytes.data();
    // Only when the count before was short: the text so far is moved once.
    const qsizetype size = std::max(used + count, m_bytes.size() + m_bytes.size() / 2);
    m_bytes.resize(size);
    m_at = m_bytes.data() + used;
    m_end = m_bytes.data() + m_bytes.size();
}

void JsonBytes::shortestNumber(double number) {
    const QByteArray text = QByteArray::number(number, 'g', QLocale::FloatingPointShortest);
    ensure(text.size());
    put(text.constData(), text.size());
}

QByteArray JsonBytes::take() {
    m_bytes.resize(m_at - m_bytes.data());
    m_at = m_end = nullptr;
    return std::move(m_bytes);
}

// ---------------------------------------------------------------- BasicJsonWriter

template <typename Output>
void BasicJsonWriter<Output>::put(const char* text, qsizetype length) {
    m_out.ensure(length);
    m_out.put(text, length);
}

template <typename Output>
void BasicJsonWriter<Output>::nextItem() {
    const qsizetype indent = qsizetype(4 * m_levels.size());
    m_out.ensure(2 + indent);
    if (m_levels.back().hasItems)
        m_out.put(',');
    m_out.put('\n');
    m_out.fill(' ', indent);
    m_levels.back().hasItems = true;
}

template <typename Output>
void BasicJsonWriter<Output>::beforeValue() {
    if (!m_levels.empty() && m_levels.back().isArray)
        nextItem();
}

template <typename Output>
void BasicJsonWriter<Output>::open(char bracket, bool isArray) {
    beforeValue();
    m_out.ensure(1);
    m_out.put(bracket);
    m_levels.push_back({isArray, false});
}

template <typename Output>
void BasicJsonWriter<Output>::close(char bracket) {
    m_levels.pop_back();
    const qsizetype indent = qsizetype(4 * m_levels.size());
    m_out.ensure(2 + indent);
    m_out.put('\n');
    m_out.fill(' ', indent);
    m_out.put(bracket);
}

template <typename Output>
void BasicJsonWriter<Output>::putUnknownBefore(const char* key) {
    Level& level = m_levels.back();
    while (level.unknown != level.unknownEnd) {
        const UnknownMemberText member = *level.unknown;
        if (key && !(member.after < QByteArrayView(key)))
            return;
        ++level.unknown;
        nextItem();
        utf8String(member.key);
        put(": ", 2);
        put(member.json.data(), member.json.size());
    }
}

template <typename Output>
void BasicJsonWriter<Output>::utf8String(QByteArrayView text) {
    const bool plain =
        std::all_of(text.begin(), text.end(), [](char c) { return quint8(c) >= 0x20 && c != '"' && c != '\\'; });
    if (plain)
        plainString(text.data(), text.size());
    else
        string(QString::fromUtf8(text));
}

template <typename Output>
void BasicJsonWriter<Output>::key(const char* name) {
    if (m_levels.back().unknown != m_levels.back().unknownEnd)
        putUnknownBefore(name);
    nextItem();
    const qsizetype length = qsizetype(std::strlen(name));
    m_out.ensure(length + 4);
    m_out.put('"');
    m_out.put(name, length);
    m_out.put("\": ", 3);
}

template <typename Output>
void BasicJsonWriter<Output>::beginObject() {
    open('{', false);
}

template <typename Output>
void BasicJsonWriter<Output>::beginObject(const UnknownMembers& unknown) {
    open('{', false);
    m_levels.back().unknown = unknown.begin();
    m_levels.back().unknownEnd = unknown.end();
}

template <typename Output>
void BasicJsonWriter<Output>::endObject() {
    if (m_levels.back().unknown != m_levels.back().unknownEnd)
        putUnknownBefore(nullptr);
    close('}');
}

template <typename Output>
void BasicJsonWriter<Output>::beginArray() {
    open('[', true);
}

template <typename Output>
void BasicJsonWriter<Output>::endArray() {
    close(']');
}

template <typename Output>
void BasicJsonWriter<Output>::string(const QString& text) {
    beforeValue();
    const char16_t* at = reinterpret_cast<const char16_t*>(text.constData());
    const char16_t* const end = at + text.size();
    m_out.ensure(1);
    m_out.put('"');
    while (at < end) {
        const char16_t* const pieceEnd = at + std::min<qsizetype>(end - at, unitsPerPiece);
        // A pair at the piece's end takes one unit beyond it.
        m_out.ensure((pieceEnd - at + 1) * mostBytesPerUnit);
        while (at < pieceEnd) {
            const char16_t u = *at++;
            if (u < 0x80) {
                if (u < 0x20 || u == 0x22 || u == 0x5c)
                    putEscapedAscii(m_out, u);
                else
                    m_out.put(char(u));
            } else if (QChar::isHighSurrogate(u) && at != end && QChar::isLowSurrogate(*at)) {
                putUtf8(m_out, QChar::surrogateToUcs4(u, *at++));
            } else if (QChar::isSurrogate(u)) {
                putUnicodeEscape(m_out, u); // not a character: kept as its code unit
            } else {
                putUtf8(m_out, u);
            }
        }
    }
    m_out.ensure(1);
    m_out.put('"');
}

template <typename Output>
void BasicJsonWriter<Output>::plainString(const char* text, qsizetype length) {
    beforeValue();
    m_out.ensure(length + 2);
    m_out.put('"');
    m_out.put(text, length);
    m_out.put('"');
}

template <typename Output>
void BasicJsonWriter<Output>::whole(qint64 number) {
    beforeValue();
    char digits[24];
    const std::to_chars_result written = std::to_chars(digits, digits + sizeof digits, number);
    put(digits, written.ptr - digits);
}

template <typename Output>
void BasicJsonWriter<Output>::number(double number) {
    if (!std::isfinite(number)) {
        beforeValue();
        put("null", 4);
    } else if (std::abs(number) <= exactWholeLimit && std::trunc(number) == number) {
        whole(qint64(number));
    } else {
        beforeValue();
        m_out.shortestNumber(number);
    }
}

template <typename Output>
void BasicJsonWriter<Output>::truth(bool value) {
    beforeValue();
    if (value)
        put("true", 4);
    else
        put("false", 5);
}

template <typename Output>
Output& BasicJsonWriter<Output>::finish() {
    m_out.ensure(1);
    m_out.put('\n');
    return m_out;
}

template class BasicJsonWriter<JsonBytes>;
template class BasicJsonWriter<JsonLength>;

} // namespace sorvel
