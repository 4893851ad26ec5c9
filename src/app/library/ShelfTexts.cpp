#include "app/library/ShelfTexts.h"
#include "core/UserText.h"

#include "core/StudioText.h"
#include "core/TypeRegistry.h"

namespace sorvel::ShelfTexts {

QString paddedCount(qint64 count) {
    return StudioText::paddedCount(count);
}

QString tapeCount(qint64 count) {
    return StudioText::tapeCount(count);
}

QString selectionHint(qint64 count) {
    return QStringLiteral("已选 ") + QString::number(count) + QStringLiteral(" 盒 · Ctrl 点击多选");
}

QString emptyTitle(const SidebarItem& item, const TypeRegistry& types) {
    switch (item.kind) {
    case SidebarItem::Kind::Type:
        return QStringLiteral("没有「") + UserText::singleLine(types.type(item.typeID).title)
            + QStringLiteral("」磁带");
    case SidebarItem::Kind::Active: return QStringLiteral("架子上还没有磁带");
    case SidebarItem::Kind::Done: return QStringLiteral("没有待归档的磁带");
    case SidebarItem::Kind::Archived: return QStringLiteral("归档是空的");
    case SidebarItem::Kind::Calendar: return {};
    }
    return {};
}

QString readingTitle() {
    return QStringLiteral("正在读取磁带…");
}

QString unknownCount() {
    return QStringLiteral("--");
}

} // namespace sorvel::ShelfTexts
