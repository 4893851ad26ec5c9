#include "core/LibraryMerge.h"

#include "core/Log.h"
#include "core/RecordCoding.h"
#include "core/RecordFields.h"

#include <QHash>
#include <QSet>
#include <QUuid>

#include <algorithm>
#include <optional>
#include <type_traits>
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
QString valueText(const UnknownMembers& members) {
    QStringList texts;
    for (const UnknownMemberText member : members)
        texts << valueText(QString::fromUtf8(member.key)) + QStringLiteral(": ") + QString::fromUtf8(member.json);
    return QLatin1Char('{') + texts.join(QStringLiteral(", ")) + QLatin1Char('}');
}
template <typename Value>
QString valueText(const std::optional<Value>& value) {
    return value ? valueText(*value) : QStringLiteral("none");
}

// Where in the library a merge is, and where it notes what it set aside:
// nothing is ever dropped silently.
class Place {
public:
    Place(QString name, QStringList* notes) : m_name(std::move(name)), m_notes(notes) {}
    Place within(const QString& part) const {
        return Place(m_name.isEmpty() ? part : m_name + QStringLiteral(", ") + part, m_notes);
    }
    Place top(const QString& name) const { return Place(name, m_notes); }

    // The value of one field from both sides: the side that changed it, mine
    // when both did (and the other value is noted as set aside).
    template <typename Value>
    Value pick(const char* field, const Value& base, const Value& theirs, const Value& mine) const {
        if (mine == base)
            return theirs;
        if (!(theirs == base) && !(theirs == mine))
            setAside(QLatin1String(field), valueText(mine), valueText(theirs));
        return mine;
    }

    void setAside(const QString& what, const QString& kept, const QString& dropped) const {
        note(QStringLiteral("%1: %2 was changed here and by another program; kept %3, set aside %4")
                 .arg(m_name, what, kept, dropped));
    }

    void note(const QString& line) const { m_notes->append(line); }
    const QString& name() const { return m_name; }

private:
    QString m_name;
    QStringList* m_notes;
};

Place placeOf(const AudioProject& project, const Place& library) {
    return library.top(QStringLiteral("project %1 (%2)").arg(valueText(project.name), valueText(project.id)));
}
Place placeOf(const ProjectType& type, const Place& library) {
    return library.top(QStringLiteral("project type %1 (%2)").arg(valueText(type.title), valueText(type.id)));
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

template <typename Record>
QString changesOf(const Record& base, const Record& side);

// What `side` changed of a list of records, for the log: each record added,
// changed (with its changes) or deleted there.
template <typename Record>
QString changesOf(const QList<Record>& base, const QList<Record>& side) {
    const Place unnamed({}, nullptr);
    const QHash<Key, const Record*> inBase = byKey(base);
    const QHash<Key, const Record*> inSide = byKey(side);
    QStringList changes;
    Keys<Record> sideKeys;
    for (const Record& record : side) {
        const Record* before = inBase.value(sideKeys.next(record));
        if (!before)
            changes << QStringLiteral("added ") + placeOf(record, unnamed).name();
        else if (!(*before == record))
            changes << placeOf(*before, unnamed).name() + QStringLiteral(" (") + changesOf(*before, record)
                    + QLatin1Char(')');
    }
    Keys<Record> baseKeys;
    for (const Record& record : base) {
        if (!inSide.contains(baseKeys.next(record)))
            changes << QStringLiteral("deleted ") + placeOf(record, unnamed).name();
    }
    return changes.join(QStringLiteral(", "));
}

// What `side` changed of a record, for the log: each changed field with its
// value, and what changed in each of its lists.
template <typename Record>
QString changesOf(const Record& base, const Record& side) {
    QStringList changes;
    forEachOf(RecordShape<Record>::fields, [&](const auto& field) {
        if (!(base.*field.member == side.*field.member))
            changes << QLatin1String(field.name) + QLatin1Char(' ') + valueText(side.*field.member);
    });
    forEachOf(RecordShape<Record>::lists, [&](const auto& list) {
        if (base.*list.member != side.*list.member)
            changes << QLatin1String(list.name) + QStringLiteral(": ")
                    + changesOf(base.*list.member, side.*list.member);
    });
    return changes.join(QStringLiteral(", "));
}

template <typename Record>
Record mergeChanged(const Record& base, const Record& theirs, const Record& mine, const Place& at);

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
            placeOf(*my, owner)
                .note(QStringLiteral("%1 was added here and by another program; kept this one, set aside the other")
                          .arg(placeOf(*my, owner).name()));
            return *my;
        }
        const Record* present = their ? their : my;
        if (!original)
            return *present; // new on that side
        if (*present == *original)
            return std::nullopt; // deleted on the other side, unchanged on this one
        // Deleted on one side, changed on the other: this program's choice stands.
        const Place at = placeOf(*present, owner);
        if (my) {
            at.note(QStringLiteral("%1 was deleted by another program and changed here; kept it").arg(at.name()));
            return *my;
        }
        at.note(QStringLiteral("%1 was deleted here and changed by another program; kept the deletion, set aside "
                               "its change of %2")
                    .arg(at.name(), changesOf(*original, *their)));
        return std::nullopt;
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

// A record changed on both sides: mine, with each field from the side that
// changed it and each list of records merged record by record.
template <typename Record>
Record mergeChanged(const Record& base, const Record& theirs, const Record& mine, const Place& at) {
    Record merged = mine;
    forEachOf(RecordShape<Record>::fields, [&](const auto& field) {
        merged.*field.member = at.pick(field.name, base.*field.member, theirs.*field.member, mine.*field.member);
    });
    forEachOf(RecordShape<Record>::lists, [&](const auto& list) {
        merged.*list.member = mergeRecords(base.*list.member, theirs.*list.member, mine.*list.member, at);
    });
    if constexpr (std::is_same_v<Record, AudioProject>) {
        merged.updatedAt = std::max(theirs.updatedAt, mine.updatedAt);
        if (theirs.log != base.log && mine.log != base.log) {
            std::stable_sort(merged.log.begin(), merged.log.end(),
                             [](const LogEntry& a, const LogEntry& b) { return a.date > b.date; });
        }
    }
    return merged;
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

// Each side keeps at most one project focused, and so must the merge. Of two
// choices, one on each side, this program's stands and the other is set
// aside. Several focused otherwise came so from a file (a hand edit): the
// choice of either side stands, else the first, and the log says what happened.
void keepOneFocus(QList<AudioProject>& merged, const Library& base, const Library& theirs, const Library& mine,
                  const Place& library) {
    const auto focused = [](const AudioProject& project) { return project.isFocused; };
    if (std::count_if(merged.cbegin(), merged.cend(), focused) < 2)
        return;
    const QSet<QUuid> mineChose = focusChosen(base.projects, mine.projects);
    const QSet<QUuid> theirsChose = focusChosen(base.projects, theirs.projects);
    enum Rank { ChosenHere, ChosenElsewhere, NotChosen };
    const auto rank = [&](const AudioProject& project) {
        return mineChose.contains(project.id)  ? ChosenHere
            : theirsChose.contains(project.id) ? ChosenElsewhere
                                               : NotChosen;
    };
    qsizetype keeper = -1;
    for (qsizetype i = 0; i < merged.size(); ++i) {
        if (merged.at(i).isFocused && (keeper < 0 || rank(merged.at(i)) < rank(merged.at(keeper))))
            keeper = i;
    }
    const Rank keptRank = rank(merged.at(keeper));
    const QString keptName = valueText(merged.at(keeper).name);
    const QString keptPlace = placeOf(merged.at(keeper), library).name();
    QStringList released;
    for (qsizetype i = 0; i < merged.size(); ++i) {
        if (i == keeper || !merged.at(i).isFocused)
            continue;
        merged[i].isFocused = false;
        const Place at = placeOf(merged.at(i), library);
        if (keptRank == ChosenHere && rank(merged.at(i)) == ChosenElsewhere)
            at.setAside(QStringLiteral("the focus"), QStringLiteral("the focus of project %1").arg(keptName),
                        QStringLiteral("this one's"));
        else
            released << at.name();
    }
    if (!released.isEmpty())
        library.note(QStringLiteral("the file held several focused projects, where only one may be; %1 keeps the "
                                    "focus, taken from %2")
                         .arg(keptPlace, released.join(QStringLiteral(", "))));
}

const ProjectType* typeIn(const QList<ProjectType>& types, const QUuid& id) {
    const auto found =
        std::find_if(types.cbegin(), types.cend(), [&](const ProjectType& type) { return type.id == id; });
    return found == types.cend() ? nullptr : &*found;
}

// Where `side`, which deleted the type `deleted`, sent the projects the base
// had on it; none when it had none there.
std::optional<QUuid> typeProjectsWentTo(const QUuid& deleted, const Library& base, const Library& side,
                                        const QList<ProjectType>& types) {
    QHash<QUuid, const AudioProject*> onSide;
    for (const AudioProject& project : side.projects)
        onSide.insert(project.id, &project);
    for (const AudioProject& project : base.projects) {
        const AudioProject* there = project.typeID == deleted ? onSide.value(project.id) : nullptr;
        if (there && there->typeID != deleted && typeIn(types, there->typeID))
            return there->typeID;
    }
    return std::nullopt;
}

// One side deleted a type (moving its projects) while the other put a project
// on it: the project follows the deleting side's move, so that no project is
// left on a type the merged library does not hold.
void rehomeProjectsOfDeletedTypes(Library& merged, const Library& base, const Library& theirs, const Library& mine,
                                  const Place& library) {
    if (merged.types.isEmpty())
        return;
    for (AudioProject& project : merged.projects) {
        const ProjectType* deleted = typeIn(base.types, project.typeID);
        if (!deleted || typeIn(merged.types, project.typeID))
            continue; // on a type of the merge, or on one no side knew (left as the file has it)
        const bool deletedHere = !typeIn(mine.types, deleted->id);
        const Library& deleting = deletedHere ? mine : theirs;
        const QUuid target =
            typeProjectsWentTo(deleted->id, base, deleting, merged.types)
                .value_or(typeIn(merged.types, ProjectType::otherID) ? ProjectType::otherID : merged.types.first().id);
        project.typeID = target;
        placeOf(project, library)
            .note(QStringLiteral("%1: its type %2 was deleted %3; moved it to %4")
                      .arg(placeOf(project, library).name(), valueText(deleted->title),
                           deletedHere ? QStringLiteral("here") : QStringLiteral("by another program"),
                           valueText(typeIn(merged.types, target)->title)));
    }
}

} // namespace

Library merge(const Library& base, const Library& theirs, const Library& mine, QStringList* notes) {
    const Place library({}, notes);
    Library merged{mergeRecords(base.projects, theirs.projects, mine.projects, library),
                   mergeRecords(base.types, theirs.types, mine.types, library),
                   library.within(QStringLiteral("the top level"))
                       .pick("unknown members", base.unknown, theirs.unknown, mine.unknown)};
    keepOneFocus(merged.projects, base, theirs, mine, library);
    rehomeProjectsOfDeletedTypes(merged, base, theirs, mine, library);
    return merged;
}

Library merge(const Library& base, const Library& theirs, const Library& mine) {
    QStringList notes;
    Library merged = merge(base, theirs, mine, &notes);
    logNotes(notes);
    return merged;
}

void logNotes(const QStringList& notes) {
    // A merge that set something aside still succeeded: its notes are information, not errors.
    for (const QString& line : notes)
        Log::info(QStringLiteral("Sorvel merge: ") + line);
}

} // namespace sorvel::LibraryMerge
