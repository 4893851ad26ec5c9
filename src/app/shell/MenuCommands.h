#pragma once

#include "app/shell/ShellActions.h"

#include <QObject>

class QAction;
class QMenuBar;

namespace sorvel {

class AppRouter;
class EdgePanelController;
class ProjectStore;
class Settings;

// The program's commands in the main window's menu bar: new project, the two
// shelf modes, archiving the selection, the edge panel, settings and quit.
class MenuCommands final : public QObject {
    Q_OBJECT
public:
    MenuCommands(QMenuBar& bar, ProjectStore& store, AppRouter& router, Settings& settings, EdgePanelController& panel,
                 ShellActions actions, QObject* parent = nullptr);

    QAction* newProjectAction() const { return m_newProject; }
    QAction* tapeModeAction() const { return m_tapeMode; }
    QAction* listModeAction() const { return m_listMode; }
    QAction* archiveSelectionAction() const { return m_archiveSelection; }
    QAction* quitAction() const { return m_quit; }

    // Asks for the archive sheet over the selected projects that exist and are
    // not archived yet; nothing happens when none is left.
    void archiveSelection();

private:
    void updateArchiveEnabled();

    ProjectStore& m_store;
    AppRouter& m_router;
    ShellActions m_actions;
    QAction* m_newProject = nullptr;
    QAction* m_tapeMode = nullptr;
    QAction* m_listMode = nullptr;
    QAction* m_archiveSelection = nullptr;
    QAction* m_edgePanel = nullptr;
    QAction* m_settings = nullptr;
    QAction* m_quit = nullptr;
};

} // namespace sorvel
