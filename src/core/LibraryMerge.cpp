#include "core/LibraryMerge.h"

#include <QHash>
#include <QSet>
#include <QUuid>

#include <algorithm>

namespace sorvel::LibraryMerge {

namespace {

template <typename Record>
QHash<QUuid, const Record*> byID(const QList<Record>& records) {
    QHash<QUuid, const Record*> index;
    index.reserve(records.size());
    for (const Record& record : records)
        index.insert(record.id, &record);
    return index;
}

template <typename Record>
QList<Record> mergeRecords(const QList<Record>& base, const QList<Record>& theirs, const QList<Record>& mine) {
    if (theirs == base)
        return mine;
    if (mine == base)
        return theirs;
    const QHash<QUuid, const Record*> inBase = byID(base);
    const QHash<QUuid, const Record*> inTheirs = byID(theirs);
    const QHash<QUuid, const Record*> inMine = byID(mine);
    const auto unchanged = [](const Record* side, const Record* original) { return original && *side == *original; };

    QList<Record> merged;
    merged.reserve(std::max(theirs.size(), mine.size()));
    QSet<QUuid> placed;
    for (const Record& record : mine) {
        if (placed.contains(record.id))
            continue;  // a duplicated id is written once
        const Record* original = inBase.value(record.id);
        const Record* other = inTheirs.value(record.id);
        if (!other) {
            // Gone from theirs: deleted there, unless it is new here or changed here.
            if (original && unchanged(&record, original))
                continue;
            merged.append(record);
        } else {
            merged.append(unchanged(&record, original) ? *other : record);
        }
        placed.insert(record.id);
    }

    // Records of theirs that mine does not hold: new there, or changed there
    // while mine deleted them. Each follows its neighbour in theirs.
    const QUuid* neighbour = nullptr;
    for (const Record& record : theirs) {
        if (placed.contains(record.id)) {
            neighbour = &record.id;
            continue;
        }
        const Record* original = inBase.value(record.id);
        if (inMine.contains(record.id) || (original && unchanged(&record, original)))
            continue;  // deleted in mine and unchanged in theirs
        qsizetype at = 0;
        if (neighbour) {
            const auto found = std::find_if(merged.cbegin(), merged.cend(),
                                            [&](const Record& kept) { return kept.id == *neighbour; });
            at = found == merged.cend() ? merged.size() : found - merged.cbegin() + 1;
        }
        merged.insert(at, record);
        placed.insert(record.id);
        neighbour = &record.id;
    }
    return merged;
}

} // namespace

Library merge(const Library& base, const Library& theirs, const Library& mine) {
    return Library{mergeRecords(base.projects, theirs.projects, mine.projects),
                   mergeRecords(base.types, theirs.types, mine.types)};
}

} // namespace sorvel::LibraryMerge
