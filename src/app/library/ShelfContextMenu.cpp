#include "app/library/ShelfContextMenu.h"

#include "app/navigation/AppRouter.h"
#include "app/store/ProjectStore.h"
#include "core/UserText.h"

#include <QMenu>

namespace sorvel {

QSet<QUuid> ShelfContextMenu::targets(const QSet<QUuid>& selection, const QUuid& id) {
    if (selection.contains(id))
        return selection;
    return {id};
}

QList<ShelfMenuItem> ShelfContextMenu::items(const AudioProject& project, ProjectStore& store, AppRouter& router) {
    // Fixed when the menu is built, like the project values the labels read.
    const QSet<QUuid> target = targets(router.selection(), project.id);
    const QUuid id = project.id;
    ProjectStore* storePtr = &store;
    AppRouter* routerPtr = &router;

    QList<ShelfMenuItem> items;
    if (!project.archivedAt) {
        if (project.status != ProjectStatus::Done)
            items.append({QStringLiteral("标记为完成"), false, [storePtr, target] { storePtr->markDone(target); }});
        items.append({QStringLiteral("归档…"), false, [routerPtr, target] { routerPtr->setArchiveRequest(target); }});
        items.append({project.isFocused ? QStringLiteral("取消焦点") : QStringLiteral("设为焦点项目"), false,
                      [storePtr, id] { storePtr->setFocus(id); }});
    } else {
        items.append({QStringLiteral("恢复"), false, [storePtr, id] { storePtr->unarchive(id); }});
    }
    if (project.folderPath)
        items.append({QStringLiteral("在文件管理器中显示"), false, [storePtr, id] { storePtr->revealFolder(id); }});
    items.append(ShelfMenuItem{});
    items.append({QStringLiteral("删除"), true, [storePtr, routerPtr, target] {
                      storePtr->deleteProjects(target);
                      routerPtr->setSelection(routerPtr->selection() - target);
                  }});
    return items;
}

void ShelfContextMenu::fill(QMenu& menu, const QList<ShelfMenuItem>& items) {
    // A popup is a window of its own and would not inherit the dark colours.
    if (menu.parentWidget())
        menu.setPalette(menu.parentWidget()->palette());
    for (const ShelfMenuItem& item : items) {
        if (item.isSeparator()) {
            menu.addSeparator();
            continue;
        }
        QAction* action = menu.addAction(UserText::menuText(item.text));
        action->setProperty("destructive", item.destructive);
        QObject::connect(action, &QAction::triggered, &menu, item.run);
    }
}

void ShelfContextMenu::exec(QWidget* owner, const QList<ShelfMenuItem>& items, const QPoint& globalPos) {
    QMenu menu(owner);
    fill(menu, items);
    menu.exec(globalPos);
}

} // namespace sorvel
