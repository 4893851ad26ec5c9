#include "app/shell/TrayMenu.h"

#include "app/navigation/AppRouter.h"
#include "app/panel/EdgePanelController.h"
#include "app/settings/UpdateChecker.h"
#include "app/store/ProjectStore.h"
#include "core/AudioProject.h"
#include "core/Log.h"
#include "core/StudioText.h"
#include "core/UserText.h"

#include <QAction>
#include <QCursor>
#include <QIcon>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QTimer>

#include <utility>

namespace sorvel {

TrayMenu::TrayMenu(ProjectStore& store, AppRouter& router, EdgePanelController& panel, UpdateChecker& updates,
                   ShellActions actions, QObject* parent)
    : QObject(parent),
      m_store(store),
      m_router(router),
      m_panel(panel),
      m_updates(updates),
      m_actions(std::move(actions)),
      m_menu(new QMenu()) {
    m_menu->setToolTipsVisible(true);
    connect(&m_store, &ProjectStore::projectsChanged, this, &TrayMenu::scheduleRebuild);
    connect(&m_updates, &UpdateChecker::stateChanged, this, &TrayMenu::scheduleRebuild);
    rebuild();
}

TrayMenu::~TrayMenu() {
    delete m_icon;
    delete m_menu;
}

MenuItemText TrayMenu::projectTitle(const AudioProject& project, const QFont& font) {
    return MenuItemText::of(project.name, QStringLiteral("  ·  ") + StudioText::percentText(project.progress()), font);
}

void TrayMenu::showIcon(const QIcon& icon) {
    if (!QSystemTrayIcon::isSystemTrayAvailable()) {
        static bool told = false;
        if (!told) {
            told = true;
            Log::info(QStringLiteral("Sorvel: this desktop has no system tray; the tray menu is not shown"));
        }
        return;
    }
    if (!m_icon) {
        m_icon = new QSystemTrayIcon(icon);
        m_icon->setToolTip(QStringLiteral("Sorvel"));
        m_icon->setContextMenu(m_menu);
        // A plain click opens the same menu, as the menu-bar item does elsewhere.
        connect(m_icon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
            if (reason == QSystemTrayIcon::Trigger)
                m_menu->popup(QCursor::pos());
        });
    }
    m_icon->show();
}

void TrayMenu::scheduleRebuild() {
    // Rebuilt from the event loop: the projects may change while an item of
    // this very menu is being triggered.
    if (m_rebuildPending)
        return;
    m_rebuildPending = true;
    QTimer::singleShot(0, this, [this] {
        m_rebuildPending = false;
        rebuild();
    });
}

void TrayMenu::rebuild() {
    m_menu->clear();

    if (const std::optional<QString> version = m_updates.availableVersion()) {
        QAction* update =
            m_menu->addAction(UserText::menuText(QStringLiteral("发现新版本 ") + *version + QStringLiteral("…")));
        connect(update, &QAction::triggered, &m_updates, &UpdateChecker::presentAvailable);
        m_menu->addSeparator();
    }

    const QList<AudioProject> active = activeSorted(m_store.projects());
    if (active.isEmpty()) {
        m_menu->addAction(QStringLiteral("没有进行中的项目"))->setEnabled(false);
    }
    for (qsizetype i = 0; i < active.size() && i < maxProjects; ++i) {
        const AudioProject project = active.at(i);
        QAction* item = m_menu->addAction(QString());
        projectTitle(project, m_menu->font()).applyTo(*item);
        connect(item, &QAction::triggered, this, [this, project] {
            ShellActions::run(m_actions.openMainWindow);
            m_router.show(project);
        });
    }
    m_menu->addSeparator();

    connect(m_menu->addAction(QStringLiteral("显示侧边面板")), &QAction::triggered, this, [this] { m_panel.toggle(); });
    connect(m_menu->addAction(QStringLiteral("打开 Sorvel")), &QAction::triggered, this,
            [this] { ShellActions::run(m_actions.openMainWindow); });
    connect(m_menu->addAction(QStringLiteral("设置…")), &QAction::triggered, this,
            [this] { ShellActions::run(m_actions.openSettings); });
    connect(m_menu->addAction(QStringLiteral("检查更新…")), &QAction::triggered, this,
            [this] { m_updates.check(true); });
    m_menu->addSeparator();

    QAction* quit = m_menu->addAction(QStringLiteral("退出 Sorvel"));
    quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    connect(quit, &QAction::triggered, this, [this] { ShellActions::run(m_actions.quit); });
}

} // namespace sorvel
