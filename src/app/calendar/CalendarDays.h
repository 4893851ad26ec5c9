#pragma once

#include "app/calendar/CalendarEvent.h"
#include "app/store/model/ProjectChange.h"

#include <QDate>
#include <QHash>
#include <QList>

namespace sorvel {

class TypeRegistry;

// The entries of the few local days the calendar page shows (the visible weeks
// and the selected day), kept up to date from the projects a change touched.
// Other days are never looked at, so a date outside them is not even turned
// into a local day. For those days it holds exactly what a collection of all
// projects would give.
class CalendarDays final {
public:
    // A run of whole local days, first to last.
    struct Span {
        QDate first;
        QDate last;
        bool operator==(const Span&) const = default;
    };

    // The days to keep; a different set needs a rebuild.
    const QList<Span>& spans() const { return m_spans; }
    void setSpans(const QList<Span>& spans);

    // Collects the entries of the spans from every project.
    void rebuild(const QList<AudioProject>& projects, const TypeRegistry& registry);
    // Collects again only what `change` touched; `projects` is the array after it.
    void update(const QList<AudioProject>& projects, const ProjectChange& change, const TypeRegistry& registry);

    // The entries of each kept day, as CalendarEvent::collect orders them.
    const CalendarEvent::Days& days() const { return m_days; }

private:
    struct Instants {
        qint64 start; // the first day's local midnight
        qint64 end; // the local midnight after the last day
    };

    QList<CalendarEvent::Dated> entriesOf(const AudioProject& project, const TypeRegistry& registry) const;
    void forget(const QUuid& projectID);
    void insert(const QList<CalendarEvent::Dated>& entries, qsizetype position,
                const QHash<QUuid, qsizetype>& positions);

    QList<Span> m_spans;
    QList<Instants> m_instants;
    CalendarEvent::Days m_days;
    // The kept days on which each project has entries.
    QHash<QUuid, QList<QDate>> m_daysOf;
};

} // namespace sorvel
