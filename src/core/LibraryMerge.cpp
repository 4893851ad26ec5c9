#include "core/LibraryMerge.h"

#include "core/Log.h"
#include "core/RecordCoding.h"

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
QList<Key> keysOf(const QList<Record>& records) {
    QList<Key> keys;
    keys.reserve(records.size());
    Keys<Record> counter;
    for (const Record& record : records)
        keys.append(counter.next(record));
    return keys;
}

// Whether `side` holds the records it shares with `base` in another order.
template <typename Record>
bool reordered(const QList<Record>& base, const QList<Record>& side) {
    const QList<Key> baseKeys = keysOf(base);
    const QList<Key> sideKeys = keysOf(side);
    const QSet<Key> inBase(baseKeys.cbegin(), baseKeys.cend());
    const QSet<Key> inSide(sideKeys.cbegin(), sideKeys.cend());
    qsizetype at = 0;
    for (const Key& key : sideKeys) {
        if (!inBase.contains(key))
            continue;
        while (!inSide.contains(baseKeys.at(at)))
            ++at;
        if (baseKeys.at(at++) != key)
            return true;
    }
    return false;
}

QString valueText(const QString& text) {
    QString escaped = text;
    escaped.replace(QLatin1Char('\\'), QLatin1String("\\\\")).replace(QLatin1Char('\n'), QLatin1String("\\n"));
    return QLatin1Char('"') + escaped + QLatin1Char('"');
}
QString valueText(const QDateTime& date) {
    return RecordCoding::dateText(date);
}
QString valueText(const QUuid& id) {
    return RecordCoding::idText(id);
}
QString valueText(bool truth) {
    return truth ? QStringLiteral("true") : QStringLiteral("false");
}
QString valueText(double fraction) {
    return QString::number(fraction);
}
QString valueText(qint64 whole) {
    return QString::number(whole);
}
QString valueText(ProjectStatus status) {
    return storedText(status);
}
QString valueText(ProgressMode mode) {
    return storedText(mode);
}
QString valueText(CueStage stage) {
    return storedText(stage);
}
template <typename Value>
QString valueText(const std::optional<Value>& value) {
    return value ? valueText(*value) : QStringLiteral("none");
}

// Where in the library a merge is, for the log: what was set aside is never
// dropped silently.
class Place {
public:
    explicit Place(QString name) : m_name(std::move(name)) {}
    Place within(const QString& part) const { return Place(m_name + QStringLiteral(", ") + part); }

    // The value of one field from both sides: the side that changed it, mine
    // when both did (and the other value is logged as set aside).
    template <typename Value>
    Value pick(const char* field, const Value& base, const Value& theirs, const Value& mine) const {
        if (mine == base)
            return theirs;
        if (!(theirs == base) && !(theirs == mine))
            setAside(QLatin1String(field), valueText(mine), valueText(theirs));
        return mine;
    }

    // A record both sides hold but the base does not: mine, the other logged.
    void setAsideRecord() const {
        Log::storageError(
            QStringLiteral("%1 was added here and by another program; kept this one, set aside the other").arg(m_name));
    }

    void setAside(const QString& what, const QString& kept, const QString& dropped) const {
        Log::storageError(QStringLiteral("%1: %2 was changed here and by another program; kept %3, set aside %4")
                              .arg(m_name, what, kept, dropped));
    }

private:
    QString m_name;
};

Place placeOf(const AudioProject& project, const Place&) {
    return Place(QStringLiteral("project %1 (%2)").arg(valueText(project.name), valueText(project.id)));
}
Place placeOf(const ProjectType& type, const Place&) {
    return Place(QStringLiteral("project type %1 (%2)").arg(valueText(type.title), valueText(type.id)));
}
Place placeOf(const Cue& cue, const Place& project) {
    return project.within(QStringLiteral("cue %1 %2").arg(valueText(cue.number), valueText(cue.title)));
}
Place placeOf(const CueVersion& version, const Place& cue) {
    return cue.within(QStringLiteral("version %1").arg(version.number));
}
Place placeOf(const LogEntry& entry, const Place& project) {
    return project.within(QStringLiteral("log entry of %1").arg(valueText(entry.date)));
}

// A record changed on both sides, merged field by field.
AudioProject mergeChanged(const AudioProject& base, const AudioProject& theirs, const AudioProject& mine,
                          const Place& at);
ProjectType mergeChanged(const ProjectType& base, const ProjectType& theirs, const ProjectType& mine, const Place& at);
Cue mergeChanged(const Cue& base, const Cue& theirs, const Cue& mine, const Place& at);
CueVersion mergeChanged(const CueVersion& base, const CueVersion& theirs, const CueVersion& mine, const Place& at);
LogEntry mergeChanged(const LogEntry& base, const LogEntry& theirs, const LogEntry& mine, const Place& at);

template <typename Record>
QList<Record> mergeRecords(const QList<Record>& base, const QList<Record>& theirs, const QList<Record>& mine,
                           const Place& owner) {
    if (theirs == base)
        return mine;
    if (mine == base)
        return theirs;
    const QHash<Key, const Record*> inBase = byKey(base);
    const QHash<Key, const Record*> inTheirs = byKey(theirs);
    const QHash<Key, const Record*> inMine = byKey(mine);

    // What the merge holds for a key, none when the record is deleted.
    const auto resolve = [&](const Key& key) -> std::optional<Record> {
        const Record* original = inBase.value(key);
        const Record* their = inTheirs.value(key);
        const Record* my = inMine.value(key);
        if (their && my) {
            if (original && *my == *original)
                return *their;
            if ((original && *their == *original) || *their == *my)
                return *my;
            if (original)
                return mergeChanged(*original, *their, *my, placeOf(*my, owner));
            placeOf(*my, owner).setAsideRecord();
            return *my;
        }
        // Gone from the other side: deleted there, unless new or changed on this one.
        const Record* present = their ? their : my;
        if (original && *present == *original)
            return std::nullopt;
        return *present;
    };

    // The order is that of the side that changed it; the other side's
    // records follow their neighbour there.
    const bool theirOrder = reordered(base, theirs) && !reordered(base, mine);
    const QList<Record>& leading = theirOrder ? theirs : mine;
    const QList<Record>& following = theirOrder ? mine : theirs;
    const QHash<Key, const Record*>& inLeading = theirOrder ? inTheirs : inMine;

    QList<Record> merged;
    QList<Key> mergedKeys;
    merged.reserve(std::max(theirs.size(), mine.size()));
    QSet<Key> placed;
    Keys<Record> leadingKeys;
    for (const Record& record : leading) {
        const Key key = leadingKeys.next(record);
        std::optional<Record> kept = resolve(key);
        if (!kept)
            continue;
        merged.append(std::move(*kept));
        mergedKeys.append(key);
        placed.insert(key);
    }

    std::optional<Key> neighbour;
    Keys<Record> followingKeys;
    for (const Record& record : following) {
        const Key key = followingKeys.next(record);
        if (placed.contains(key)) {
            neighbour = key;
            continue;
        }
        if (inLeading.contains(key))
            continue; // deleted by the merge
        std::optional<Record> kept = resolve(key);
        if (!kept)
            continue;
        qsizetype at = 0;
        if (neighbour) {
            const qsizetype found = mergedKeys.indexOf(*neighbour);
            at = found < 0 ? merged.size() : found + 1;
        }
        merged.insert(at, std::move(*kept));
        mergedKeys.insert(at, key);
        placed.insert(key);
        neighbour = key;
    }
    return merged;
}

// One field of a record: its name in the log and the member.
template <typename Record, typename Value>
struct Field {
    const char* name;
    Value Record::*member;
};

// Mine, with each of `fields` from the side that changed it.
template <typename Record, typename... Values>
Record mergeFields(const Record& base, const Record& theirs, const Record& mine, const Place& at,
                   const Field<Record, Values>&... fields) {
    Record merged = mine;
    ((merged.*fields.member = at.pick(fields.name, base.*fields.member, theirs.*fields.member, mine.*fields.member)),
     ...);
    return merged;
}

AudioProject mergeChanged(const AudioProject& base, const AudioProject& theirs, const AudioProject& mine,
                          const Place& at) {
    using P = AudioProject;
    AudioProject merged = mergeFields(
        base, theirs, mine, at, Field{"name", &P::name}, Field{"type", &P::typeID}, Field{"status", &P::status},
        Field{"creation date", &P::createdAt}, Field{"deadline", &P::deadline}, Field{"folder", &P::folderPath},
        Field{"notes", &P::notes}, Field{"progress mode", &P::progressMode},
        Field{"manual progress", &P::manualProgress}, Field{"completion date", &P::completedAt},
        Field{"archive date", &P::archivedAt}, Field{"focus", &P::isFocused});
    merged.updatedAt = std::max(theirs.updatedAt, mine.updatedAt);
    merged.items = mergeRecords(base.items, theirs.items, mine.items, at);
    merged.log = mergeRecords(base.log, theirs.log, mine.log, at);
    if (theirs.log != base.log && mine.log != base.log) {
        std::stable_sort(merged.log.begin(), merged.log.end(),
                         [](const LogEntry& a, const LogEntry& b) { return a.date > b.date; });
    }
    return merged;
}

ProjectType mergeChanged(const ProjectType& base, const ProjectType& theirs, const ProjectType& mine, const Place& at) {
    return mergeFields(base, theirs, mine, at, Field{"title", &ProjectType::title},
                       Field{"symbol", &ProjectType::symbol}, Field{"colour", &ProjectType::colorHex});
}

Cue mergeChanged(const Cue& base, const Cue& theirs, const Cue& mine, const Place& at) {
    Cue merged = mergeFields(base, theirs, mine, at, Field{"number", &Cue::number}, Field{"title", &Cue::title},
                             Field{"duration", &Cue::duration}, Field{"stage", &Cue::stage},
                             Field{"start date", &Cue::startDate}, Field{"mix date", &Cue::mixedAt},
                             Field{"delivery date", &Cue::deliveredAt});
    merged.versions = mergeRecords(base.versions, theirs.versions, mine.versions, at);
    return merged;
}

CueVersion mergeChanged(const CueVersion& base, const CueVersion& theirs, const CueVersion& mine, const Place& at) {
    return mergeFields(base, theirs, mine, at, Field{"number", &CueVersion::number}, Field{"date", &CueVersion::date},
                       Field{"note", &CueVersion::note});
}

LogEntry mergeChanged(const LogEntry& base, const LogEntry& theirs, const LogEntry& mine, const Place& at) {
    return mergeFields(base, theirs, mine, at, Field{"date", &LogEntry::date}, Field{"text", &LogEntry::text},
                       Field{"progress", &LogEntry::progress});
}

// The project a side chose to focus: focused there and not in the base.
QSet<QUuid> focusChosen(const QList<AudioProject>& base, const QList<AudioProject>& side) {
    QSet<QUuid> focusedBefore;
    for (const AudioProject& project : base) {
        if (project.isFocused)
            focusedBefore.insert(project.id);
    }
    QSet<QUuid> chosen;
    for (const AudioProject& project : side) {
        if (project.isFocused && !focusedBefore.contains(project.id))
            chosen.insert(project.id);
    }
    return chosen;
}

// Each side keeps at most one project focused; the merge of two choices must too.
void keepOneFocus(QList<AudioProject>& merged, const Library& base, const Library& theirs, const Library& mine) {
    const auto focused = [](const AudioProject& project) { return project.isFocused; };
    if (std::count_if(merged.cbegin(), merged.cend(), focused) < 2)
        return;
    const QSet<QUuid> mineChose = focusChosen(base.projects, mine.projects);
    const QSet<QUuid> theirsChose = focusChosen(base.projects, theirs.projects);
    const auto rank = [&](const AudioProject& project) {
        return mineChose.contains(project.id) ? 0 : theirsChose.contains(project.id) ? 1 : 2;
    };
    qsizetype keeper = -1;
    for (qsizetype i = 0; i < merged.size(); ++i) {
        if (merged.at(i).isFocused && (keeper < 0 || rank(merged.at(i)) < rank(merged.at(keeper))))
            keeper = i;
    }
    const QString kept = QStringLiteral("the focus of project %1").arg(valueText(merged.at(keeper).name));
    for (qsizetype i = 0; i < merged.size(); ++i) {
        if (i == keeper || !merged.at(i).isFocused)
            continue;
        merged[i].isFocused = false;
        placeOf(merged.at(i), Place({})).setAside(QStringLiteral("the focus"), kept, QStringLiteral("this one's"));
    }
}

} // namespace

Library merge(const Library& base, const Library& theirs, const Library& mine) {
    Library merged{mergeRecords(base.projects, theirs.projects, mine.projects, Place({})),
                   mergeRecords(base.types, theirs.types, mine.types, Place({}))};
    keepOneFocus(merged.projects, base, theirs, mine);
    return merged;
}

} // namespace sorvel::LibraryMerge
