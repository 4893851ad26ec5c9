#include "app/library/SheetPresenter.h"
#include "core/RecordCoding.h"

#include "app/library/TypeEditorSheet.h"
#include "app/navigation/AppRouter.h"
#include "app/sheets/ArchiveSheet.h"
#include "app/sheets/NewProjectSheet.h"
#include "studio/ModalFocusRelay.h"
#include "studio/Studio.h"

#include <QDialog>
#include <QStringList>
#include <QTimer>
#include <QWidget>

#include <algorithm>

namespace sorvel {

SheetPresenter::SheetPresenter(QWidget* window, ProjectStore& store, AppRouter& router, Settings& settings)
    : QObject(window), m_window(window), m_store(store), m_router(router), m_settings(settings) {
    connect(&m_router, &AppRouter::showingNewProjectChanged, this, &SheetPresenter::sync);
    connect(&m_router, &AppRouter::showingTypeEditorChanged, this, &SheetPresenter::sync);
    connect(&m_router, &AppRouter::archiveRequestChanged, this, &SheetPresenter::sync);
}

SheetPresenter::~SheetPresenter() {
    if (m_dialog) {
        m_closingForRouter = true;
        delete m_dialog;
    }
}

QString SheetPresenter::archiveIdentity(const QSet<QUuid>& ids) {
    QStringList texts;
    texts.reserve(ids.size());
    for (const QUuid& id : ids)
        texts.append(RecordCoding::idText(id));
    std::sort(texts.begin(), texts.end());
    return texts.join(QString());
}

SheetPresenter::Sheet SheetPresenter::requested() const {
    if (m_router.showingNewProject())
        return Sheet::NewProject;
    if (m_router.showingTypeEditor())
        return Sheet::TypeEditor;
    if (m_router.archiveRequest())
        return Sheet::Archive;
    return Sheet::None;
}

bool SheetPresenter::stillRequested() const {
    switch (m_current) {
    case Sheet::None: return true;
    case Sheet::NewProject: return m_router.showingNewProject();
    case Sheet::TypeEditor: return m_router.showingTypeEditor();
    case Sheet::Archive:
        // Another set of ids is another sheet.
        return m_router.archiveRequest() && archiveIdentity(*m_router.archiveRequest()) == m_archiveIdentity;
    }
    return false;
}

void SheetPresenter::sync() {
    if (m_current != Sheet::None && !stillRequested())
        dismissForRouter();
    // A sheet waits until its window is on screen. Over a minimized window the
    // window manager would hand the window's activation to the sheet and leave
    // the window itself iconified.
    if (m_current != Sheet::None || !m_window->isVisible() || m_window->isMinimized())
        return;
    const Sheet next = requested();
    if (next != Sheet::None)
        present(next);
}

void SheetPresenter::present(Sheet sheet) {
    QDialog* dialog = nullptr;
    switch (sheet) {
    case Sheet::None: return;
    case Sheet::NewProject: dialog = new NewProjectSheet(m_store, m_router, m_window); break;
    case Sheet::TypeEditor: dialog = new TypeEditorSheet(m_store, m_router, m_window); break;
    case Sheet::Archive:
        m_archiveIdentity = archiveIdentity(*m_router.archiveRequest());
        dialog = new ArchiveSheet(*m_router.archiveRequest(), m_store, m_router, m_settings, m_window);
        break;
    }
    m_current = sheet;
    m_dialog = dialog;
    // Every sheet is dark, whatever the desktop's colours.
    dialog->setPalette(m_window->palette());
    dialog->setAttribute(Qt::WA_DeleteOnClose, false);
    connect(dialog, &QDialog::finished, this, &SheetPresenter::finished);
    dialog->setWindowModality(Qt::WindowModal);
    // The folder chooser a sheet opens keeps the keyboard when the sheet is clicked.
    new ModalFocusRelay(dialog);
    dialog->open();
}

void SheetPresenter::dismissForRouter() {
    m_closingForRouter = true;
    if (m_dialog)
        m_dialog->reject();
    m_closingForRouter = false;
    // reject() normally ran finished(); this covers a dialog that was already gone.
    if (m_current != Sheet::None) {
        m_current = Sheet::None;
        m_archiveIdentity.clear();
    }
}

void SheetPresenter::finished() {
    const Sheet closed = std::exchange(m_current, Sheet::None);
    m_archiveIdentity.clear();
    if (m_dialog) {
        m_dialog->disconnect(this);
        m_dialog->deleteLater();
        m_dialog = nullptr;
    }
    // Hand the keyboard back to the window: where no window manager does it,
    // focus would fall to the desktop and the window's shortcuts go deaf.
    if (m_window->isVisible())
        m_window->activateWindow();
    if (m_closingForRouter)
        return;
    // The user (or the sheet itself) closed it: withdraw the request, then show what waits.
    switch (closed) {
    case Sheet::None: break;
    case Sheet::NewProject: m_router.setShowingNewProject(false); break;
    case Sheet::TypeEditor: m_router.setShowingTypeEditor(false); break;
    case Sheet::Archive: m_router.setArchiveRequest(std::nullopt); break;
    }
    // The router's signal may already have run sync(); present a waiting request either way.
    QTimer::singleShot(0, this, &SheetPresenter::sync);
}

} // namespace sorvel
