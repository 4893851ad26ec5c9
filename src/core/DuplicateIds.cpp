#include "core/DuplicateIds.h"

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

QUuid derivedID(const QUuid& id, int rank) {
    static const QUuid duplicateSpace = QUuid::fromString(QLatin1StringView("{9b3c6f0e-2d41-4a8e-b7c5-1e6a0d4f8b29}"));
    return QUuid::createUuidV5(duplicateSpace, id.toRfc4122() + QByteArray::number(rank));
}

// Returns the ids that were repeated, each with the id its first record now carries.
template <typename Record>
QHash<QUuid, QUuid> separateList(QList<Record>& records) {
    if (!repeatsAnId(records))
        return {};
    QSet<QUuid> taken;
    QHash<QUuid, int> count;
    for (const Record& record : records) {
        taken.insert(record.id);
        ++count[record.id];
    }
    // The first record of a repeated id gets an id of its own too: when
    // another program's write drops it, the record left with the plain id is
    // then never taken for it.
    QHash<QUuid, int> seen;
    QHash<QUuid, QUuid> firstOfRepeated;
    for (Record& record : records) {
        if (count.value(record.id) < 2)
            continue;
        const int rank = seen[record.id]++;
        QUuid own = derivedID(record.id, rank);
        for (int further = 1; taken.contains(own); ++further)
            own = derivedID(own, further);
        taken.insert(own);
        if (rank == 0)
            firstOfRepeated.insert(record.id, own);
        record.id = own;
    }
    return firstOfRepeated;
}

} // namespace

void separate(Library& library) {
    separateList(library.projects);
    // A project names its type by id: it stays on the type it showed, the first of that id.
    const QHash<QUuid, QUuid> renamedTypes = separateList(library.types);
    for (AudioProject& project : library.projects) {
        project.typeID = renamedTypes.value(project.typeID, project.typeID);
        separateList(project.items);
        separateList(project.log);
        for (Cue& cue : project.items)
            separateList(cue.versions);
    }
}

} // namespace sorvel::DuplicateIds
