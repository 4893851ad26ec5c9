#pragma once

#include "core/AudioProject.h"

#include <QColor>
#include <QDate>
#include <QList>
#include <QMap>
#include <QString>
#include <QUuid>

#include <functional>
#include <optional>

namespace sorvel {

class TypeRegistry;

// One dated entry of the month calendar: a project's deadline, or a cue's start, mix or delivery.
struct CalendarEvent {
    // Declared in the order the day panel lists its sections.
    enum class Kind { Deadline, Delivered, Mixed, Started };

    // With the project and the kind it names the entry: the same date of the same
    // record gives the same entry at every collection. Null for a deadline.
    QUuid cueID;
    Kind kind = Kind::Deadline;
    QUuid projectID;
    QString projectName;
    QColor color; // the entry's own accent: type colour, or red when overdue
    std::optional<QString> cueLabel; // number, two spaces, title; none for a deadline

    bool operator==(const CalendarEvent&) const = default;

    static const QList<Kind>& allKinds();
    static QString kindTitle(Kind kind); // "截止", "交付", "录混", "开始"
    static QString kindSymbol(Kind kind); // symbol-table name of the kind's icon
    static QColor kindColor(Kind kind); // the kind's own colour, never an entry's

    // The entries of each local day, in project order; within a project the deadline first,
    // then per cue started, mixed, delivered. Archived projects show no deadline.
    // Days without entries have no key.
    using Days = QMap<QDate, QList<CalendarEvent>>;
    static Days collect(const QList<AudioProject>& projects, const TypeRegistry& registry);

    // One project's entries in that order, each with its local day. A date that
    // `wanted` turns down (by its instant) is skipped before it is turned into a
    // local day, which is the costly part.
    struct Dated;
    using Filter = std::function<bool(const QDateTime& instant)>;
    static QList<Dated> ofProject(const AudioProject& project, const TypeRegistry& registry, const Filter& wanted);
};

struct CalendarEvent::Dated {
    QDate day;
    CalendarEvent event;
};

} // namespace sorvel
