#pragma once

#include "app/navigation/SidebarItem.h"
#include "core/AudioProject.h"

#include <QObject>
#include <QSet>
#include <QUrl>
#include <QUuid>

#include <optional>

namespace sorvel {

class ProjectStore;

// What the library window shows: destination, selection, requested sheets.
// Every setter signals only when the value really changes.
class AppRouter final : public QObject {
    Q_OBJECT
public:
    explicit AppRouter(QObject* parent = nullptr);

    SidebarItem sidebar() const { return m_sidebar; }
    void setSidebar(const SidebarItem& item);

    const QSet<QUuid>& selection() const { return m_selection; }
    void setSelection(const QSet<QUuid>& ids);

    bool showingNewProject() const { return m_showingNewProject; }
    void setShowingNewProject(bool on);
    bool showingTypeEditor() const { return m_showingTypeEditor; }
    void setShowingTypeEditor(bool on);
    bool detailExpanded() const { return m_detailExpanded; }
    void setDetailExpanded(bool on);

    const std::optional<QSet<QUuid>>& archiveRequest() const { return m_archiveRequest; }
    void setArchiveRequest(const std::optional<QSet<QUuid>>& ids);

    // Shows one project: its destination, and it alone selected.
    void show(const AudioProject& project);
    // Follows a sorvel:// link against the store's projects. Returns whether the
    // application should come to the front (every link of our scheme does).
    bool handle(const QUrl& url, const ProjectStore& store);
    bool handle(const QString& link, const ProjectStore& store);

Q_SIGNALS:
    void sidebarChanged();
    void selectionChanged();
    void showingNewProjectChanged();
    void showingTypeEditorChanged();
    void detailExpandedChanged();
    void archiveRequestChanged();

private:
    // Stores `value` and emits `changed`, unless the field already holds it.
    template <typename T>
    void assign(T& field, const T& value, void (AppRouter::*changed)());

    SidebarItem m_sidebar = SidebarItem::active();
    QSet<QUuid> m_selection;
    bool m_showingNewProject = false;
    bool m_showingTypeEditor = false;
    bool m_detailExpanded = false;
    std::optional<QSet<QUuid>> m_archiveRequest;
};

} // namespace sorvel
