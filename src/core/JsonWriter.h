#pragma once

#include "core/UnknownMembers.h"

#include <QByteArray>
#include <QString>

#include <cstring>
#include <type_traits>
#include <utility>
#include <vector>

namespace sorvel {

// Where a JsonWriter's text goes: into memory allocated once, of the size a
// counting pass (JsonLength) found, so that a large file's text is never moved.
// Every write is preceded by ensure() for at most the bytes it writes.
class JsonBytes {
public:
    // Room for `expectedBytes` and for the largest single write beyond them.
    explicit JsonBytes(qsizetype expectedBytes = 0);

    void ensure(qsizetype count) {
        if (m_end - m_at < count)
            grow(count);
    }
    void put(char c) { *m_at++ = c; }
    void put(const char* text, qsizetype length) {
        std::memcpy(m_at, text, size_t(length));
        m_at += length;
    }
    void fill(char c, qsizetype count) {
        std::memset(m_at, c, size_t(count));
        m_at += count;
    }
    // A number that is not whole, in its shortest form.
    void shortestNumber(double number);

    QByteArray take();

private:
    void grow(qsizetype count);

    QByteArray m_bytes;
    char* m_at = nullptr;
    char* m_end = nullptr;
};

// Counts what a JsonWriter would write; a number that is not whole counts as
// long as its shortest form can be, so the count is exact or a little more.
class JsonLength {
public:
    // "-1.7976931348623157e+308"
    static constexpr qsizetype longestNumber = 24;

    void ensure(qsizetype) {}
    void put(char) { ++m_count; }
    void put(const char*, qsizetype length) { m_count += length; }
    void fill(char, qsizetype count) { m_count += count; }
    void shortestNumber(double) { m_count += longestNumber; }

    qsizetype count() const { return m_count; }

private:
    qsizetype m_count = 0;
};

// Writes indented JSON text exactly as QJsonDocument::toJson(QJsonDocument::Indented)
// lays out the same values: four spaces per level, "key": value, an empty
// container's brackets on two lines, whole numbers up to 2^53 without a
// fraction, other numbers in their shortest form, non-finite numbers as null,
// and strings escaped the same way (other characters as UTF-8, a lone
// surrogate as \uXXXX). Building no document first makes it several times
// faster. Keys are written in the order given: callers give them sorted, as a
// QJsonObject would hold them.
template <typename Output>
class BasicJsonWriter {
public:
    // Whether the text is only counted: then a caller may skip making texts
    // whose length it knows.
    static constexpr bool countsOnly = std::is_same_v<Output, JsonLength>;

    explicit BasicJsonWriter(Output output = Output()) : m_out(std::move(output)) {}

    void beginObject();
    // An object holding members this program does not read besides the ones
    // given by key(): each is written where it stood, after the member it
    // followed, or where that member would stand among the keys given.
    void beginObject(const UnknownMembers& unknown);
    void endObject();
    void beginArray();
    void endArray();
    // Starts the next member of the current object.
    void key(const char* name);

    void string(const QString& text);
    // Text known to need no escaping (identifiers, dates).
    void plainString(const char* text, qsizetype length);
    void whole(qint64 number);
    void number(double number);
    void truth(bool value);

    // Ends the text (a top-level container ends with a line break, as
    // toJson's does) and gives what it went to.
    Output& finish();

private:
    struct Level {
        bool isArray;
        bool hasItems;
        // The unknown members not yet written.
        UnknownMembers::const_iterator unknown{};
        UnknownMembers::const_iterator unknownEnd{};
    };

    // Before a key in an object, or a value in an array: separator and indent.
    void nextItem();
    void beforeValue();
    void open(char bracket, bool isArray);
    void close(char bracket);
    // The unknown members of the current object that stood before `key` (all when null).
    void putUnknownBefore(const char* key);
    void put(const char* text, qsizetype length);
    // A string given as UTF-8, as string() writes it.
    void utf8String(QByteArrayView text);

    Output m_out;
    std::vector<Level> m_levels; // the open containers
};

extern template class BasicJsonWriter<JsonBytes>;
extern template class BasicJsonWriter<JsonLength>;

using JsonWriter = BasicJsonWriter<JsonBytes>;
// Measures what a JsonWriter given the same calls would write.
using JsonSizer = BasicJsonWriter<JsonLength>;

} // namespace sorvel
