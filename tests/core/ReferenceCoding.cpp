// The data file's coding as it was done through QJsonDocument, kept for the
// tests alone: the faster coding must give the same bytes and the same errors.
#include "core/ReferenceCoding.h"

#include "core/DuplicateIds.h"
#include "core/RecordCoding.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QJsonValue>
#include <QTimeZone>

#include <algorithm>
#include <cmath>
#include <type_traits>

namespace sorvel::test::ReferenceCoding {

namespace {

// ---------------------------------------------------------------- values

bool isAsciiDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

bool isHexDigit(QChar c) {
    return isAsciiDigit(c) || (c >= QLatin1Char('a') && c <= QLatin1Char('f'))
        || (c >= QLatin1Char('A') && c <= QLatin1Char('F'));
}

// The decimal number of `count` ASCII digits at `at`, none when any is missing.
std::optional<int> digitsAt(const QString& text, qsizetype at, int count) {
    if (at < 0 || at + count > text.size())
        return std::nullopt;
    int value = 0;
    for (int i = 0; i < count; ++i) {
        const QChar c = text.at(at + i);
        if (!isAsciiDigit(c))
            return std::nullopt;
        value = value * 10 + (c.unicode() - '0');
    }
    return value;
}

bool charAt(const QString& text, qsizetype at, char expected) {
    return at < text.size() && text.at(at) == QLatin1Char(expected);
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

// A fraction JSON can hold: anything that is not a finite number is written as 0,
// so that a bad value in memory never stops a save.
double storableFraction(double value) {
    return std::isfinite(value) ? value : 0;
}

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

QString toText(const QJsonValue& value) {
    if (!value.isString())
        fail(QStringLiteral("expected a string"));
    return value.toString();
}

qint64 toWhole(const QJsonValue& value) {
    if (!value.isDouble())
        fail(QStringLiteral("expected a whole number"));
    // toInteger gives its default for a fraction or a number beyond 64 bits;
    // asking with two different defaults tells that apart from a real value.
    const qint64 first = value.toInteger(0);
    if (first != value.toInteger(1))
        fail(QStringLiteral("not a whole number within 64 bits"));
    return first;
}

double toFraction(const QJsonValue& value) {
    if (!value.isDouble())
        fail(QStringLiteral("expected a number"));
    return value.toDouble();
}

bool toTruth(const QJsonValue& value) {
    if (!value.isBool())
        fail(QStringLiteral("expected true or false"));
    return value.toBool();
}

QUuid toID(const QJsonValue& value) {
    const QString text = toText(value);
    const std::optional<QUuid> id = parseID(text);
    if (!id)
        fail(QStringLiteral("\"%1\" is not an identifier").arg(text));
    return *id;
}

QDateTime toDate(const QJsonValue& value) {
    const QString text = toText(value);
    const std::optional<QDateTime> date = parseDate(text);
    if (!date)
        fail(QStringLiteral("\"%1\" is not an internet date-time").arg(text));
    return *date;
}

template <auto fromText>
auto toCase(const QJsonValue& value) {
    const QString text = toText(value);
    const auto found = fromText(text);
    if (!found)
        fail(QStringLiteral("\"%1\" names no case").arg(text));
    return *found;
}

constexpr auto toStatus = toCase<&projectStatusFromText>;
constexpr auto toProgressMode = toCase<&progressModeFromText>;
constexpr auto toStage = toCase<&cueStageFromText>;

// One JSON object being read.
class ObjectReader {
public:
    explicit ObjectReader(const QJsonValue& value) {
        if (!value.isObject())
            fail(QStringLiteral("expected an object"));
        m_object = value.toObject();
    }

    // An absent member and a null member both count as missing.
    template <typename Convert>
    auto optional(const char* key, Convert convert) const
        -> std::optional<std::invoke_result_t<Convert, const QJsonValue&>> {
        const QJsonValue value = m_object.value(QLatin1String(key));
        if (value.isUndefined() || value.isNull())
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
    QJsonObject m_object;
};

// A converter of JSON arrays whose elements `convertElement` reads.
template <typename Convert>
auto listOf(Convert convertElement) {
    return [convertElement](const QJsonValue& value) {
        using Element = std::invoke_result_t<Convert, const QJsonValue&>;
        if (!value.isArray())
            fail(QStringLiteral("expected an array"));
        const QJsonArray array = value.toArray();
        QList<Element> list;
        list.reserve(array.size());
        for (qsizetype i = 0; i < array.size(); ++i) {
            try {
                list.append(convertElement(array.at(i)));
            } catch (DecodeFailure& failure) {
                failure.enter(QStringLiteral("[%1]").arg(i));
                throw;
            }
        }
        return list;
    };
}

// A member a record cannot do without: its key, the field it fills, its reader.
template <typename Record, typename Value, typename Convert>
struct Required {
    const char* key;
    Value Record::*field;
    Convert convert;
};

// A record all of whose members are required; the first one missing or wrong fails it.
template <typename Record, typename... Members>
Record recordOf(const QJsonValue& value, const Members&... members) {
    const ObjectReader reader(value);
    Record record;
    ((record.*members.field = reader.required(members.key, members.convert)), ...);
    return record;
}

ProjectType toProjectType(const QJsonValue& value) {
    return recordOf<ProjectType>(
        value, Required{"id", &ProjectType::id, toID}, Required{"title", &ProjectType::title, toText},
        Required{"symbol", &ProjectType::symbol, toText}, Required{"colorHex", &ProjectType::colorHex, toText});
}

CueVersion toCueVersion(const QJsonValue& value) {
    return recordOf<CueVersion>(
        value, Required{"id", &CueVersion::id, toID}, Required{"number", &CueVersion::number, toWhole},
        Required{"date", &CueVersion::date, toDate}, Required{"note", &CueVersion::note, toText});
}

LogEntry toLogEntry(const QJsonValue& value) {
    return recordOf<LogEntry>(value, Required{"id", &LogEntry::id, toID}, Required{"date", &LogEntry::date, toDate},
                              Required{"text", &LogEntry::text, toText},
                              Required{"progress", &LogEntry::progress, toFraction});
}

Cue toCue(const QJsonValue& value, const QUuid& projectID, qsizetype position) {
    const ObjectReader reader(value);
    Cue cue;
    const std::optional<QString> number = reader.optional("number", toText);
    cue.title = reader.optional("title", toText).value_or(QString());
    const std::optional<QUuid> id = reader.optional("id", toID);
    cue.id = id ? *id : RecordCoding::idlessCueID(projectID, number, cue.title);
    // A cue of the earlier format has no number: it shows its position. An
    // empty number is the user's and stays empty.
    cue.number = number.value_or(QString::number(position + 1));
    cue.duration = reader.optional("duration", toWhole);
    cue.versions = reader.optional("versions", listOf(toCueVersion)).value_or(QList<CueVersion>());
    if (const std::optional<CueStage> stage = reader.optional("stage", toStage)) {
        cue.stage = *stage;
        cue.startDate = reader.optional("startDate", toDate);
        cue.mixedAt = reader.optional("mixedAt", toDate);
        cue.deliveredAt = reader.optional("deliveredAt", toDate);
        return cue;
    }
    // The earlier record format: a done flag and one date instead of stages.
    const bool isDone = reader.optional("isDone", toTruth).value_or(false);
    const std::optional<QDateTime> doneAt = reader.optional("doneAt", toDate);
    if (isDone) {
        cue.stage = CueStage::Delivered;
        cue.mixedAt = doneAt;
        cue.deliveredAt = doneAt;
    }
    return cue;
}

// Reads projects; `undated` stands in for creation and change dates a
// project does not carry, and `creationStored` notes whether each project's was.
class ProjectDecoder {
public:
    ProjectDecoder(QDateTime undated, QList<bool>* creationStored)
        : m_undated(std::move(undated)), m_creationStored(creationStored) {}

    AudioProject operator()(const QJsonValue& value) const {
        const ObjectReader reader(value);
        AudioProject project;
        project.id = reader.required("id", toID);
        project.name = reader.required("name", toText);
        if (const std::optional<QUuid> typeID = reader.optional("typeID", toID))
            project.typeID = *typeID;
        else
            project.typeID = ProjectType::legacyID(reader.optional("kind", toText).value_or(QString()));
        project.status = reader.optional("status", toStatus).value_or(ProjectStatus::NotStarted);
        const std::optional<QDateTime> createdAt = reader.optional("createdAt", toDate);
        m_creationStored->append(createdAt.has_value());
        project.createdAt = createdAt.value_or(m_undated);
        project.updatedAt = reader.optional("updatedAt", toDate).value_or(m_undated);
        project.deadline = reader.optional("deadline", toDate);
        project.folderPath = reader.optional("folderPath", toText);
        project.notes = reader.optional("notes", toText).value_or(QString());
        qsizetype position = 0;
        const auto toItem = [&](const QJsonValue& cue) { return toCue(cue, project.id, position++); };
        project.items = reader.optional("items", listOf(toItem)).value_or(QList<Cue>());
        project.log = reader.optional("log", listOf(toLogEntry)).value_or(QList<LogEntry>());
        project.progressMode = reader.optional("progressMode", toProgressMode).value_or(ProgressMode::Auto);
        project.manualProgress = reader.optional("manualProgress", toFraction).value_or(0.0);
        project.completedAt = reader.optional("completedAt", toDate);
        project.archivedAt = reader.optional("archivedAt", toDate);
        project.isFocused = reader.optional("isFocused", toTruth).value_or(false);
        return project;
    }

private:
    QDateTime m_undated;
    QList<bool>* m_creationStored;
};

// ---------------------------------------------------------------- encoding

void putDate(QJsonObject& object, const char* key, const std::optional<QDateTime>& date) {
    // An optional date that holds nothing usable is left out, never written as null.
    if (date && date->isValid())
        object.insert(QLatin1String(key), dateText(*date));
}

template <typename Record, typename Encode>
QJsonArray arrayOf(const QList<Record>& records, Encode encode) {
    QJsonArray array;
    for (const Record& record : records)
        array.append(encode(record));
    return array;
}

QJsonObject encodeType(const ProjectType& type) {
    return QJsonObject{
        {QStringLiteral("id"), idText(type.id)},
        {QStringLiteral("title"), type.title},
        {QStringLiteral("symbol"), type.symbol},
        {QStringLiteral("colorHex"), type.colorHex},
    };
}

QJsonObject encodeVersion(const CueVersion& version) {
    return QJsonObject{
        {QStringLiteral("id"), idText(version.id)},
        {QStringLiteral("number"), version.number},
        {QStringLiteral("date"), dateText(version.date)},
        {QStringLiteral("note"), version.note},
    };
}

QJsonObject encodeLogEntry(const LogEntry& entry) {
    return QJsonObject{
        {QStringLiteral("id"), idText(entry.id)},
        {QStringLiteral("date"), dateText(entry.date)},
        {QStringLiteral("text"), entry.text},
        {QStringLiteral("progress"), storableFraction(entry.progress)},
    };
}

QJsonObject encodeCue(const Cue& cue) {
    QJsonObject object{
        {QStringLiteral("id"), idText(cue.id)},
        {QStringLiteral("number"), cue.number},
        {QStringLiteral("title"), cue.title},
        {QStringLiteral("stage"), storedText(cue.stage)},
        {QStringLiteral("versions"), arrayOf(cue.versions, encodeVersion)},
    };
    if (cue.duration)
        object.insert(QStringLiteral("duration"), *cue.duration);
    putDate(object, "startDate", cue.startDate);
    putDate(object, "mixedAt", cue.mixedAt);
    putDate(object, "deliveredAt", cue.deliveredAt);
    return object;
}

QJsonObject encodeProject(const AudioProject& project) {
    QJsonObject object{
        {QStringLiteral("id"), idText(project.id)},
        {QStringLiteral("name"), project.name},
        {QStringLiteral("typeID"), idText(project.typeID)},
        {QStringLiteral("status"), storedText(project.status)},
        {QStringLiteral("notes"), project.notes},
        {QStringLiteral("items"), arrayOf(project.items, encodeCue)},
        {QStringLiteral("log"), arrayOf(project.log, encodeLogEntry)},
        {QStringLiteral("progressMode"), storedText(project.progressMode)},
        {QStringLiteral("manualProgress"), storableFraction(project.manualProgress)},
        {QStringLiteral("isFocused"), project.isFocused},
    };
    // A creation or change date that is not set reads back as the time of reading.
    putDate(object, "createdAt", project.createdAt);
    putDate(object, "updatedAt", project.updatedAt);
    putDate(object, "deadline", project.deadline);
    if (project.folderPath)
        object.insert(QStringLiteral("folderPath"), *project.folderPath);
    putDate(object, "completedAt", project.completedAt);
    putDate(object, "archivedAt", project.archivedAt);
    return object;
}

} // namespace

std::optional<QUuid> parseID(const QString& text) {
    if (text.size() != 36)
        return std::nullopt;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const bool hyphen = i == 8 || i == 13 || i == 18 || i == 23;
        if (hyphen ? text.at(i) != QLatin1Char('-') : !isHexDigit(text.at(i)))
            return std::nullopt;
    }
    return QUuid::fromString(text);
}

QString idText(const QUuid& id) {
    return id.toString(QUuid::WithoutBraces).toUpper();
}

std::optional<QDateTime> parseDate(const QString& text) {
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
    qsizetype at = 19;
    if (charAt(text, at, '.')) {
        // Fractions are accepted but dropped: the file keeps whole seconds.
        const qsizetype first = ++at;
        while (at < text.size() && isAsciiDigit(text.at(at)))
            ++at;
        if (at == first)
            return std::nullopt;
    }
    int offsetSeconds = 0;
    if (charAt(text, at, 'Z')) {
        ++at;
    } else if (charAt(text, at, '+') || charAt(text, at, '-')) {
        const int sign = text.at(at) == QLatin1Char('-') ? -1 : 1;
        const std::optional<int> offsetHours = digitsAt(text, at + 1, 2);
        const std::optional<int> offsetMinutes = digitsAt(text, at + 4, 2);
        if (!offsetHours || !offsetMinutes || !charAt(text, at + 3, ':') || *offsetHours > 23 || *offsetMinutes > 59)
            return std::nullopt;
        offsetSeconds = sign * (*offsetHours * 3600 + *offsetMinutes * 60);
        at += 6;
    } else {
        return std::nullopt;
    }
    if (at != text.size())
        return std::nullopt;
    const QDate date(*year, *month, *day);
    if (!date.isValid() || *hour > 23 || *minute > 59 || *second > 59)
        return std::nullopt;
    return QDateTime(date, QTime(*hour, *minute, *second), Qt::UTC).addSecs(-offsetSeconds);
}

QString dateText(const QDateTime& date) {
    if (!date.isValid())
        return {};
    // Beyond four-digit years the text would not read back; keep the file readable.
    const QDateTime storable = std::clamp(date.toUTC(), earliestStorableDate(), latestStorableDate());
    return storable.toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:ss'Z'"));
}

std::optional<Library> decodeLibrary(const QByteArray& bytes, const QDateTime& undatedAs, QString* error) {
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        if (error)
            *error =
                QStringLiteral("invalid JSON at offset %1: %2").arg(parseError.offset).arg(parseError.errorString());
        return std::nullopt;
    }
    try {
        if (!document.isObject())
            fail(QStringLiteral("the top level is not an object"));
        const ObjectReader top(document.object());
        top.required("version", toWhole); // any whole number is accepted
        Library library;
        QList<bool> creationStored;
        library.projects = top.required("projects", listOf(ProjectDecoder(undatedAs, &creationStored)));
        const QList<ProjectType> types = top.optional("types", listOf(toProjectType)).value_or(QList<ProjectType>());
        if (!types.isEmpty())
            library.types = types;
        DuplicateIds::separate(library, creationStored);
        return library;
    } catch (const DecodeFailure& failure) {
        if (error)
            *error = failure.message();
        return std::nullopt;
    }
}

QByteArray encodeLibrary(const Library& library) {
    const QJsonObject top{
        {QStringLiteral("version"), 2},
        {QStringLiteral("projects"), arrayOf(library.projects, encodeProject)},
        {QStringLiteral("types"), arrayOf(library.types, encodeType)},
    };
    return QJsonDocument(top).toJson(QJsonDocument::Indented);
}

} // namespace sorvel::test::ReferenceCoding
