#include "core/JsonWriter.h"

#include <QLocale>

#include <cmath>

namespace sorvel {

namespace {

constexpr char hexDigits[] = "0123456789abcdef";

// Whole numbers that a double holds exactly are kept as integers in a
// QJsonValue, and so written without exponent or fraction.
constexpr double exactWholeLimit = 9007199254740992.0;  // 2^53

void appendEscapedAscii(QByteArray& out, char16_t u) {
    out += '\\';
    switch (u) {
    case 0x22: out += '"'; return;
    case 0x5c: out += '\\'; return;
    case 0x08: out += 'b'; return;
    case 0x0c: out += 'f'; return;
    case 0x0a: out += 'n'; return;
    case 0x0d: out += 'r'; return;
    case 0x09: out += 't'; return;
    default: break;
    }
    out += "u00";
    out += hexDigits[(u >> 4) & 0xf];
    out += hexDigits[u & 0xf];
}

void appendUnicodeEscape(QByteArray& out, char16_t u) {
    out += "\\u";
    out += hexDigits[(u >> 12) & 0xf];
    out += hexDigits[(u >> 8) & 0xf];
    out += hexDigits[(u >> 4) & 0xf];
    out += hexDigits[u & 0xf];
}

void appendUtf8(QByteArray& out, char32_t code) {
    if (code < 0x800) {
        out += char(0xc0 | (code >> 6));
    } else if (code < 0x10000) {
        out += char(0xe0 | (code >> 12));
        out += char(0x80 | ((code >> 6) & 0x3f));
    } else {
        out += char(0xf0 | (code >> 18));
        out += char(0x80 | ((code >> 12) & 0x3f));
        out += char(0x80 | ((code >> 6) & 0x3f));
    }
    out += char(0x80 | (code & 0x3f));
}

} // namespace

JsonWriter::JsonWriter(qsizetype expectedBytes) {
    m_out.reserve(expectedBytes);
}

void JsonWriter::indent() {
    m_out.append(qsizetype(4 * m_levels.size()), ' ');
}

void JsonWriter::nextItem() {
    m_out += m_levels.back().hasItems ? ",\n" : "\n";
    m_levels.back().hasItems = true;
    indent();
}

void JsonWriter::beforeValue() {
    if (!m_levels.empty() && m_levels.back().isArray)
        nextItem();
}

void JsonWriter::open(char bracket, bool isArray) {
    beforeValue();
    m_out += bracket;
    m_levels.push_back({isArray, false});
}

void JsonWriter::close(char bracket) {
    m_levels.pop_back();
    m_out += '\n';
    indent();
    m_out += bracket;
}

void JsonWriter::key(const char* name) {
    nextItem();
    m_out += '"';
    m_out += name;
    m_out += "\": ";
}

void JsonWriter::beginObject() {
    open('{', false);
}

void JsonWriter::endObject() {
    close('}');
}

void JsonWriter::beginArray() {
    open('[', true);
}

void JsonWriter::endArray() {
    close(']');
}

void JsonWriter::string(const QString& text) {
    beforeValue();
    m_out += '"';
    const char16_t* at = reinterpret_cast<const char16_t*>(text.constData());
    const char16_t* const end = at + text.size();
    while (at != end) {
        const char16_t u = *at++;
        if (u < 0x80) {
            if (u < 0x20 || u == 0x22 || u == 0x5c)
                appendEscapedAscii(m_out, u);
            else
                m_out += char(u);
        } else if (QChar::isHighSurrogate(u) && at != end && QChar::isLowSurrogate(*at)) {
            appendUtf8(m_out, QChar::surrogateToUcs4(u, *at++));
        } else if (QChar::isSurrogate(u)) {
            appendUnicodeEscape(m_out, u);  // not a character: kept as its code unit
        } else {
            appendUtf8(m_out, u);
        }
    }
    m_out += '"';
}

void JsonWriter::plainString(const char* text, qsizetype length) {
    beforeValue();
    m_out += '"';
    m_out.append(text, length);
    m_out += '"';
}

void JsonWriter::whole(qint64 number) {
    beforeValue();
    m_out += QByteArray::number(number);
}

void JsonWriter::number(double number) {
    beforeValue();
    if (!std::isfinite(number)) {
        m_out += "null";
    } else if (std::abs(number) <= exactWholeLimit && std::trunc(number) == number) {
        m_out += QByteArray::number(qint64(number));
    } else {
        m_out += QByteArray::number(number, 'g', QLocale::FloatingPointShortest);
    }
}

void JsonWriter::truth(bool value) {
    beforeValue();
    m_out += value ? "true" : "false";
}

QByteArray JsonWriter::take() {
    m_out += '\n';
    return std::move(m_out);
}

} // namespace sorvel
