#include "app/calendar/CalendarDays.h"

#include <QDateTime>

#include <algorithm>

namespace sorvel {

void CalendarDays::setSpans(const QList<Span>& spans) {
    m_spans = spans;
    m_instants.clear();
    for (const Span& span : spans) {
        // Midnights in local time: a date falls on a kept day exactly when its
        // instant lies between them, whatever its own time zone.
        m_instants.append(Instants{span.first.startOfDay().toMSecsSinceEpoch(),
                                   span.last.addDays(1).startOfDay().toMSecsSinceEpoch()});
    }
    m_days.clear();
    m_daysOf.clear();
}

QList<CalendarEvent::Dated> CalendarDays::entriesOf(const AudioProject& project, const TypeRegistry& registry) const {
    return CalendarEvent::ofProject(project, registry, [this](const QDateTime& instant) {
        const qint64 at = instant.toMSecsSinceEpoch();
        return std::any_of(m_instants.cbegin(), m_instants.cend(),
                           [at](const Instants& span) { return at >= span.start && at < span.end; });
    });
}

void CalendarDays::rebuild(const QList<AudioProject>& projects, const TypeRegistry& registry) {
    m_days.clear();
    m_daysOf.clear();
    for (const AudioProject& project : projects) {
        const QList<CalendarEvent::Dated> entries = entriesOf(project, registry);
        if (entries.isEmpty())
            continue;
        QList<QDate>& days = m_daysOf[project.id];
        for (const CalendarEvent::Dated& dated : entries) {
            m_days[dated.day].append(dated.event);
            if (!days.contains(dated.day))
                days.append(dated.day);
        }
    }
}

void CalendarDays::update(const QList<AudioProject>& projects, const ProjectChange& change,
                          const TypeRegistry& registry) {
    if (change.all) {
        rebuild(projects, registry);
        return;
    }
    if (change.ids.isEmpty())
        return;
    for (const QUuid& id : change.ids)
        forget(id);
    // Entries of a day follow the order of the array; where a changed project's
    // entries go depends on the positions of the others.
    QHash<QUuid, qsizetype> positions;
    positions.reserve(projects.size());
    for (qsizetype i = 0; i < projects.size(); ++i)
        positions.insert(projects.at(i).id, i);
    if (positions.size() < projects.size()) {
        rebuild(projects, registry); // duplicated ids: entries cannot be told apart by project
        return;
    }
    for (const QUuid& id : change.ids) {
        const auto found = positions.constFind(id);
        if (found == positions.cend())
            continue; // removed
        insert(entriesOf(projects.at(*found), registry), *found, positions);
    }
}

void CalendarDays::forget(const QUuid& projectID) {
    const QList<QDate> days = m_daysOf.take(projectID);
    for (const QDate& day : days) {
        auto found = m_days.find(day);
        if (found == m_days.end())
            continue;
        found->removeIf([&](const CalendarEvent& event) { return event.projectID == projectID; });
        if (found->isEmpty())
            m_days.erase(found);
    }
}

void CalendarDays::insert(const QList<CalendarEvent::Dated>& entries, qsizetype position,
                          const QHash<QUuid, qsizetype>& positions) {
    if (entries.isEmpty())
        return;
    QList<QDate>& days = m_daysOf[entries.constFirst().event.projectID];
    qsizetype i = 0;
    while (i < entries.size()) {
        // One project's entries of a day are consecutive, in their order.
        const QDate day = entries.at(i).day;
        QList<CalendarEvent>& events = m_days[day];
        // Before the first entry of a project that comes later in the array.
        qsizetype at = 0;
        while (at < events.size() && positions.value(events.at(at).projectID, -1) < position)
            ++at;
        for (qsizetype j = i; j < entries.size(); ++j) {
            if (entries.at(j).day != day)
                continue;
            events.insert(at++, entries.at(j).event);
        }
        days.append(day);
        // Past every entry of this day.
        while (i < entries.size() && days.contains(entries.at(i).day))
            ++i;
    }
}

} // namespace sorvel
