#include "app/shell/AppDelegate.h"

#include "app/library/MainWindow.h"
#include "app/navigation/AppRouter.h"
#include "app/navigation/SorvelLink.h"
#include "app/panel/EdgePanelController.h"
#include "app/settings/SettingsWindow.h"
#include "app/settings/UpdateChecker.h"
#include "app/shell/FirstWindowFit.h"
#include "app/shell/MenuCommands.h"
#include "app/shell/QuitKeyWatcher.h"
#include "app/shell/QuitSignalWatcher.h"
#include "app/shell/ShellActions.h"
#include "app/shell/TrayMenu.h"
#include "app/shell/UnsavedChangesQuestion.h"
#include "app/store/ProjectStore.h"
#include "studio/AppearanceHost.h"
#include "studio/Studio.h"

#include <QApplication>
#include <QIcon>
#include <QMenu>
#include <QSessionManager>
#include <QTimer>

#include <utility>

namespace sorvel {

AppDelegate::AppDelegate(ProjectStore& store, AppRouter& router, Settings& settings, EdgePanelController& panel,
                         UpdateChecker& updates, QObject* parent)
    : QObject(parent),
      m_store(store),
      m_router(router),
      m_settings(settings),
      m_panel(panel),
      m_updates(updates),
      m_unsaved(store, UnsavedChangesQuestion::messageBox(store, [this]() -> QWidget* {
                    return m_window && m_window->isVisible() ? m_window.get() : nullptr;
                })) {
    m_window = std::make_unique<MainWindow>(m_store, m_router, m_settings);

    const ShellActions actions{
        [this] { bringToFront(); },
        [this] { openSettings(); },
        [this] { quit(); },
    };
    m_commands = new MenuCommands(*m_window->menuBar(), m_store, m_router, m_settings, m_panel, actions, this);
    m_tray = new TrayMenu(m_store, m_router, m_panel, m_updates, actions, this);
    // The tray's menu belongs to no window: it takes the main window's accent.
    const auto tintTrayMenu = [menu = m_tray->menu()](const QColor& accent) {
        menu->setProperty(Studio::tintProperty(), accent);
        menu->update();
    };
    tintTrayMenu(m_window->appearance()->accent());
    connect(m_window->appearance(), &AppearanceHost::accentChanged, m_tray, tintTrayMenu);
    connect(m_window.get(), &MainWindow::settingsRequested, this, &AppDelegate::openSettings);

    // Closing the window only hides it; the tray keeps the program reachable.
    QApplication::setQuitOnLastWindowClosed(false);
    m_quitSignals = new QuitSignalWatcher(this);
    connect(m_quitSignals, &QuitSignalWatcher::quitRequested, this, &AppDelegate::quitBySignal);
    connect(new QuitKeyWatcher(this), &QuitKeyWatcher::quitRequested, this, &AppDelegate::quit);
    connect(qApp, &QCoreApplication::aboutToQuit, this, [this] { m_unsaved.writeAtExit(); });
    connect(&m_store, &ProjectStore::firstReadFinished, this, &AppDelegate::followWaitingLinks);
    connect(qApp, &QGuiApplication::commitDataRequest, this, &AppDelegate::commitData);
}

AppDelegate::~AppDelegate() = default;

void AppDelegate::launch(const QString& link) {
    m_tray->showIcon(QApplication::windowIcon());
    // The window's first size is for a roomy screen; a smaller one gets all of its room.
    FirstWindowFit::apply(*m_window);
    bringToFront();
    if (!link.isEmpty())
        openLink(link);
    QTimer::singleShot(0, this, &AppDelegate::finishLaunching);
}

void AppDelegate::finishLaunching() {
    connect(&m_panel, &EdgePanelController::linkRequested, this, &AppDelegate::openLink, Qt::UniqueConnection);
    m_panel.start();
    m_updates.start();
}

void AppDelegate::openLink(const QString& link) {
    if (!link.isEmpty() && !m_store.hasStarted() && SorvelLink::parse(link)) {
        // The tape it names may still be coming: the link is followed once the file is read.
        if (m_waitingLinks.size() == maxWaitingLinks)
            m_waitingLinks.removeFirst();
        m_waitingLinks.append(link);
        bringToFront();
        return;
    }
    if (link.isEmpty() || m_router.handle(link, m_store))
        bringToFront();
}

void AppDelegate::followWaitingLinks() {
    for (const QString& link : std::exchange(m_waitingLinks, {}))
        openLink(link);
}

void AppDelegate::bringToFront() {
    m_window->bringToFront();
}

void AppDelegate::openSettings() {
    if (!m_settingsWindow)
        m_settingsWindow = std::make_unique<SettingsWindow>(m_store, m_settings, m_updates);
    m_settingsWindow->bringToFront();
}

void AppDelegate::quit() {
    if (!m_unsaved.writeBeforeQuit())
        return;
    // Not quit(): that first asks every window to close, and the main window
    // refuses (it only hides), which would cancel the quit while it is shown.
    // exit() also ends a sheet's or a chooser's own event loop.
    QCoreApplication::exit(0);
}

void AppDelegate::quitBySignal() {
    // A status that says something was lost, for whoever sent the signal.
    QCoreApplication::exit(m_unsaved.writeBeforeSignalQuit() ? 0 : 1);
}

void AppDelegate::commitData(QSessionManager&) {
    // The session may end without a regular quit; write what is pending now.
    m_store.saveNow();
}

} // namespace sorvel
