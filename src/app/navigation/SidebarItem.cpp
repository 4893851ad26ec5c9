#include "app/navigation/SidebarItem.h"

#include "core/TypeRegistry.h"

namespace sorvel {

QString SidebarItem::title(const TypeRegistry& types) const {
    switch (kind) {
    case Kind::Active: return QStringLiteral("进行中");
    case Kind::Done: return QStringLiteral("已完成");
    case Kind::Archived: return QStringLiteral("已归档");
    case Kind::Calendar: return QStringLiteral("日历");
    case Kind::Type: return types.type(typeID).title;
    }
    return {};
}

QString SidebarItem::symbol(const TypeRegistry& types) const {
    switch (kind) {
    case Kind::Active: return QStringLiteral("circle.lefthalf.filled");
    case Kind::Done: return QStringLiteral("checkmark.circle");
    case Kind::Archived: return QStringLiteral("archivebox");
    case Kind::Calendar: return QStringLiteral("calendar");
    case Kind::Type: return types.type(typeID).symbol;
    }
    return {};
}

bool SidebarItem::includes(const AudioProject& project) const {
    const bool archived = project.archivedAt.has_value();
    const bool done = project.status == ProjectStatus::Done;
    switch (kind) {
    case Kind::Active: return !archived && !done;
    case Kind::Done: return !archived && done;
    case Kind::Archived: return archived;
    case Kind::Calendar: return false;
    case Kind::Type: return !archived && project.typeID == typeID;
    }
    return false;
}

} // namespace sorvel
