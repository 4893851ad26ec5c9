#include "core/LibraryMerge.h"

#include <QHash>
#include <QSet>
#include <QUuid>

#include <algorithm>
#include <optional>
#include <utility>

namespace sorvel::LibraryMerge {

namespace {

// A record's key: its id and how many records before it carry that id. A
// hand-edited file may repeat an id; each of those records is matched with the
// one of the same rank on the other sides, so none of them is lost.
using Key = std::pair<QUuid, int>;

template <typename Record>
class Keys {
public:
    Key next(const Record& record) { return {record.id, m_seen[record.id]++}; }

private:
    QHash<QUuid, int> m_seen;
};

template <typename Record>
QHash<Key, const Record*> byKey(const QList<Record>& records) {
    QHash<Key, const Record*> index;
    index.reserve(records.size());
    Keys<Record> keys;
    for (const Record& record : records)
        index.insert(keys.next(record), &record);
    return index;
}

template <typename Record>
QList<Record> mergeRecords(const QList<Record>& base, const QList<Record>& theirs, const QList<Record>& mine) {
    if (theirs == base)
        return mine;
    if (mine == base)
        return theirs;
    const QHash<Key, const Record*> inBase = byKey(base);
    const QHash<Key, const Record*> inTheirs = byKey(theirs);
    const QHash<Key, const Record*> inMine = byKey(mine);
    const auto unchanged = [](const Record* side, const Record* original) { return original && *side == *original; };

    QList<Record> merged;
    QList<Key> mergedKeys;
    merged.reserve(std::max(theirs.size(), mine.size()));
    QSet<Key> placed;
    Keys<Record> mineKeys;
    for (const Record& record : mine) {
        const Key key = mineKeys.next(record);
        const Record* original = inBase.value(key);
        const Record* other = inTheirs.value(key);
        if (!other) {
            // Gone from theirs: deleted there, unless it is new here or changed here.
            if (original && unchanged(&record, original))
                continue;
            merged.append(record);
        } else {
            merged.append(unchanged(&record, original) ? *other : record);
        }
        mergedKeys.append(key);
        placed.insert(key);
    }

    // Records of theirs that mine does not hold: new there, or changed there
    // while mine deleted them. Each follows its neighbour in theirs.
    std::optional<Key> neighbour;
    Keys<Record> theirKeys;
    for (const Record& record : theirs) {
        const Key key = theirKeys.next(record);
        if (placed.contains(key)) {
            neighbour = key;
            continue;
        }
        const Record* original = inBase.value(key);
        if (inMine.contains(key) || (original && unchanged(&record, original)))
            continue;  // deleted in mine and unchanged in theirs
        qsizetype at = 0;
        if (neighbour) {
            const qsizetype found = mergedKeys.indexOf(*neighbour);
            at = found < 0 ? merged.size() : found + 1;
        }
        merged.insert(at, record);
        mergedKeys.insert(at, key);
        placed.insert(key);
        neighbour = key;
    }
    return merged;
}

} // namespace

Library merge(const Library& base, const Library& theirs, const Library& mine) {
    return Library{mergeRecords(base.projects, theirs.projects, mine.projects),
                   mergeRecords(base.types, theirs.types, mine.types)};
}

} // namespace sorvel::LibraryMerge
