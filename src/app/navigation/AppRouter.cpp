#include "app/navigation/AppRouter.h"

#include "app/navigation/SorvelLink.h"
#include "app/store/ProjectStore.h"

namespace sorvel {

AppRouter::AppRouter(QObject* parent) : QObject(parent) {}

template <typename T>
void AppRouter::assign(T& field, const T& value, void (AppRouter::*changed)()) {
    if (field == value)
        return;
    field = value;
    Q_EMIT(this->*changed)();
}

void AppRouter::setSidebar(const SidebarItem& item) {
    assign(m_sidebar, item, &AppRouter::sidebarChanged);
}

void AppRouter::setSelection(const QSet<QUuid>& ids) {
    assign(m_selection, ids, &AppRouter::selectionChanged);
}

void AppRouter::setShowingNewProject(bool on) {
    assign(m_showingNewProject, on, &AppRouter::showingNewProjectChanged);
}

void AppRouter::setShowingTypeEditor(bool on) {
    assign(m_showingTypeEditor, on, &AppRouter::showingTypeEditorChanged);
}

void AppRouter::setDetailExpanded(bool on) {
    assign(m_detailExpanded, on, &AppRouter::detailExpandedChanged);
}

void AppRouter::setArchiveRequest(const std::optional<QSet<QUuid>>& ids) {
    // nullopt against an empty set is a change: an empty request still opens the sheet.
    assign(m_archiveRequest, ids, &AppRouter::archiveRequestChanged);
}

void AppRouter::show(const AudioProject& project) {
    // Everything is read first: the record may be one of the store's, and the
    // views that follow the sidebar may change the store before it is read again.
    const QUuid id = project.id;
    const SidebarItem destination = project.archivedAt ? SidebarItem::archived()
        : project.status == ProjectStatus::Done        ? SidebarItem::done()
                                                       : SidebarItem::active();
    setSidebar(destination);
    setSelection({id});
}

bool AppRouter::handle(const QUrl& url, const ProjectStore& store) {
    // QUrl has already lower-cased scheme and host; callers holding the raw text
    // (the command line, the instance socket) use the text form.
    return handle(url.toString(QUrl::FullyEncoded), store);
}

bool AppRouter::handle(const QString& text, const ProjectStore& store) {
    const std::optional<SorvelLink> link = SorvelLink::parse(text);
    if (!link)
        return false;

    switch (link->route) {
    case SorvelLink::Route::New: setShowingNewProject(true); break;
    case SorvelLink::Route::Project:
    case SorvelLink::Route::Archive: {
        // Look the project up before anything is written, so a stale link changes nothing.
        const AudioProject* project = link->projectID ? store.project(*link->projectID) : nullptr;
        if (!project)
            break;
        const AudioProject found = *project;
        show(found);
        if (link->route == SorvelLink::Route::Archive)
            setArchiveRequest(QSet<QUuid>{found.id});
        break;
    }
    case SorvelLink::Route::ArchiveDone: {
        setSidebar(SidebarItem::done());
        QSet<QUuid> done;
        for (const AudioProject& project : store.projects()) {
            if (!project.archivedAt && project.status == ProjectStatus::Done)
                done.insert(project.id);
        }
        if (!done.isEmpty())
            setArchiveRequest(done);
        break;
    }
    case SorvelLink::Route::None: break;
    }
    return true;
}

} // namespace sorvel
