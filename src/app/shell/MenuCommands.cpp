#include "app/shell/MenuCommands.h"

#include "app/library/ShelfMode.h"
#include "app/navigation/AppRouter.h"
#include "app/panel/EdgePanelController.h"
#include "app/store/ProjectStore.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>

#include <utility>

namespace sorvel {

namespace {

QAction* addCommand(QMenu* menu, const QString& title, const QKeySequence& keys) {
    QAction* action = menu->addAction(title);
    action->setShortcut(keys);
    return action;
}

} // namespace

MenuCommands::MenuCommands(QMenuBar& bar, ProjectStore& store, AppRouter& router, Settings& settings,
                           EdgePanelController& panel, ShellActions actions, QObject* parent)
    : QObject(parent), m_store(store), m_router(router), m_actions(std::move(actions)) {
    QMenu* file = bar.addMenu(QStringLiteral("文件"));
    m_newProject = addCommand(file, QStringLiteral("新建项目"), QKeySequence(Qt::CTRL | Qt::Key_N));
    file->addSeparator();
    m_settings = addCommand(file, QStringLiteral("设置…"), QKeySequence(Qt::CTRL | Qt::Key_Comma));
    file->addSeparator();
    m_quit = addCommand(file, QStringLiteral("退出 Sorvel"), QKeySequence(Qt::CTRL | Qt::Key_Q));

    QMenu* view = bar.addMenu(QStringLiteral("显示"));
    m_tapeMode = addCommand(view, QStringLiteral("磁带模式"), QKeySequence(Qt::CTRL | Qt::Key_1));
    m_listMode = addCommand(view, QStringLiteral("列表模式"), QKeySequence(Qt::CTRL | Qt::Key_2));

    QMenu* project = bar.addMenu(QStringLiteral("项目"));
    m_archiveSelection =
        addCommand(project, QStringLiteral("归档所选"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_A));
    m_edgePanel =
        addCommand(project, QStringLiteral("显示侧边面板"), QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_Backslash));

    connect(m_newProject, &QAction::triggered, this, [this] { m_router.setShowingNewProject(true); });
    connect(m_tapeMode, &QAction::triggered, this, [&settings] { ShelfMode::write(settings, ShelfMode::tape()); });
    connect(m_listMode, &QAction::triggered, this, [&settings] { ShelfMode::write(settings, ShelfMode::list()); });
    connect(m_archiveSelection, &QAction::triggered, this, &MenuCommands::archiveSelection);
    connect(m_edgePanel, &QAction::triggered, this, [&panel] { panel.toggle(); });
    connect(m_settings, &QAction::triggered, this, [this] { ShellActions::run(m_actions.openSettings); });
    connect(m_quit, &QAction::triggered, this, [this] { ShellActions::run(m_actions.quit); });

    connect(&m_router, &AppRouter::selectionChanged, this, &MenuCommands::updateArchiveEnabled);
    updateArchiveEnabled();
}

void MenuCommands::archiveSelection() {
    QSet<QUuid> kept;
    for (const QUuid& id : m_router.selection()) {
        const AudioProject* project = m_store.project(id);
        if (project && !project->archivedAt)
            kept.insert(id);
    }
    if (!kept.isEmpty())
        m_router.setArchiveRequest(kept);
}

void MenuCommands::updateArchiveEnabled() {
    m_archiveSelection->setEnabled(!m_router.selection().isEmpty());
}

} // namespace sorvel
