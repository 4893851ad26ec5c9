#pragma once

#include "app/library/CardGridLayout.h"
#include "app/library/ShelfContextMenu.h"
#include "app/library/TapeSelection.h"
#include "core/AudioProject.h"

#include <QAbstractScrollArea>
#include <QList>
#include <QUuid>

#include <functional>
#include <optional>

namespace sorvel {

class AppRouter;
class TypeRegistry;
class ReelSpin;
class SelectionReveal;

// The shelf's cassette grid. Cards are painted straight into the viewport,
// and only those that meet the visible band, so long shelves stay smooth.
// A click on a card selects through the shelf's rule; a click on the
// background between or below the cards empties the selection.
class CassetteGrid final : public QAbstractScrollArea {
    Q_OBJECT
public:
    using Select = TapeClickHandler;
    using Menu = ShelfMenuBuilder;

    CassetteGrid(AppRouter& router, const TypeRegistry& types, QWidget* parent = nullptr);

    void setProjects(const QList<AudioProject>& projects);
    const QList<AudioProject>& projects() const { return m_projects; }
    void setSelect(Select select) { m_select = std::move(select); }
    void setMenu(Menu menu) { m_menu = std::move(menu); }

    std::optional<QUuid> hoveredID() const { return m_hovered; }
    CardGridLayout layout() const;
    // A card's rectangle in viewport coordinates.
    QRectF cardRect(int index) const;
    // The card under a viewport point, -1 on the background.
    int cardAt(const QPointF& point) const;
    // How many cards the last paint drew (the rest were skipped as invisible).
    int lastPaintedCount() const { return m_lastPainted; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    void updateScrollRange();
    void updateChangedCards(const QList<AudioProject>& previous);
    void setHovered(std::optional<QUuid> id);
    // The cards moved under a still pointer (a reorder, a scroll, a new
    // width): the card now under it is the hovered one.
    void hoverUnderPointer();
    void updateCard(const std::optional<QUuid>& id);
    int indexOf(const QUuid& id) const;

    AppRouter& m_router;
    const TypeRegistry& m_types;
    Select m_select;
    Menu m_menu;
    QList<AudioProject> m_projects;
    std::optional<QUuid> m_hovered;
    int m_pressedCard = -2; // -2: no press; -1: press on the background
    int m_lastPainted = 0;
    QWidget* m_spinHost;
    ReelSpin* m_spin;
    SelectionReveal* m_reveal;
};

} // namespace sorvel
