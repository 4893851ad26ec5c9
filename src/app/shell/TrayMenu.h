#pragma once

#include "app/shell/ShellActions.h"
#include "studio/MenuItemText.h"

#include <QObject>
#include <QString>

class QFont;
class QIcon;
class QMenu;
class QSystemTrayIcon;

namespace sorvel {

class AppRouter;
class EdgePanelController;
class ProjectStore;
class UpdateChecker;
struct AudioProject;

// The tray icon and its menu: news of an update, up to eight active projects,
// the edge panel, the main window, settings, the update check and quit. The
// menu follows the store's projects without being asked.
class TrayMenu final : public QObject {
    Q_OBJECT
public:
    static constexpr int maxProjects = 8;

    TrayMenu(ProjectStore& store, AppRouter& router, EdgePanelController& panel, UpdateChecker& updates,
             ShellActions actions, QObject* parent = nullptr);
    ~TrayMenu() override;

    QMenu* menu() const { return m_menu; }

    // Shows the icon where the desktop has a tray; where it has none, the
    // program goes on without it and says so once in the log.
    void showIcon(const QIcon& icon);

    // "name  ·  40%", on one line and with "&" shown as written; a long name
    // is cut so that the menu stays narrow, with the whole title as tooltip.
    static MenuItemText projectTitle(const AudioProject& project, const QFont& font);

private:
    void scheduleRebuild();
    void rebuild();

    ProjectStore& m_store;
    AppRouter& m_router;
    EdgePanelController& m_panel;
    UpdateChecker& m_updates;
    ShellActions m_actions;
    QMenu* m_menu = nullptr;
    QSystemTrayIcon* m_icon = nullptr;
    bool m_rebuildPending = false;
};

} // namespace sorvel
