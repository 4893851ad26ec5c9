#include "core/RecordCoding.h"

#include "core/DuplicateIds.h"
#include "core/JsonWriter.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QJsonValue>
#include <QVarLengthArray>

#include <simdjson.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>
#include <deque>
#include <string>
#include <string_view>
#include <type_traits>

namespace sorvel::RecordCoding {

namespace {

// ---------------------------------------------------------------- values

bool isAsciiDigit(char c) {
    return c >= '0' && c <= '9';
}

// Hexadecimal digits of either case by their byte; -1 for any other byte.
constexpr std::array<qint8, 256> hexDigitValues = [] {
    std::array<qint8, 256> values{};
    values.fill(-1);
    for (int i = 0; i < 10; ++i)
        values[size_t('0' + i)] = qint8(i);
    for (int i = 0; i < 6; ++i) {
        values[size_t('a' + i)] = qint8(10 + i);
        values[size_t('A' + i)] = qint8(10 + i);
    }
    return values;
}();

// Identifiers and dates are ASCII; they are read from the file's UTF-8 bytes,
// where any other character simply fails the checks.

// The decimal number of `count` ASCII digits at `at`, none when any is missing.
std::optional<int> digitsAt(std::string_view text, qsizetype at, int count) {
    if (at < 0 || at + count > qsizetype(text.size()))
        return std::nullopt;
    int value = 0;
    for (int i = 0; i < count; ++i) {
        const char c = text[size_t(at + i)];
        if (!isAsciiDigit(c))
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

bool charAt(std::string_view text, qsizetype at, char expected) {
    return at < qsizetype(text.size()) && text[size_t(at)] == expected;
}

std::optional<QUuid> idFromBytes(std::string_view text) {
    // Where the 32 digits stand in the 8-4-4-4-12 form.
    static constexpr std::array<quint8, 32> digitAt = {0,  1,  2,  3,  4,  5,  6,  7,  9,  10, 11, 12, 14, 15, 16, 17,
                                                       19, 20, 21, 22, 24, 25, 26, 27, 28, 29, 30, 31, 32, 33, 34, 35};
    if (text.size() != 36 || text[8] != '-' || text[13] != '-' || text[18] != '-' || text[23] != '-')
        return std::nullopt;
    std::array<char, 16> bytes{};
    int invalid = 0;
    for (size_t i = 0; i < bytes.size(); ++i) {
        const int high = hexDigitValues[quint8(text[digitAt[2 * i]])];
        const int low = hexDigitValues[quint8(text[digitAt[2 * i + 1]])];
        invalid |= high | low;
        bytes[i] = char(high << 4 | low);
    }
    if (invalid < 0)
        return std::nullopt;
    return QUuid::fromRfc4122(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
}

// 36 upper-case characters, 8-4-4-4-12.
std::array<char, 36> idChars(const QUuid& id) {
    static constexpr char digits[] = "0123456789ABCDEF";
    const QByteArray bytes = id.toRfc4122();
    std::array<char, 36> text{};
    size_t at = 0;
    for (int i = 0; i < 16; ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10)
            text[at++] = '-';
        const auto byte = quint8(bytes[i]);
        text[at++] = digits[byte >> 4];
        text[at++] = digits[byte & 0xf];
    }
    return text;
}

constexpr qint64 msecsPerDay = 86400000;
constexpr qint64 unixEpochJulianDay = 2440588;

qint64 floorDivide(qint64 value, qint64 divisor) {
    return value / divisor - (value % divisor < 0 ? 1 : 0);
}

std::optional<QDateTime> dateFromBytes(std::string_view text) {
    // yyyy-MM-ddTHH:mm:ss[.fraction](Z|+hh:mm|-hh:mm), nothing before or after.
    const std::optional<int> year = digitsAt(text, 0, 4);
    const std::optional<int> month = digitsAt(text, 5, 2);
    const std::optional<int> day = digitsAt(text, 8, 2);
    const std::optional<int> hour = digitsAt(text, 11, 2);
    const std::optional<int> minute = digitsAt(text, 14, 2);
    const std::optional<int> second = digitsAt(text, 17, 2);
    if (!year || !month || !day || !hour || !minute || !second || !charAt(text, 4, '-') || !charAt(text, 7, '-')
        || !charAt(text, 10, 'T') || !charAt(text, 13, ':') || !charAt(text, 16, ':'))
        return std::nullopt;
    const qsizetype size = qsizetype(text.size());
    qsizetype at = 19;
    if (charAt(text, at, '.')) {
        // Fractions are accepted but dropped: the file keeps whole seconds.
        const qsizetype first = ++at;
        while (at < size && isAsciiDigit(text[size_t(at)]))
            ++at;
        if (at == first)
            return std::nullopt;
    }
    int offsetSeconds = 0;
    if (charAt(text, at, 'Z')) {
        ++at;
    } else if (charAt(text, at, '+') || charAt(text, at, '-')) {
        const int sign = text[size_t(at)] == '-' ? -1 : 1;
        const std::optional<int> offsetHours = digitsAt(text, at + 1, 2);
        const std::optional<int> offsetMinutes = digitsAt(text, at + 4, 2);
        if (!offsetHours || !offsetMinutes || !charAt(text, at + 3, ':') || *offsetHours > 23 || *offsetMinutes > 59)
            return std::nullopt;
        offsetSeconds = sign * (*offsetHours * 3600 + *offsetMinutes * 60);
        at += 6;
    } else {
        return std::nullopt;
    }
    if (at != size)
        return std::nullopt;
    if (!QDate::isValid(*year, *month, *day) || *hour > 23 || *minute > 59 || *second > 59)
        return std::nullopt;
    const qint64 days = QDate(*year, *month, *day).toJulianDay() - unixEpochJulianDay;
    const qint64 seconds = qint64(*hour) * 3600 + *minute * 60 + *second - offsetSeconds;
    return QDateTime::fromMSecsSinceEpoch(days * msecsPerDay + seconds * 1000, Qt::UTC);
}

// Years the written form (four digits) can hold.
const QDateTime& earliestStorableDate() {
    static const QDateTime date(QDate(1, 1, 1), QTime(0, 0), Qt::UTC);
    return date;
}

const QDateTime& latestStorableDate() {
    static const QDateTime date(QDate(9999, 12, 31), QTime(23, 59, 59), Qt::UTC);
    return date;
}

void putDigits(char* at, int value, int count) {
    for (int i = count - 1; i >= 0; --i) {
        at[i] = char('0' + value % 10);
        value /= 10;
    }
}

// yyyy-MM-ddTHH:mm:ssZ in UTC, whole seconds, clamped to four-digit years.
std::array<char, 20> dateChars(const QDateTime& date) {
    const qint64 msecs = std::clamp(date.toMSecsSinceEpoch(), earliestStorableDate().toMSecsSinceEpoch(),
                                    latestStorableDate().toMSecsSinceEpoch());
    const qint64 seconds = floorDivide(msecs, 1000);
    const qint64 days = floorDivide(seconds, 86400);
    const qint64 secondOfDay = seconds - days * 86400;
    int year = 0, month = 0, day = 0;
    QDate::fromJulianDay(unixEpochJulianDay + days).getDate(&year, &month, &day);
    std::array<char, 20> text{};
    putDigits(&text[0], year, 4);
    text[4] = '-';
    putDigits(&text[5], month, 2);
    text[7] = '-';
    putDigits(&text[8], day, 2);
    text[10] = 'T';
    putDigits(&text[11], int(secondOfDay / 3600), 2);
    text[13] = ':';
    putDigits(&text[14], int(secondOfDay / 60 % 60), 2);
    text[16] = ':';
    putDigits(&text[17], int(secondOfDay % 60), 2);
    text[19] = 'Z';
    return text;
}

// A fraction JSON can hold: anything that is not a finite number is written as 0,
// so that a bad value in memory never stops a save.
double storableFraction(double value) {
    return std::isfinite(value) ? value : 0;
}

// A double that QJsonValue::toInteger accepts: whole and within 64 bits.
std::optional<qint64> wholeFromDouble(double value) {
    constexpr double limit = 9223372036854775808.0; // 2^63
    if (!(value >= -limit && value < limit) || std::trunc(value) != value)
        return std::nullopt;
    return qint64(value);
}

// ---------------------------------------------------------------- U+FEFF

// U+FEFF in UTF-8. Inside a value it is a character like any other, though
// QString::fromUtf8, and so QJsonDocument for a string without escapes, takes
// one at a string's start for a byte order mark and drops it.
constexpr std::string_view byteOrderMark = "\xEF\xBB\xBF";

QString textOfUtf8(std::string_view bytes) {
    size_t marks = 0;
    while (bytes.substr(marks * byteOrderMark.size()).starts_with(byteOrderMark))
        ++marks;
    if (marks == 0)
        return QString::fromUtf8(bytes.data(), qsizetype(bytes.size()));
    const size_t rest = marks * byteOrderMark.size();
    return QString(qsizetype(marks), QChar(0xFEFF))
        + QString::fromUtf8(bytes.data() + rest, qsizetype(bytes.size() - rest));
}

// The text QJsonDocument reads with every U+FEFF kept: each one after the
// first byte (where a byte order mark of the whole text may stand) written as
// the escape \uFEFF. Only for text QJsonDocument has accepted as it was,
// where such bytes stand nowhere but inside strings.
QByteArray withMarksEscaped(const QByteArray& bytes) {
    QByteArray escaped = bytes;
    qsizetype at = 1;
    while ((at = escaped.indexOf(QByteArrayView(byteOrderMark.data(), qsizetype(byteOrderMark.size())), at)) >= 0) {
        escaped.replace(at, qsizetype(byteOrderMark.size()), "\\uFEFF");
        at += 6;
    }
    return escaped;
}

// ---------------------------------------------------------------- the members each record reads

// The names of the members a record reads, each found in one step: its place
// in a small open-addressed table. Any other member is one this program does
// not know, kept as it stood (UnknownMembers).
class MemberNames {
public:
    static constexpr int most = 20;

    constexpr MemberNames(std::initializer_list<std::string_view> names) {
        m_table.fill(-1);
        for (const std::string_view name : names) {
            size_t at = hash(name);
            while (m_table[at] >= 0)
                at = (at + 1) & tableMask;
            m_table[at] = qint8(m_count);
            m_names[size_t(m_count++)] = name;
        }
    }

    // The name's slot, -1 for a name the record does not read.
    int slotOf(std::string_view name) const {
        if (name.empty())
            return -1;
        for (size_t at = hash(name);; at = (at + 1) & tableMask) {
            const int slot = m_table[at];
            if (slot < 0 || m_names[size_t(slot)] == name)
                return slot;
        }
    }
    bool reads(std::string_view name) const { return slotOf(name) >= 0; }

private:
    static constexpr size_t tableSize = 64;
    static constexpr size_t tableMask = tableSize - 1;
    static constexpr size_t hash(std::string_view name) {
        return (name.size() * 29 + quint8(name.front()) * 7 + quint8(name.back()) * 3 + quint8(name[name.size() / 2]))
            & tableMask;
    }

    std::array<std::string_view, most> m_names{};
    std::array<qint8, tableSize> m_table{};
    int m_count = 0;
};

constexpr MemberNames topNames{"version", "projects", "types"};
constexpr MemberNames projectNames{
    "id",    "name",  "typeID", "kind",         "status",         "createdAt",   "updatedAt",  "deadline", "folderPath",
    "notes", "items", "log",    "progressMode", "manualProgress", "completedAt", "archivedAt", "isFocused"};
constexpr MemberNames cueNames{"id",        "number",  "title",       "duration", "versions", "stage",
                               "startDate", "mixedAt", "deliveredAt", "isDone",   "doneAt"};
constexpr MemberNames versionNames{"id", "number", "date", "note"};
constexpr MemberNames logEntryNames{"id", "date", "text", "progress"};
constexpr MemberNames typeNames{"id", "title", "symbol", "colorHex"};

// What a decode saw besides the records: whether some object holds a member
// no record reads (then a second, slower look keeps their text), and the keys
// repeated within one object with another value, whose earlier value the
// records do not hold (the last one counts, as it always has).
struct DecodeNotes {
    bool sawUnknown = false;
    QStringList overriddenKeys;
};

// ---------------------------------------------------------------- two views of parsed JSON

// The file is parsed with simdjson; a file it refuses (or reads differently
// from QJsonDocument) is parsed again with QJsonDocument, whose verdict and
// errors the file format has always had. Both views offer the same reading
// functions, so every rule below is written once.

class QtValue {
public:
    explicit QtValue(QJsonValue value) : m_value(std::move(value)) {}

    bool isMissing() const { return m_value.isUndefined() || m_value.isNull(); }
    bool isString() const { return m_value.isString(); }
    bool isNumber() const { return m_value.isDouble(); }
    bool isBool() const { return m_value.isBool(); }
    bool isObject() const { return m_value.isObject(); }
    bool isArray() const { return m_value.isArray(); }

    QString text() const { return m_value.toString(); }
    QByteArray utf8() const { return m_value.toString().toUtf8(); }
    std::optional<qint64> whole() const {
        // toInteger gives its default for a fraction or a number beyond 64 bits;
        // asking with two different defaults tells that apart from a real value.
        const qint64 first = m_value.toInteger(0);
        if (first != m_value.toInteger(1))
            return std::nullopt;
        return first;
    }
    double fraction() const { return m_value.toDouble(); }
    bool truth() const { return m_value.toBool(); }

    class Object {
    public:
        explicit Object(QJsonObject object) : m_object(std::move(object)) {}
        QtValue member(const char* key) const { return QtValue(m_object.value(QLatin1StringView(key))); }

    private:
        QJsonObject m_object;
    };
    Object object(const MemberNames&) const { return Object(m_value.toObject()); }

    template <typename Visit>
    void forEachElement(Visit visit) const {
        const QJsonArray array = m_value.toArray();
        for (qsizetype i = 0; i < array.size(); ++i)
            visit(i, QtValue(array.at(i)));
    }
    qsizetype elementCount() const { return m_value.toArray().size(); }

private:
    QJsonValue m_value;
};

class FastValue {
public:
    FastValue() = default;
    FastValue(simdjson::dom::element element, DecodeNotes* notes)
        : m_element(element), m_notes(notes), m_present(true) {}

    bool isMissing() const { return !m_present || m_element.type() == simdjson::dom::element_type::NULL_VALUE; }
    bool isString() const { return m_element.type() == simdjson::dom::element_type::STRING; }
    bool isNumber() const {
        const auto type = m_element.type();
        return type == simdjson::dom::element_type::INT64 || type == simdjson::dom::element_type::UINT64
            || type == simdjson::dom::element_type::DOUBLE;
    }
    bool isBool() const { return m_element.type() == simdjson::dom::element_type::BOOL; }
    bool isObject() const { return m_element.type() == simdjson::dom::element_type::OBJECT; }
    bool isArray() const { return m_element.type() == simdjson::dom::element_type::ARRAY; }

    QString text() const { return textOfUtf8(utf8()); }
    std::string_view utf8() const { return m_element.get_string().value_unsafe(); }
    std::optional<qint64> whole() const {
        switch (m_element.type()) {
        case simdjson::dom::element_type::INT64: return m_element.get_int64().value_unsafe();
        case simdjson::dom::element_type::DOUBLE: return wholeFromDouble(m_element.get_double().value_unsafe());
        default: return std::nullopt; // beyond 64 bits signed
        }
    }
    double fraction() const {
        switch (m_element.type()) {
        case simdjson::dom::element_type::INT64: return double(m_element.get_int64().value_unsafe());
        case simdjson::dom::element_type::UINT64: return double(m_element.get_uint64().value_unsafe());
        default: {
            const double value = m_element.get_double().value_unsafe();
            return value == 0 ? 0.0 : value; // QJsonDocument reads -0.0 as 0
        }
        }
    }
    bool truth() const { return m_element.get_bool().value_unsafe(); }

    // The members of an object, each in the slot of its name: one pass over
    // the object, one step to find a member.
    class Object {
    public:
        Object(simdjson::dom::object object, const MemberNames& names, DecodeNotes* notes)
            : m_names(names), m_notes(notes) {
            for (const simdjson::dom::key_value_pair field : object) {
                const int slot = names.slotOf(field.key);
                if (slot < 0) {
                    notes->sawUnknown = true;
                    continue;
                }
                const quint32 bit = 1u << slot;
                if (m_present & bit)
                    noteRepeated(field.key, m_slots[size_t(slot)].element, field.value);
                // The last of members with the same key counts, as in QJsonDocument.
                m_slots[size_t(slot)].element = field.value;
                m_present |= bit;
            }
        }
        FastValue member(const char* key) const {
            const int slot = m_names.slotOf(key);
            if (slot < 0 || !(m_present & (1u << slot)))
                return {};
            return FastValue(m_slots[size_t(slot)].element, m_notes);
        }

    private:
        void noteRepeated(std::string_view key, simdjson::dom::element earlier, simdjson::dom::element later) {
            const QString name = QString::fromUtf8(key.data(), qsizetype(key.size()));
            if (simdjson::to_string(earlier) != simdjson::to_string(later) && !m_notes->overriddenKeys.contains(name))
                m_notes->overriddenKeys.append(name);
        }

        static_assert(MemberNames::most <= 32);
        const MemberNames& m_names;
        DecodeNotes* m_notes;
        // Left unset until a member fills it: most records have few members.
        union Slot {
            Slot() {}
            simdjson::dom::element element;
        };
        static_assert(std::is_trivially_copyable_v<simdjson::dom::element>);
        std::array<Slot, MemberNames::most> m_slots;
        quint32 m_present = 0;
    };
    Object object(const MemberNames& names) const {
        return Object(m_element.get_object().value_unsafe(), names, m_notes);
    }

    template <typename Visit>
    void forEachElement(Visit visit) const {
        const simdjson::dom::array array = m_element.get_array().value_unsafe();
        qsizetype i = 0;
        for (const simdjson::dom::element element : array)
            visit(i++, FastValue(element, m_notes));
    }
    qsizetype elementCount() const { return qsizetype(m_element.get_array().value_unsafe().size()); }

private:
    simdjson::dom::element m_element;
    DecodeNotes* m_notes = nullptr;
    bool m_present = false;
};

// ---------------------------------------------------------------- decoding

// Thrown by the readers below. The place in the file is filled in on the way
// out, so that reading a good file never builds path texts.
struct DecodeFailure {
    QString place; // e.g. projects[3].items[0].stage
    QString why;

    void enter(const QString& step) {
        const bool joined = place.isEmpty() || place.startsWith(QLatin1Char('['));
        place = joined ? step + place : step + QLatin1Char('.') + place;
    }
    QString message() const { return place.isEmpty() ? why : place + QStringLiteral(": ") + why; }
};

[[noreturn]] void fail(const QString& why) {
    throw DecodeFailure{QString(), why};
}

template <typename Value>
QString toText(const Value& value) {
    if (!value.isString())
        fail(QStringLiteral("expected a string"));
    return value.text();
}

template <typename Value>
qint64 toWhole(const Value& value) {
    if (!value.isNumber())
        fail(QStringLiteral("expected a whole number"));
    const std::optional<qint64> whole = value.whole();
    if (!whole)
        fail(QStringLiteral("not a whole number within 64 bits"));
    return *whole;
}

template <typename Value>
double toFraction(const Value& value) {
    if (!value.isNumber())
        fail(QStringLiteral("expected a number"));
    return value.fraction();
}

template <typename Value>
bool toTruth(const Value& value) {
    if (!value.isBool())
        fail(QStringLiteral("expected true or false"));
    return value.truth();
}

// An identifier or a date: text of a fixed form, read from its UTF-8 bytes.
template <auto parse, typename Value>
auto toParsed(const Value& value, const char* notOfTheForm) {
    if (!value.isString())
        fail(QStringLiteral("expected a string"));
    const auto bytes = value.utf8();
    const auto parsed = parse(std::string_view(bytes.data(), size_t(bytes.size())));
    if (!parsed)
        fail(QStringLiteral("\"%1\" %2").arg(value.text(), QLatin1StringView(notOfTheForm)));
    return *parsed;
}

template <typename Value>
QUuid toID(const Value& value) {
    return toParsed<&idFromBytes>(value, "is not an identifier");
}

template <typename Value>
QDateTime toDate(const Value& value) {
    return toParsed<&dateFromBytes>(value, "is not an internet date-time");
}

template <auto fromText, typename Value>
auto toCase(const Value& value) {
    const QString text = toText(value);
    const auto found = fromText(text);
    if (!found)
        fail(QStringLiteral("\"%1\" names no case").arg(text));
    return *found;
}

template <typename Value>
ProjectStatus toStatus(const Value& value) {
    return toCase<&projectStatusFromText>(value);
}

template <typename Value>
ProgressMode toProgressMode(const Value& value) {
    return toCase<&progressModeFromText>(value);
}

template <typename Value>
CueStage toStage(const Value& value) {
    return toCase<&cueStageFromText>(value);
}

// One JSON object being read.
template <typename Value>
class ObjectReader {
public:
    ObjectReader(const Value& value, const MemberNames& names) : m_object(objectOf(value, names)) {}

    // An absent member and a null member both count as missing.
    template <typename Convert>
    auto optional(const char* key, Convert convert) const
        -> std::optional<std::invoke_result_t<Convert, const Value&>> {
        const Value value = m_object.member(key);
        if (value.isMissing())
            return std::nullopt;
        try {
            return convert(value);
        } catch (DecodeFailure& failure) {
            failure.enter(QString::fromLatin1(key));
            throw;
        }
    }

    template <typename Convert>
    auto required(const char* key, Convert convert) const {
        auto value = optional(key, convert);
        if (!value)
            throw DecodeFailure{QString::fromLatin1(key), QStringLiteral("missing")};
        return *value;
    }

private:
    static typename Value::Object objectOf(const Value& value, const MemberNames& names) {
        if (!value.isObject())
            fail(QStringLiteral("expected an object"));
        return value.object(names);
    }

    typename Value::Object m_object;
};

// A converter of JSON arrays whose elements `convertElement` reads.
template <typename Value, typename Convert>
auto listOf(Convert convertElement) {
    return [convertElement](const Value& value) {
        using Element = std::invoke_result_t<Convert, const Value&>;
        if (!value.isArray())
            fail(QStringLiteral("expected an array"));
        QList<Element> list;
        list.reserve(value.elementCount());
        value.forEachElement([&](qsizetype i, const Value& element) {
            try {
                list.append(convertElement(element));
            } catch (DecodeFailure& failure) {
                failure.enter(QStringLiteral("[%1]").arg(i));
                throw;
            }
        });
        return list;
    };
}

// A member a record cannot do without: its key, the field it fills, its reader.
template <typename Record, typename Field, typename Convert>
struct Required {
    const char* key;
    Field Record::*field;
    Convert convert;
};

// A record all of whose members are required; the first one missing or wrong fails it.
template <typename Record, typename Value, typename... Members>
Record recordOf(const Value& value, const MemberNames& names, const Members&... members) {
    const ObjectReader<Value> reader(value, names);
    Record record;
    ((record.*members.field = reader.required(members.key, members.convert)), ...);
    return record;
}

template <typename Value>
ProjectType toProjectType(const Value& value) {
    return recordOf<ProjectType>(value, typeNames, Required{"id", &ProjectType::id, toID<Value>},
                                 Required{"title", &ProjectType::title, toText<Value>},
                                 Required{"symbol", &ProjectType::symbol, toText<Value>},
                                 Required{"colorHex", &ProjectType::colorHex, toText<Value>});
}

template <typename Value>
CueVersion toCueVersion(const Value& value) {
    return recordOf<CueVersion>(value, versionNames, Required{"id", &CueVersion::id, toID<Value>},
                                Required{"number", &CueVersion::number, toWhole<Value>},
                                Required{"date", &CueVersion::date, toDate<Value>},
                                Required{"note", &CueVersion::note, toText<Value>});
}

template <typename Value>
LogEntry toLogEntry(const Value& value) {
    return recordOf<LogEntry>(value, logEntryNames, Required{"id", &LogEntry::id, toID<Value>},
                              Required{"date", &LogEntry::date, toDate<Value>},
                              Required{"text", &LogEntry::text, toText<Value>},
                              Required{"progress", &LogEntry::progress, toFraction<Value>});
}

// A cue of the project `projectID` at `position` in its list.
template <typename Value>
Cue toCue(const Value& value, const QUuid& projectID, qsizetype position) {
    const ObjectReader<Value> reader(value, cueNames);
    Cue cue;
    const std::optional<QUuid> id = reader.optional("id", toID<Value>);
    const std::optional<QString> number = reader.optional("number", toText<Value>);
    cue.title = reader.optional("title", toText<Value>).value_or(QString());
    cue.id = id ? *id : idlessCueID(projectID, number, cue.title);
    // A cue of the earlier format has no number: it shows its position. An
    // empty number is the user's and stays empty.
    cue.number = number.value_or(QString::number(position + 1));
    cue.duration = reader.optional("duration", toWhole<Value>);
    cue.versions = reader.optional("versions", listOf<Value>(toCueVersion<Value>)).value_or(QList<CueVersion>());
    if (const std::optional<CueStage> stage = reader.optional("stage", toStage<Value>)) {
        cue.stage = *stage;
        cue.startDate = reader.optional("startDate", toDate<Value>);
        cue.mixedAt = reader.optional("mixedAt", toDate<Value>);
        cue.deliveredAt = reader.optional("deliveredAt", toDate<Value>);
        return cue;
    }
    // The earlier record format: a done flag and one date instead of stages.
    const bool isDone = reader.optional("isDone", toTruth<Value>).value_or(false);
    const std::optional<QDateTime> doneAt = reader.optional("doneAt", toDate<Value>);
    if (isDone) {
        cue.stage = CueStage::Delivered;
        cue.mixedAt = doneAt;
        cue.deliveredAt = doneAt;
    }
    return cue;
}

// Reads projects; `undated` stands in for creation and change dates a
// project does not carry, and `creationStored` gets, project by project,
// whether its creation date was stored (a stored date may equal the stand-in).
template <typename Value>
class ProjectDecoder {
public:
    ProjectDecoder(QDateTime undated, QList<bool>* creationStored)
        : m_undated(std::move(undated)), m_creationStored(creationStored) {}

    AudioProject operator()(const Value& value) const {
        const ObjectReader<Value> reader(value, projectNames);
        AudioProject project;
        project.id = reader.required("id", toID<Value>);
        project.name = reader.required("name", toText<Value>);
        if (const std::optional<QUuid> typeID = reader.optional("typeID", toID<Value>))
            project.typeID = *typeID;
        else
            project.typeID = ProjectType::legacyID(reader.optional("kind", toText<Value>).value_or(QString()));
        project.status = reader.optional("status", toStatus<Value>).value_or(ProjectStatus::NotStarted);
        const std::optional<QDateTime> createdAt = reader.optional("createdAt", toDate<Value>);
        m_creationStored->append(createdAt.has_value());
        project.createdAt = createdAt.value_or(m_undated);
        project.updatedAt = reader.optional("updatedAt", toDate<Value>).value_or(m_undated);
        project.deadline = reader.optional("deadline", toDate<Value>);
        project.folderPath = reader.optional("folderPath", toText<Value>);
        project.notes = reader.optional("notes", toText<Value>).value_or(QString());
        qsizetype position = 0;
        const auto toItem = [&](const Value& cue) { return toCue(cue, project.id, position++); };
        project.items = reader.optional("items", listOf<Value>(toItem)).value_or(QList<Cue>());
        project.log = reader.optional("log", listOf<Value>(toLogEntry<Value>)).value_or(QList<LogEntry>());
        project.progressMode = reader.optional("progressMode", toProgressMode<Value>).value_or(ProgressMode::Auto);
        project.manualProgress = reader.optional("manualProgress", toFraction<Value>).value_or(0.0);
        project.completedAt = reader.optional("completedAt", toDate<Value>);
        project.archivedAt = reader.optional("archivedAt", toDate<Value>);
        project.isFocused = reader.optional("isFocused", toTruth<Value>).value_or(false);
        return project;
    }

private:
    QDateTime m_undated;
    QList<bool>* m_creationStored;
};

// Throws DecodeFailure for anything but a library.
template <typename Value>
Library libraryOf(const Value& top, const QDateTime& undatedAs) {
    const ObjectReader<Value> reader(top, topNames);
    reader.required("version", toWhole<Value>); // any whole number is accepted
    Library library;
    QList<bool> creationStored;
    library.projects = reader.required("projects", listOf<Value>(ProjectDecoder<Value>(undatedAs, &creationStored)));
    const QList<ProjectType> types =
        reader.optional("types", listOf<Value>(toProjectType<Value>)).value_or(QList<ProjectType>());
    if (!types.isEmpty())
        library.types = types;
    // Records are told apart by id alone from here on (a merge pairs them by id).
    DuplicateIds::separate(library, creationStored);
    return library;
}

// ---------------------------------------------------------------- members no record reads

// They are rare, so reading a file looks for them only by name; a file that
// holds some is looked at once more for their text, which keeps the fast
// reading of every other file as it was.

enum class RecordKind : quint8 { Top, Project, Cue, Version, LogEntry, Type };

const MemberNames& namesOf(RecordKind kind) {
    switch (kind) {
    case RecordKind::Top: return topNames;
    case RecordKind::Project: return projectNames;
    case RecordKind::Cue: return cueNames;
    case RecordKind::Version: return versionNames;
    case RecordKind::LogEntry: return logEntryNames;
    case RecordKind::Type: return typeNames;
    }
    return topNames;
}

// The kind of the records in the list `key` of a record of kind `owner`.
std::optional<RecordKind> listIn(RecordKind owner, std::string_view key) {
    if (owner == RecordKind::Top)
        return key == "projects" ? std::optional(RecordKind::Project)
            : key == "types"     ? std::optional(RecordKind::Type)
                                 : std::nullopt;
    if (owner == RecordKind::Project)
        return key == "items" ? std::optional(RecordKind::Cue)
            : key == "log"    ? std::optional(RecordKind::LogEntry)
                              : std::nullopt;
    if (owner == RecordKind::Cue && key == "versions")
        return RecordKind::Version;
    return std::nullopt;
}

// Where a record stands: its kind and its positions in the lists that hold it
// (a project's or type's, then a cue's or log entry's, then a version's).
struct RecordPlace {
    RecordKind kind = RecordKind::Top;
    std::array<int, 3> at{-1, -1, -1};

    auto operator<=>(const RecordPlace&) const = default;

    RecordPlace child(RecordKind list, int position) const {
        RecordPlace place{list, at};
        *std::find(place.at.begin(), place.at.end(), -1) = position;
        return place;
    }
    // Whether this record is in `owner`'s list of `list` records, or in a record of that list.
    bool isWithin(const RecordPlace& owner, RecordKind list) const {
        const auto depth = size_t(std::count_if(owner.at.begin(), owner.at.end(), [](int i) { return i >= 0; }));
        if (depth >= at.size() || at[depth] < 0 || !std::equal(owner.at.begin(), owner.at.begin() + depth, at.begin()))
            return false;
        switch (list) {
        case RecordKind::Project: return kind != RecordKind::Type && kind != RecordKind::Top;
        case RecordKind::Cue: return kind == RecordKind::Cue || kind == RecordKind::Version;
        default: return kind == list;
        }
    }
};

UnknownMembers* unknownOf(Library& library, const RecordPlace& place) {
    const auto at = [](auto& list, int position) { return position < list.size() ? &list[position] : nullptr; };
    const auto& [first, second, third] = place.at;
    AudioProject* project =
        place.kind == RecordKind::Top || place.kind == RecordKind::Type ? nullptr : at(library.projects, first);
    Cue* cue = project && (place.kind == RecordKind::Cue || place.kind == RecordKind::Version)
        ? at(project->items, second)
        : nullptr;
    switch (place.kind) {
    case RecordKind::Top: return &library.unknown;
    case RecordKind::Type: {
        ProjectType* type = at(library.types, first);
        return type ? &type->unknown : nullptr;
    }
    case RecordKind::Project: return project ? &project->unknown : nullptr;
    case RecordKind::LogEntry: {
        LogEntry* entry = project ? at(project->log, second) : nullptr;
        return entry ? &entry->unknown : nullptr;
    }
    case RecordKind::Cue: return cue ? &cue->unknown : nullptr;
    case RecordKind::Version: {
        CueVersion* version = cue ? at(cue->versions, third) : nullptr;
        return version ? &version->unknown : nullptr;
    }
    }
    return nullptr;
}

// The members no record reads, gathered in the file's order: the texts of
// every record of one project (or type, or the top object) go into one block,
// so that a file with such a member in every cue costs one allocation per
// project, not several per member.
class UnknownCollector {
public:
    // A record's members are the ones added from here until endRecord().
    size_t beginRecord() const { return m_found.size(); }
    void add(std::string_view after, std::string_view key, std::string_view json) {
        m_found.push_back({after, key, json});
    }
    void endRecord(size_t first, const RecordPlace& place) {
        if (m_found.size() > first) {
            // In the order they are written: by the member they follow, then as they stood.
            // Most records hold one; sorting one would still ask for a buffer.
            if (m_found.size() - first > 1)
                std::stable_sort(m_found.begin() + qsizetype(first), m_found.end(),
                                 [](const Found& a, const Found& b) { return a.after < b.after; });
            for (size_t i = first; i < m_found.size(); ++i)
                m_writer.add(m_found[i].after, m_found[i].key, m_found[i].json);
            m_writer.close();
            m_places.push_back(place);
            m_found.resize(first);
        }
        if (place.kind == RecordKind::Top || place.kind == RecordKind::Project || place.kind == RecordKind::Type)
            makeBlock();
    }
    // A list key repeated within one object: only the last list is read, and only its records keep members.
    void forgetWithin(const RecordPlace& owner, RecordKind list) {
        makeBlock();
        std::erase_if(m_kept, [&](const auto& kept) { return kept.first.isWithin(owner, list); });
    }
    // Text the slower reading makes, held until the members are kept.
    std::string_view hold(QByteArray text) {
        m_held.push_back(std::move(text));
        return {m_held.back().constData(), size_t(m_held.back().size())};
    }

    // Puts the members found into the records read.
    void keepIn(Library& library) {
        for (auto& [place, members] : m_kept) {
            if (UnknownMembers* kept = unknownOf(library, place))
                *kept = std::move(members);
        }
    }

private:
    struct Found {
        std::string_view after;
        std::string_view key;
        std::string_view json;
    };

    void makeBlock() {
        if (m_places.empty())
            return;
        const QList<UnknownMembers> made = m_writer.make();
        for (size_t i = 0; i < m_places.size(); ++i)
            m_kept.emplace_back(m_places[i], made.at(qsizetype(i)));
        m_places.clear();
    }

    std::vector<Found> m_found;
    UnknownMembers::Writer m_writer;
    std::vector<RecordPlace> m_places; // of the records written into the block being made
    std::vector<std::pair<RecordPlace, UnknownMembers>> m_kept;
    std::deque<QByteArray> m_held;
};

std::string_view rawText(simdjson::ondemand::value& value) {
    switch (value.type().value()) {
    case simdjson::ondemand::json_type::object: return value.get_object().value().raw_json().value();
    case simdjson::ondemand::json_type::array: return value.get_array().value().raw_json().value();
    default: {
        // A number's or word's token runs on over the blanks after it.
        std::string_view token = value.raw_json_token();
        while (!token.empty()
               && (token.back() == ' ' || token.back() == '\n' || token.back() == '\r' || token.back() == '\t'))
            token.remove_suffix(1);
        return token;
    }
    }
}

void collectUnknown(simdjson::ondemand::object object, const RecordPlace& place, UnknownCollector& found) {
    const MemberNames& names = namesOf(place.kind);
    const size_t first = found.beginRecord();
    std::string_view after;
    quint32 listsSeen = 0;
    for (simdjson::ondemand::field field : object) {
        const std::string_view key = field.unescaped_key().value();
        simdjson::ondemand::value value = field.value();
        if (!names.reads(key)) {
            found.add(after, key, rawText(value));
            continue;
        }
        after = key;
        const std::optional<RecordKind> list = listIn(place.kind, key);
        if (!list || value.type().value() != simdjson::ondemand::json_type::array)
            continue;
        const quint32 bit = 1u << names.slotOf(key);
        if (listsSeen & bit)
            found.forgetWithin(place, *list);
        listsSeen |= bit;
        int position = 0;
        for (simdjson::ondemand::value element : value.get_array()) {
            if (element.type().value() == simdjson::ondemand::json_type::object)
                collectUnknown(element.get_object().value(), place.child(*list, position), found);
            ++position;
        }
    }
    found.endRecord(first, place);
}

// The text of a value as QJsonDocument writes it, compact: what the slower
// reading keeps of a member, whose own text it does not see.
QByteArray compactText(const QJsonValue& value) {
    if (value.isObject())
        return QJsonDocument(value.toObject()).toJson(QJsonDocument::Compact);
    if (value.isArray())
        return QJsonDocument(value.toArray()).toJson(QJsonDocument::Compact);
    const QByteArray wrapped = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
    return wrapped.mid(1, wrapped.size() - 2);
}

void collectUnknown(const QJsonObject& object, const RecordPlace& place, UnknownCollector& found) {
    const MemberNames& names = namesOf(place.kind);
    const size_t first = found.beginRecord();
    std::string_view after;
    for (auto member = object.begin(); member != object.end(); ++member) {
        const std::string_view name = found.hold(member.key().toUtf8());
        if (!names.reads(name)) {
            found.add(after, name, found.hold(compactText(member.value())));
            continue;
        }
        after = name;
        const std::optional<RecordKind> list = listIn(place.kind, name);
        if (!list || !member.value().isArray())
            continue;
        const QJsonArray elements = member.value().toArray();
        for (int position = 0; position < elements.size(); ++position) {
            if (elements.at(position).isObject())
                collectUnknown(elements.at(position).toObject(), place.child(*list, position), found);
        }
    }
    found.endRecord(first, place);
}

static_assert(decodingPadding >= qsizetype(simdjson::SIMDJSON_PADDING));

// The largest parser buffers a thread without a KeptParser keeps between decodes:
// room for a file of this size.
constexpr size_t keptParserCapacity = 8 << 20;

struct ThreadParser {
    simdjson::dom::parser parser;
    // For the second look at a file that holds members no record reads.
    simdjson::ondemand::parser memberParser;
    int keepers = 0; // KeptParsers alive on the thread
};

ThreadParser& threadParser() {
    thread_local ThreadParser parser;
    return parser;
}

std::atomic<quint64> slowDecodes{0};

// Whether the text, read as a JSON number from `start` on, has a digit other
// than 0 before its exponent and yet rounds to zero.
bool isUnderflowingNumber(std::string_view text, size_t start) {
    size_t at = start;
    bool nonzeroDigit = false;
    while (at < text.size() && (isAsciiDigit(text[at]) || text[at] == '.')) {
        nonzeroDigit = nonzeroDigit || (text[at] != '0' && text[at] != '.');
        ++at;
    }
    if (!nonzeroDigit)
        return false;
    double value = 0;
    const auto [end, error] = std::from_chars(text.data() + start, text.data() + text.size(), value);
    return error == std::errc::result_out_of_range || (error == std::errc() && value == 0);
}

// Whether the parsed JSON holds a number that reads as zero though written with
// a fraction or an exponent: only such a number can be one too small to tell
// from zero. Walking the parsed values costs less than searching the text.
bool holdsFractionalZero(simdjson::dom::element element) {
    switch (element.type()) {
    case simdjson::dom::element_type::ARRAY: {
        const simdjson::dom::array array = element.get_array().value_unsafe();
        return std::any_of(array.begin(), array.end(), holdsFractionalZero);
    }
    case simdjson::dom::element_type::OBJECT: {
        const simdjson::dom::object object = element.get_object().value_unsafe();
        return std::any_of(object.begin(), object.end(),
                           [](const simdjson::dom::key_value_pair& field) { return holdsFractionalZero(field.value); });
    }
    case simdjson::dom::element_type::DOUBLE: return element.get_double().value_unsafe() == 0;
    default: return false;
    }
}

// Whether a number's digits starting at `start` can stand where a JSON value
// starts: after a delimiter, with or without a sign. Digits inside a word or
// an identifier's groups (…-12E-4…) cannot.
bool followsAValueDelimiter(std::string_view text, size_t start) {
    if (start > 0 && text[start - 1] == '-')
        --start;
    if (start == 0)
        return true;
    switch (text[start - 1]) {
    case ' ':
    case '\t':
    case '\n':
    case '\r':
    case ':':
    case ',':
    case '[': return true;
    default: return false;
    }
}

// QJsonDocument refuses a number too small to tell from zero (1e-400), which
// simdjson reads as 0. Such a number has a digit other than 0 and a negative
// exponent, or hundreds of zeros after its point; only those are looked for,
// so that the zeros other programs write as 0.0 leave the file on the fast
// path. Text inside a string that looks like such a number costs a slower
// read, never a different one.
// Whether the text holds a run of `run` zeros or more. Such a run covers two
// neighbouring multiples of half its length, so only those bytes are looked
// at first: a search for the whole run costs more than the parse.
bool holdsRunOfZeros(std::string_view text, size_t run) {
    const size_t step = run / 2;
    for (size_t at = step; at < text.size(); at += step) {
        if (text[at] != '0')
            continue;
        size_t from = at;
        while (from > 0 && text[from - 1] == '0')
            --from;
        size_t to = at;
        while (to < text.size() && text[to] == '0')
            ++to;
        if (to - from >= run)
            return true;
    }
    return false;
}

// Calls `found` with the place of each "e" or "E" followed by "-", until it
// returns true. The text is looked at eight bytes at a time for a "-": a
// search for the two bytes goes one byte at a time.
template <typename Found>
bool anyNegativeExponent(std::string_view text, Found found) {
    constexpr quint64 dashes = 0x2d2d2d2d2d2d2d2dull;
    constexpr quint64 low7 = 0x7f7f7f7f7f7f7f7full;
    const auto isExponentAt = [&](size_t dash) { return (text[dash - 1] | 0x20) == 'e' && found(dash - 1); };
    size_t at = 1; // a "-" at the start follows nothing
    for (; at + 8 <= text.size(); at += 8) {
        quint64 word = 0;
        std::memcpy(&word, text.data() + at, 8);
        const quint64 x = word ^ dashes;
        // The high bit of each byte that is "-", and of no other.
        quint64 hits = ~(((x & low7) + low7) | x | low7);
        for (; hits != 0; hits &= hits - 1) {
            if (isExponentAt(at + size_t(std::countr_zero(hits) / 8)))
                return true;
        }
    }
    for (; at < text.size(); ++at) {
        if (text[at] == '-' && isExponentAt(at))
            return true;
    }
    return false;
}

// QJsonDocument refuses a number too small to tell from zero (1e-400), which
// simdjson reads as 0. Such a number has a digit other than 0 and a negative
// exponent, or hundreds of zeros after its point; only those are looked for,
// so that the zeros other programs write as 0.0 leave the file on the fast
// path. Text inside a string that looks like such a number costs a slower
// read, never a different one.
bool holdsUnderflowingNumber(std::string_view text) {
    // Without a negative exponent a number rounds to zero only with 323 or
    // more zeros after its point.
    constexpr size_t zerosOfAnUnderflow = 300;
    if (holdsRunOfZeros(text, zerosOfAnUnderflow))
        return true;
    return anyNegativeExponent(text, [&](size_t at) {
        size_t start = at;
        while (start > 0 && (isAsciiDigit(text[start - 1]) || text[start - 1] == '.'))
            --start;
        return start < at && followsAValueDelimiter(text, start) && isUnderflowingNumber(text, start);
    });
}

// The file as QJsonDocument reads it: the verdict on anything simdjson refuses
// or might read differently, and the wording of every parse error.
std::optional<Library> decodeWithQJsonDocument(const QByteArray& bytes, const QDateTime& undatedAs, QString* error) {
    QJsonParseError parseError;
    QJsonDocument document = QJsonDocument::fromJson(bytes, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        if (error)
            *error =
                QStringLiteral("invalid JSON at offset %1: %2").arg(parseError.offset).arg(parseError.errorString());
        return std::nullopt;
    }
    if (bytes.indexOf(QByteArrayView(byteOrderMark.data(), qsizetype(byteOrderMark.size())), 1) >= 0)
        document = QJsonDocument::fromJson(withMarksEscaped(bytes));
    try {
        if (!document.isObject())
            fail(QStringLiteral("the top level is not an object"));
        Library library = libraryOf(QtValue(QJsonValue(document.object())), undatedAs);
        UnknownCollector unknown;
        collectUnknown(document.object(), RecordPlace(), unknown);
        unknown.keepIn(library);
        return library;
    } catch (const DecodeFailure& failure) {
        if (error)
            *error = failure.message();
        return std::nullopt;
    }
}

// ---------------------------------------------------------------- encoding

// Members are written in the order of their keys, as a QJsonObject sorts them.
// Every function takes a JsonWriter or a JsonSizer: the text is measured with
// the very calls that then write it.

// Identifiers and dates have one length: a count needs no text of them.
template <typename Writer, size_t length, typename Value>
void putFixedText(Writer& writer, std::array<char, length> (*makeText)(const Value&), const Value& value) {
    if constexpr (Writer::countsOnly) {
        writer.plainString(nullptr, qsizetype(length));
    } else {
        const std::array<char, length> text = makeText(value);
        writer.plainString(text.data(), qsizetype(length));
    }
}

template <typename Writer>
void putID(Writer& writer, const char* key, const QUuid& id) {
    writer.key(key);
    putFixedText(writer, idChars, id);
}

// A date a record cannot do without is written even when it is not valid (as "").
template <typename Writer>
void putRequiredDate(Writer& writer, const char* key, const QDateTime& date) {
    writer.key(key);
    if (!date.isValid()) {
        writer.plainString("", 0);
        return;
    }
    putFixedText(writer, dateChars, date);
}

template <typename Writer>
void putDate(Writer& writer, const char* key, const std::optional<QDateTime>& date) {
    // An optional date that holds nothing usable is left out, never written as null.
    if (date && date->isValid())
        putRequiredDate(writer, key, *date);
}

template <typename Writer>
void putText(Writer& writer, const char* key, const QString& text) {
    writer.key(key);
    writer.string(text);
}

template <typename Writer, typename Record, typename Encode>
void putArray(Writer& writer, const char* key, const QList<Record>& records, Encode encode) {
    writer.key(key);
    writer.beginArray();
    for (const Record& record : records)
        encode(writer, record);
    writer.endArray();
}

template <typename Writer>
void encodeType(Writer& writer, const ProjectType& type) {
    writer.beginObject(type.unknown);
    putText(writer, "colorHex", type.colorHex);
    putID(writer, "id", type.id);
    putText(writer, "symbol", type.symbol);
    putText(writer, "title", type.title);
    writer.endObject();
}

template <typename Writer>
void encodeVersion(Writer& writer, const CueVersion& version) {
    writer.beginObject(version.unknown);
    putRequiredDate(writer, "date", version.date);
    putID(writer, "id", version.id);
    putText(writer, "note", version.note);
    writer.key("number");
    writer.whole(version.number);
    writer.endObject();
}

template <typename Writer>
void encodeLogEntry(Writer& writer, const LogEntry& entry) {
    writer.beginObject(entry.unknown);
    putRequiredDate(writer, "date", entry.date);
    putID(writer, "id", entry.id);
    writer.key("progress");
    writer.number(storableFraction(entry.progress));
    putText(writer, "text", entry.text);
    writer.endObject();
}

template <typename Writer>
void encodeCue(Writer& writer, const Cue& cue) {
    writer.beginObject(cue.unknown);
    putDate(writer, "deliveredAt", cue.deliveredAt);
    if (cue.duration) {
        writer.key("duration");
        writer.whole(*cue.duration);
    }
    putID(writer, "id", cue.id);
    putDate(writer, "mixedAt", cue.mixedAt);
    putText(writer, "number", cue.number);
    putText(writer, "stage", storedText(cue.stage));
    putDate(writer, "startDate", cue.startDate);
    putText(writer, "title", cue.title);
    putArray(writer, "versions", cue.versions, encodeVersion<Writer>);
    writer.endObject();
}

template <typename Writer>
void encodeProject(Writer& writer, const AudioProject& project) {
    writer.beginObject(project.unknown);
    putDate(writer, "archivedAt", project.archivedAt);
    putDate(writer, "completedAt", project.completedAt);
    // A creation or change date that is not set reads back as the time of reading.
    putDate(writer, "createdAt", project.createdAt);
    putDate(writer, "deadline", project.deadline);
    if (project.folderPath)
        putText(writer, "folderPath", *project.folderPath);
    putID(writer, "id", project.id);
    writer.key("isFocused");
    writer.truth(project.isFocused);
    putArray(writer, "items", project.items, encodeCue<Writer>);
    putArray(writer, "log", project.log, encodeLogEntry<Writer>);
    writer.key("manualProgress");
    writer.number(storableFraction(project.manualProgress));
    putText(writer, "name", project.name);
    putText(writer, "notes", project.notes);
    putText(writer, "progressMode", storedText(project.progressMode));
    putText(writer, "status", storedText(project.status));
    putID(writer, "typeID", project.typeID);
    putDate(writer, "updatedAt", project.updatedAt);
    writer.endObject();
}

template <typename Writer>
void encodeTop(Writer& writer, const Library& library) {
    writer.beginObject(library.unknown);
    putArray(writer, "projects", library.projects, encodeProject<Writer>);
    putArray(writer, "types", library.types, encodeType<Writer>);
    writer.key("version");
    writer.whole(2);
    writer.endObject();
}

} // namespace

std::optional<QUuid> parseID(const QString& text) {
    const QByteArray bytes = text.toUtf8();
    return idFromBytes(std::string_view(bytes.constData(), size_t(bytes.size())));
}

QString idText(const QUuid& id) {
    const std::array<char, 36> text = idChars(id);
    return QString::fromLatin1(text.data(), qsizetype(text.size()));
}

QUuid idlessCueID(const QUuid& projectID, const std::optional<QString>& number, const QString& title) {
    static const QUuid cueSpace = QUuid::fromString(QLatin1StringView("{4d1f6a2e-8c3b-4e57-9a10-5b7e2c9d0f31}"));
    // Each text is preceded by its length, so that no two (number, title) pairs give the same bytes.
    QByteArray name = projectID.toRfc4122();
    if (number)
        name += QByteArray::number(number->size()) + ':' + number->toUtf8();
    else
        name += '-';
    name += QByteArray::number(title.size()) + ':' + title.toUtf8();
    return QUuid::createUuidV5(cueSpace, name);
}

std::optional<QDateTime> parseDate(const QString& text) {
    const QByteArray bytes = text.toUtf8();
    return dateFromBytes(std::string_view(bytes.constData(), size_t(bytes.size())));
}

QString dateText(const QDateTime& date) {
    if (!date.isValid())
        return {};
    const std::array<char, 20> text = dateChars(date);
    return QString::fromLatin1(text.data(), qsizetype(text.size()));
}

std::optional<Library> decodeLibrary(const QByteArray& bytes, const QDateTime& undatedAs, QString* error,
                                     QStringList* overriddenKeys) {
    // Reading again (a reload after another program's write) reuses the
    // thread's parser buffers instead of faulting in fresh memory.
    ThreadParser& thread = threadParser();
    const struct LargeBuffersGo {
        ThreadParser& thread;
        ~LargeBuffersGo() {
            if (thread.keepers == 0 && thread.parser.capacity() > keptParserCapacity)
                thread.parser = simdjson::dom::parser();
            if (thread.keepers == 0 && thread.memberParser.capacity() > keptParserCapacity)
                thread.memberParser = simdjson::ondemand::parser();
        }
    } largeBuffersGo{thread};
    const std::string_view text(bytes.constData(), size_t(bytes.size()));
    simdjson::dom::element root;
    // simdjson reads a little past the end; bytes without that room are copied.
    const bool padded = bytes.capacity() - bytes.size() >= decodingPadding;
    const simdjson::error_code parsed =
        thread.parser.parse(reinterpret_cast<const uint8_t*>(text.data()), text.size(), !padded).get(root);
    if (parsed != simdjson::SUCCESS || root.type() != simdjson::dom::element_type::OBJECT
        || (holdsFractionalZero(root) && holdsUnderflowingNumber(text))) {
        ++slowDecodes;
        return decodeWithQJsonDocument(bytes, undatedAs, error);
    }
    try {
        DecodeNotes notes;
        Library library = libraryOf(FastValue(root, &notes), undatedAs);
        if (notes.sawUnknown) {
            simdjson::ondemand::parser& parser = thread.memberParser;
            const simdjson::padded_string copy = padded ? simdjson::padded_string() : simdjson::padded_string(text);
            simdjson::ondemand::document document = padded
                ? parser.iterate(text.data(), text.size(), size_t(bytes.capacity())).value()
                : parser.iterate(copy).value();
            UnknownCollector unknown;
            collectUnknown(document.get_object().value(), RecordPlace(), unknown);
            unknown.keepIn(library);
        }
        if (overriddenKeys)
            *overriddenKeys = notes.overriddenKeys;
        return library;
    } catch (const DecodeFailure& failure) {
        if (error)
            *error = failure.message();
        return std::nullopt;
    }
}

quint64 slowDecodeCount() {
    return slowDecodes;
}

KeptParser::KeptParser() {
    ++threadParser().keepers;
}

KeptParser::~KeptParser() {
    if (--threadParser().keepers == 0)
        release();
}

bool KeptParser::holdsBuffers() const {
    return threadParser().parser.capacity() > 0;
}

void KeptParser::release() {
    threadParser().parser = simdjson::dom::parser();
    threadParser().memberParser = simdjson::ondemand::parser();
}

qsizetype encodedSize(const Library& library) {
    JsonSizer sizer;
    encodeTop(sizer, library);
    return sizer.finish().count();
}

QByteArray encodeLibrary(const Library& library) {
    // Measured first, so that the text is written into memory allocated once.
    JsonWriter writer(JsonBytes{encodedSize(library)});
    encodeTop(writer, library);
    return writer.finish().take();
}

} // namespace sorvel::RecordCoding
