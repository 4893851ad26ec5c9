#pragma once

#include "app/navigation/SidebarItem.h"
#include "core/AudioProject.h"

#include <QAbstractButton>
#include <QList>
#include <QWidget>

#include <optional>

class QVBoxLayout;

namespace sorvel {

class AppRouter;
class ProjectStore;

// One destination row of the sidebar: symbol, title and its count.
class SidebarRow final : public QAbstractButton {
    Q_OBJECT
public:
    SidebarRow(const SidebarItem& item, ProjectStore& store, AppRouter& router, QWidget* parent = nullptr);

    const SidebarItem& item() const { return m_item; }
    bool isCurrent() const;
    QSize sizeHint() const override;
    // The projects changed: the count is read again at the next paint.
    void recount();
    // The count as drawn; none for the calendar and while the projects are still being read.
    const QString& countText() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor symbolColor(bool current) const;

    SidebarItem m_item;
    ProjectStore& m_store;
    AppRouter& m_router;
    mutable std::optional<QString> m_countText; // counted once per change, not on every paint
};

// The left column of the library window: brand, the four library
// destinations, one row per project type, and the footer with "新建磁带" and
// the settings link. Each count is derived afresh after every change of the projects.
class StudioSidebar final : public QWidget {
    Q_OBJECT
public:
    static constexpr int fixedWidth = 212;

    StudioSidebar(ProjectStore& store, AppRouter& router, QWidget* parent = nullptr);

    // The number of projects a destination holds; the calendar holds none.
    static qint64 count(const SidebarItem& item, const QList<AudioProject>& projects);
    // "%02d" of the count; empty for the calendar, which shows no count.
    static QString countText(const SidebarItem& item, const QList<AudioProject>& projects);

    QList<SidebarRow*> rows() const;

Q_SIGNALS:
    void settingsRequested();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void rebuildTypeRows();
    void repaintRows();
    void choose(const SidebarItem& item);
    SidebarRow* addRow(const SidebarItem& item, int index);
    QWidget* makeFooter();

    ProjectStore& m_store;
    AppRouter& m_router;
    QVBoxLayout* m_list = nullptr;
    QList<SidebarRow*> m_libraryRows;
    QList<SidebarRow*> m_typeRows;
    int m_typeRowsStart = 0;
};

} // namespace sorvel
