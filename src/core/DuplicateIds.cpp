#include "core/DuplicateIds.h"

#include "core/RecordCoding.h"

#include <QByteArray>
#include <QHash>
#include <QSet>
#include <QVarLengthArray>

#include <algorithm>
#include <array>
#include <cstring>

namespace sorvel::DuplicateIds {

namespace {

// An id's 128 bits, cheap to sort: only equality matters here.
using RawID = std::array<quint64, 2>;

RawID rawID(const QUuid& id) {
    static_assert(sizeof(QUuid) == sizeof(RawID));
    RawID raw{};
    std::memcpy(&raw, &id, sizeof raw);
    return raw;
}

// Most lists repeat no id: they are told apart without a hash or an allocation.
template <typename Record>
bool repeatsAnId(const QList<Record>& records) {
    if (records.size() < 2)
        return false;
    QVarLengthArray<RawID, 64> ids;
    ids.reserve(records.size());
    for (const Record& record : records)
        ids.append(rawID(record.id));
    std::sort(ids.begin(), ids.end());
    return std::adjacent_find(ids.begin(), ids.end()) != ids.end();
}

// What a record says of itself, among what is seldom edited: the copies of a
// block copied by hand are told apart by it, whichever of them another
// program's write drops. Each text is preceded by its length, so that no two
// records saying different things give the same bytes.
class OwnWords {
public:
    OwnWords& operator<<(const QString& text) {
        m_bytes += QByteArray::number(text.size()) + ':' + text.toUtf8();
        return *this;
    }
    OwnWords& operator<<(const QDateTime& date) {
        m_bytes += date.isValid() ? QByteArray::number(date.toMSecsSinceEpoch()) + ';' : QByteArray("-;");
        return *this;
    }
    OwnWords& operator<<(qint64 number) {
        m_bytes += QByteArray::number(number) + ';';
        return *this;
    }
    QByteArray bytes() const { return m_bytes; }

private:
    QByteArray m_bytes;
};

// A project stored without a creation date reads with the file's modification
// time there, which every write changes: only a stored date says something,
// whatever its value (it may fall in the second the file was written).
auto projectWords(const QList<bool>& creationStored) {
    return [&creationStored](const AudioProject& project, qsizetype position) {
        OwnWords words;
        if (creationStored.value(position, true))
            words << project.createdAt;
        return (words << project.name).bytes();
    };
}
QByteArray ownWords(const ProjectType& type) {
    return (OwnWords() << type.title << type.symbol).bytes();
}
QByteArray ownWords(const CueVersion& version) {
    return (OwnWords() << version.number << version.date).bytes();
}
QByteArray ownWords(const LogEntry& entry) {
    return (OwnWords() << entry.date << entry.text).bytes();
}

// A cue read without an id or a number shows its position as its number:
// that says nothing of the cue itself, only its title does.
auto cueWords(const QUuid& projectID) {
    return [projectID](const Cue& cue, qsizetype) {
        const bool numberIsPosition = cue.id == RecordCoding::idlessCueID(projectID, std::nullopt, cue.title);
        OwnWords words;
        if (!numberIsPosition)
            words << cue.number;
        return (words << cue.title).bytes();
    };
}

QUuid derivedID(const QUuid& id, const QByteArray& words, int rank) {
    static const QUuid duplicateSpace = QUuid::fromString(QLatin1StringView("{9b3c6f0e-2d41-4a8e-b7c5-1e6a0d4f8b29}"));
    return QUuid::createUuidV5(duplicateSpace, id.toRfc4122() + words + '#' + QByteArray::number(rank));
}

// Returns the ids that were repeated, each with the id its first record now carries.
template <typename Record, typename Words>
QHash<QUuid, QUuid> separateList(QList<Record>& records, const Words& wordsOf) {
    if (!repeatsAnId(records))
        return {};
    QSet<QUuid> taken;
    QHash<QUuid, int> count;
    for (const Record& record : records) {
        taken.insert(record.id);
        ++count[record.id];
    }
    // Every record of a repeated id, the first too, gets an id of its own,
    // derived from what it says rather than from its rank among the records
    // of that id: when another program's write drops one of them, the others
    // keep their ids, and no edit moves onto a neighbour. Only records that
    // say exactly the same are told apart by their order.
    QHash<QByteArray, int> seen;
    QHash<QUuid, QUuid> firstOfRepeated;
    for (qsizetype position = 0; position < records.size(); ++position) {
        Record& record = records[position];
        if (count.value(record.id) < 2)
            continue;
        const QByteArray words = wordsOf(record, position);
        const int rank = seen[record.id.toRfc4122() + words]++;
        QUuid own = derivedID(record.id, words, rank);
        for (int further = 1; taken.contains(own); ++further)
            own = derivedID(own, words, further);
        taken.insert(own);
        if (!firstOfRepeated.contains(record.id))
            firstOfRepeated.insert(record.id, own);
        record.id = own;
    }
    return firstOfRepeated;
}

template <typename Record>
QHash<QUuid, QUuid> separateList(QList<Record>& records) {
    return separateList(records, [](const Record& record, qsizetype) { return ownWords(record); });
}

} // namespace

void separate(Library& library, const QList<bool>& creationStored) {
    separateList(library.projects, projectWords(creationStored));
    // A project names its type by id: it stays on the type it showed, the first of that id.
    const QHash<QUuid, QUuid> renamedTypes = separateList(library.types);
    for (AudioProject& project : library.projects) {
        project.typeID = renamedTypes.value(project.typeID, project.typeID);
        separateList(project.items, cueWords(project.id));
        separateList(project.log);
        for (Cue& cue : project.items)
            separateList(cue.versions);
    }
}

} // namespace sorvel::DuplicateIds
