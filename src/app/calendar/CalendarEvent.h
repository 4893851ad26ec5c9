#pragma once

#include "core/AudioProject.h"

#include <QColor>
#include <QDate>
#include <QList>
#include <QMap>
#include <QString>
#include <QUuid>

#include <optional>

namespace sorvel {

class TypeRegistry;

// One dated entry of the month calendar: a project's deadline, or a cue's start, mix or delivery.
struct CalendarEvent {
    // Declared in the order the day panel lists its sections.
    enum class Kind { Deadline, Delivered, Mixed, Started };

    QUuid id;  // new at every collection
    Kind kind = Kind::Deadline;
    QUuid projectID;
    QString projectName;
    QColor color;                    // the entry's own accent: type colour, or red when overdue
    std::optional<QString> cueLabel; // number, two spaces, title; none for a deadline

    static const QList<Kind>& allKinds();
    static QString kindTitle(Kind kind);   // "截止", "交付", "录混", "开始"
    static QString kindSymbol(Kind kind);  // symbol-table name of the kind's icon
    static QColor kindColor(Kind kind);    // the kind's own colour, never an entry's

    // The entries of each local day, in project order; within a project the deadline first,
    // then per cue started, mixed, delivered. Archived projects show no deadline.
    // Days without entries have no key.
    using Days = QMap<QDate, QList<CalendarEvent>>;
    static Days collect(const QList<AudioProject>& projects, const TypeRegistry& registry);
};

} // namespace sorvel
