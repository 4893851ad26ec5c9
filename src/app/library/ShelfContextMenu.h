#pragma once

#include "core/AudioProject.h"

#include <QList>
#include <QSet>
#include <QString>
#include <QUuid>

#include <functional>

class QMenu;
class QPoint;
class QWidget;

namespace sorvel {

class AppRouter;
class ProjectStore;

// One item of a tape's context menu; an item without text is a separator.
struct ShelfMenuItem {
    QString text;
    bool destructive = false;
    std::function<void()> run;

    bool isSeparator() const { return text.isEmpty(); }
};

// Builds the menu of one tape; the grid and the list are handed the shelf's.
using ShelfMenuBuilder = std::function<QList<ShelfMenuItem>(const AudioProject& project)>;

// The context menu of one tape, shared by the card grid and the list. Which
// items appear depends only on the tape it was opened on; "mark done",
// "archive" and "delete" act on the whole selection when that tape is part
// of it, and on the tape alone otherwise.
class ShelfContextMenu final {
public:
    static QSet<QUuid> targets(const QSet<QUuid>& selection, const QUuid& id);
    static QList<ShelfMenuItem> items(const AudioProject& project, ProjectStore& store, AppRouter& router);
    // Adds the items to a menu as plain text (no mnemonics).
    static void fill(QMenu& menu, const QList<ShelfMenuItem>& items);
    // Shows the items as a popup menu of `owner` at a global position and runs the chosen one.
    static void exec(QWidget* owner, const QList<ShelfMenuItem>& items, const QPoint& globalPos);
};

} // namespace sorvel
