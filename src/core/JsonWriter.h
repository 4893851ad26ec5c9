#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

namespace sorvel {

// Writes indented JSON text straight into bytes, exactly as
// QJsonDocument::toJson(QJsonDocument::Indented) lays out the same values: four
// spaces per level, "key": value, an empty container's brackets on two lines,
// whole numbers up to 2^53 without a fraction, other numbers in their shortest
// form, non-finite numbers as null, and strings escaped the same way (other
// characters as UTF-8, a lone surrogate as \uXXXX). Building no document first
// makes it several times faster. Keys are written in the order given: callers
// give them sorted, as a QJsonObject would hold them.
class JsonWriter {
public:
    explicit JsonWriter(qsizetype expectedBytes = 0);

    void beginObject();
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

    // The text; a top-level container ends with a line break, as toJson's does.
    QByteArray take();

private:
    struct Level {
        bool isArray;
        bool hasItems;
    };

    // Before a key in an object, or a value in an array: separator and indent.
    void nextItem();
    void beforeValue();
    void indent();
    void open(char bracket, bool isArray);
    void close(char bracket);

    QByteArray m_out;
    std::vector<Level> m_levels;  // the open containers
};

} // namespace sorvel
