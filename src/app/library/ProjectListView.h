#pragma once

#include "app/library/ProjectSort.h"
#include "app/library/ShelfContextMenu.h"
#include "app/library/TapeSelection.h"
#include "core/AudioProject.h"

#include <QAbstractScrollArea>
#include <QHash>
#include <QList>
#include <QSet>
#include <QUuid>

#include <functional>
#include <optional>

class QVariantAnimation;

namespace sorvel {

class AppRouter;
class CueTable;
class ProjectStore;
class SelectionReveal;

// The list form of the tape shelf: a header of sortable column titles and one
// row per project, each of which can be opened to show its cue table. Sort
// and opened rows belong to this view alone; selection and the context menu
// are the shelf's, handed in as callbacks. Only the visible rows are painted.
class ProjectListView final : public QAbstractScrollArea {
    Q_OBJECT
public:
    using Select = TapeClickHandler;
    using Menu = ShelfMenuBuilder;

    static constexpr qreal headerHeight = 32;
    static constexpr qreal headerGap = 4;
    static constexpr qreal sideInset = 24;
    static constexpr qreal bottomInset = 24;
    static constexpr qreal cueInset = 28;
    static constexpr qreal cueBottomInset = 10;

    ProjectListView(ProjectStore& store, AppRouter& router, QWidget* parent = nullptr);

    // The projects in the shelf's order, which is the list's default order.
    void setProjects(const QList<AudioProject>& projects);
    void setSelect(Select select) { m_select = std::move(select); }
    void setMenu(Menu menu) { m_menu = std::move(menu); }
    // Starts over as a new list does: shelf order, ascending, no row opened.
    void reset();

    const ProjectSortState& sortState() const { return m_sort; }
    void clickColumn(ProjectSort column);
    const QList<AudioProject>& sorted() const { return m_sorted; }
    bool isExpanded(const QUuid& id) const { return m_expanded.contains(id); }
    // Opens or closes a row; its cue table unfolds or folds as a spring.
    void toggle(const QUuid& id);
    // How far a row's cue table is open, 0 closed and 1 open, in between while it moves.
    qreal openness(const QUuid& id) const;
    // The motion of a row's cue table while it opens or closes; null at rest.
    QVariantAnimation* cueTableMotion(const QUuid& id) const { return m_motions.value(id); }

    // Geometry in viewport coordinates (tests and hit testing).
    QRectF headerRect() const;
    QRectF rowRect(int index) const;
    std::optional<QUuid> hoveredID() const { return m_hovered; }
    // The row under a point, -1 when none.
    int rowAt(const QPointF& point) const;
    // The sortable column whose title lies under a point in the header.
    std::optional<ProjectSort> columnAt(const QPointF& point) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Entry {
        qreal top = 0; // of the row, in content coordinates
        qreal cueHeight = 0; // the room under the row, 0 while closed; less while the table moves
        qreal tableHeight = 0; // the table's own height when open
    };

    void resort();
    void moveCueTable(const QUuid& id, qreal from);
    void relayout();
    void placeCueTables();
    void setHovered(std::optional<QUuid> id);
    // The rows moved under a still pointer (a new order, a scroll, a table
    // opening above): the row now under it is the hovered one.
    void hoverUnderPointer();
    qreal contentWidth() const;
    QPointF contentOffset() const;
    void paintHeader(QPainter& painter, const QRectF& rect) const;

    ProjectStore& m_store;
    AppRouter& m_router;
    Select m_select;
    Menu m_menu;
    QList<AudioProject> m_projects;
    QList<AudioProject> m_sorted;
    QList<Entry> m_entries;
    qreal m_contentHeight = 0;
    ProjectSortState m_sort;
    QSet<QUuid> m_expanded; // never pruned: a project that comes back opens again
    QHash<QUuid, CueTable*> m_cueTables;
    QHash<QUuid, QVariantAnimation*> m_motions;
    std::optional<QUuid> m_hovered;
    int m_pressedRow = -1;
    bool m_pressedChevron = false;
    SelectionReveal* m_reveal;
};

} // namespace sorvel
