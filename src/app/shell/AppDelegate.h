#pragma once

#include "app/store/UnsavedChangesGuard.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>

class QSessionManager;

namespace sorvel {

class AppRouter;
class EdgePanelController;
class MainWindow;
class MenuCommands;
class ProjectStore;
class QuitSignalWatcher;
class Settings;
class SettingsWindow;
class TrayMenu;
class UpdateChecker;

// The running application: the one main window with its menu bar, the tray
// menu, the settings window, and the ways links and quit requests (menus,
// SIGTERM/SIGINT/SIGHUP, the end of the session) reach them.
// Created once the data may be opened (after the single-instance check), on
// the parts main.cpp builds.
class AppDelegate final : public QObject {
    Q_OBJECT
public:
    AppDelegate(ProjectStore& store, AppRouter& router, Settings& settings, EdgePanelController& panel,
                UpdateChecker& updates, QObject* parent = nullptr);
    ~AppDelegate() override;

    // Shows the main window, follows the link the program was started with,
    // and starts the edge panel and the update checker once the event loop runs.
    void launch(const QString& link);

    // Links that arrive while the data file is still being read wait for it, up to this many.
    static constexpr qsizetype maxWaitingLinks = 16;

    // A link from the command line or from a later start; empty: only come to the front.
    void openLink(const QString& link);
    void bringToFront();
    void openSettings();
    // The ordinary quit; pending changes are written on the way out, and when
    // they cannot be, the user chooses between trying again and quitting anyway.
    void quit();
    // The quit by SIGTERM, SIGINT or SIGHUP: asks nobody, logs what was not written.
    void quitBySignal();

    MainWindow& mainWindow() const { return *m_window; }
    TrayMenu& trayMenu() const { return *m_tray; }

private:
    void finishLaunching();
    void followWaitingLinks();
    void commitData(QSessionManager& manager);

    ProjectStore& m_store;
    AppRouter& m_router;
    Settings& m_settings;
    EdgePanelController& m_panel;
    UpdateChecker& m_updates;
    UnsavedChangesGuard m_unsaved;
    std::unique_ptr<MainWindow> m_window;
    std::unique_ptr<SettingsWindow> m_settingsWindow;
    QuitSignalWatcher* m_quitSignals = nullptr;
    MenuCommands* m_commands = nullptr;
    TrayMenu* m_tray = nullptr;
    QStringList m_waitingLinks;
};

} // namespace sorvel
