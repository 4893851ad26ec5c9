#include "app/calendar/CalendarEvent.h"

#include "core/TypeRegistry.h"
#include "studio/StageLook.h"
#include "studio/Studio.h"

namespace sorvel {

namespace {

QDate localDay(const QDateTime& date) {
    return date.toLocalTime().date();
}

// The look of a cue's event is that of the stage it reached (a start begins the composing).
StageLook stageLook(CalendarEvent::Kind kind) {
    switch (kind) {
    case CalendarEvent::Kind::Delivered: return StageLook::of(CueStage::Delivered);
    case CalendarEvent::Kind::Mixed: return StageLook::of(CueStage::Mixed);
    case CalendarEvent::Kind::Started:
    case CalendarEvent::Kind::Deadline: break;
    }
    return StageLook::of(CueStage::Composing);
}

} // namespace

const QList<CalendarEvent::Kind>& CalendarEvent::allKinds() {
    static const QList<Kind> kinds{Kind::Deadline, Kind::Delivered, Kind::Mixed, Kind::Started};
    return kinds;
}

QString CalendarEvent::kindTitle(Kind kind) {
    switch (kind) {
    case Kind::Deadline: return QStringLiteral("截止");
    case Kind::Delivered: return QStringLiteral("交付");
    case Kind::Mixed: return QStringLiteral("录混");
    case Kind::Started: return QStringLiteral("开始");
    }
    return {};
}

QString CalendarEvent::kindSymbol(Kind kind) {
    switch (kind) {
    case Kind::Deadline: return QStringLiteral("flag.fill");
    case Kind::Delivered:
    case Kind::Mixed:
    case Kind::Started: return stageLook(kind).symbol;
    }
    return {};
}

QColor CalendarEvent::kindColor(Kind kind) {
    switch (kind) {
    case Kind::Deadline: return Studio::text();
    case Kind::Delivered:
    case Kind::Mixed:
    case Kind::Started: return stageLook(kind).color;
    }
    return Studio::systemGray();
}

CalendarEvent::Days CalendarEvent::collect(const QList<AudioProject>& projects, const TypeRegistry& registry) {
    Days days;
    for (const AudioProject& project : projects) {
        for (Dated& dated : ofProject(project, registry, {}))
            days[dated.day].append(std::move(dated.event));
    }
    return days;
}

QList<CalendarEvent::Dated> CalendarEvent::ofProject(const AudioProject& project, const TypeRegistry& registry,
                                                     const Filter& wanted) {
    QList<Dated> entries;
    std::optional<QColor> typeColor; // looked up for the first entry only
    const auto colorOfType = [&] {
        if (!typeColor)
            typeColor = Studio::typeColor(registry.type(project.typeID));
        return *typeColor;
    };
    std::optional<QString> label; // of the cue at hand, made for its first entry only
    const auto add = [&](Kind kind, const QDateTime& date, const Cue* cue) {
        if (!date.isValid())
            return; // a date that cannot be placed on any day
        if (wanted && !wanted(date))
            return;
        if (cue && !label)
            label = cue->number + QStringLiteral("  ") + cue->title;
        const QColor color = !cue && project.isOverdue() ? Studio::systemRed() : colorOfType();
        entries.append(Dated{
            localDay(date),
            CalendarEvent{cue ? cue->id : QUuid(), kind, project.id, project.name, color, cue ? label : std::nullopt}});
    };
    if (!project.archivedAt && project.deadline)
        add(Kind::Deadline, *project.deadline, nullptr);
    for (const Cue& cue : project.items) {
        label.reset();
        if (cue.startDate)
            add(Kind::Started, *cue.startDate, &cue);
        if (cue.mixedAt)
            add(Kind::Mixed, *cue.mixedAt, &cue);
        if (cue.deliveredAt)
            add(Kind::Delivered, *cue.deliveredAt, &cue);
    }
    return entries;
}

} // namespace sorvel
