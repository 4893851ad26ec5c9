#pragma once

#include "app/navigation/SidebarItem.h"

#include <QString>

namespace sorvel {
class TypeRegistry;
}

namespace sorvel::ShelfTexts {

// Counts on the shelf and in the sidebar: at least two digits, zero-padded ("07", "123").
QString paddedCount(qint64 count);
// "07 TAPES".
QString tapeCount(qint64 count);
// The header's hint while two or more tapes are selected; the count is not padded.
QString selectionHint(qint64 count);
// The title of the empty page of a destination.
QString emptyTitle(const SidebarItem& item, const TypeRegistry& types);
// The title of every page while the data file has not been read yet.
QString readingTitle();
// What a figure shows while the data file has not been read yet.
QString unknownCount();

} // namespace sorvel::ShelfTexts
