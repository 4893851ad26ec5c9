#include "app/library/CassetteGrid.h"

#include "app/library/SelectionReveal.h"
#include "app/library/TapeSelection.h"
#include "app/navigation/AppRouter.h"
#include "core/TypeRegistry.h"
#include "studio/CassetteCard.h"
#include "studio/PointerHover.h"
#include "studio/ReelSpin.h"
#include "studio/Studio.h"

#include <QContextMenuEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include <cmath>

namespace sorvel {

CassetteGrid::CassetteGrid(AppRouter& router, const TypeRegistry& types, QWidget* parent)
    : QAbstractScrollArea(parent), m_router(router), m_types(types), m_spinHost(new QWidget(viewport())) {
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    viewport()->setMouseTracking(true);
    viewport()->setAutoFillBackground(false);
    verticalScrollBar()->setSingleStep(24);

    // The reels of the hovered card turn; an empty host keeps the spin from
    // repainting the whole grid on every step, so only that card is redrawn.
    m_spinHost->setGeometry(0, 0, 0, 0);
    m_spinHost->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_spin = new ReelSpin(m_spinHost);
    connect(m_spin, &ReelSpin::angleChanged, this, [this] { updateCard(m_hovered); });

    connect(&m_router, &AppRouter::selectionChanged, viewport(), qOverload<>(&QWidget::update));
    // A renamed or recoloured type changes no record, so the per-card check would skip every card.
    connect(&m_types, &TypeRegistry::typesChanged, viewport(), qOverload<>(&QWidget::update));
    m_reveal = new SelectionReveal(*this, router, [this](const QUuid& id) -> std::optional<QRectF> {
        const int index = indexOf(id);
        return index < 0 ? std::nullopt : std::optional(cardRect(index));
    });
}

void CassetteGrid::setProjects(const QList<AudioProject>& projects) {
    const QList<AudioProject> previous = std::exchange(m_projects, projects);
    updateScrollRange();
    hoverUnderPointer();
    // The hovered tape may have started or stopped being active.
    if (m_hovered)
        m_spin->setSpinning(CassetteCard::reelsTurn(m_projects.at(indexOf(*m_hovered)), true));
    updateChangedCards(previous);
    m_reveal->pageChanged();
}

void CassetteGrid::updateChangedCards(const QList<AudioProject>& previous) {
    if (previous.size() != m_projects.size()) {
        viewport()->update();
        return;
    }
    // Only the visible cards that now show another record, or the same one changed, are drawn again.
    const qreal scroll = verticalScrollBar()->value();
    const auto [first, last] = layout().visibleRange(scroll, scroll + viewport()->height() + 1, int(m_projects.size()));
    for (int i = first; i < last; ++i) {
        if (!(previous.at(i) == m_projects.at(i)))
            viewport()->update(cardRect(i).toAlignedRect().adjusted(-1, -1, 1, 1));
    }
}

CardGridLayout CassetteGrid::layout() const {
    return CardGridLayout::forWidth(viewport()->width(), CassetteCard::naturalHeight());
}

QRectF CassetteGrid::cardRect(int index) const {
    return layout().cellRect(index).translated(0, -verticalScrollBar()->value());
}

int CassetteGrid::cardAt(const QPointF& point) const {
    return layout().indexAt(point + QPointF(0, verticalScrollBar()->value()), int(m_projects.size()));
}

int CassetteGrid::indexOf(const QUuid& id) const {
    for (int i = 0; i < m_projects.size(); ++i) {
        if (m_projects.at(i).id == id)
            return i;
    }
    return -1;
}

void CassetteGrid::updateScrollRange() {
    const qreal height = layout().contentHeight(int(m_projects.size()));
    const int view = viewport()->height();
    verticalScrollBar()->setPageStep(view);
    verticalScrollBar()->setRange(0, std::max(0, int(std::ceil(height)) - view));
}

void CassetteGrid::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    painter.setRenderHint(QPainter::Antialiasing);
    const CardGridLayout grid = layout();
    const qreal scroll = verticalScrollBar()->value();
    const QRectF dirty = event->rect();
    const auto [first, last] =
        grid.visibleRange(dirty.top() + scroll, dirty.bottom() + scroll + 1, int(m_projects.size()));
    const QSet<QUuid>& selection = m_router.selection();
    const QColor tint = Studio::tint(this);
    m_lastPainted = 0;
    for (int i = first; i < last; ++i) {
        const QRectF rect = grid.cellRect(i).translated(0, -scroll);
        if (!rect.intersects(dirty))
            continue;
        const AudioProject& project = m_projects.at(i);
        const bool hovering = m_hovered == project.id;
        CassetteCard::Look look;
        look.selected = selection.contains(project.id);
        look.hovering = hovering;
        look.tint = tint;
        look.hubAngle = hovering ? m_spin->angle() : 0;
        CassetteCard::paint(painter, rect, project, m_types.type(project.typeID), look);
        ++m_lastPainted;
    }
}

void CassetteGrid::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    updateScrollRange();
    hoverUnderPointer();
    m_reveal->pageChanged();
}

void CassetteGrid::scrollContentsBy(int, int) {
    viewport()->update();
    hoverUnderPointer();
}

void CassetteGrid::updateCard(const std::optional<QUuid>& id) {
    if (!id)
        return;
    const int index = indexOf(*id);
    if (index >= 0)
        viewport()->update(cardRect(index).toAlignedRect().adjusted(-1, -1, 1, 1));
}

void CassetteGrid::setHovered(std::optional<QUuid> id) {
    if (m_hovered == id)
        return;
    const std::optional<QUuid> previous = m_hovered;
    m_hovered = id;
    // The previous card's reels come to rest; the new card starts from rest.
    m_spin->setSpinning(false);
    if (id)
        m_spin->setSpinning(CassetteCard::reelsTurn(m_projects.at(indexOf(*id)), true));
    updateCard(previous);
    updateCard(id);
}

void CassetteGrid::hoverUnderPointer() {
    const std::optional<QPoint> pointer = PointerHover::pointerOn(viewport());
    const int index = pointer ? cardAt(*pointer) : -1;
    setHovered(index >= 0 ? std::optional(m_projects.at(index).id) : std::nullopt);
}

void CassetteGrid::mouseMoveEvent(QMouseEvent* event) {
    const int index = cardAt(event->position());
    setHovered(index >= 0 ? std::optional(m_projects.at(index).id) : std::nullopt);
    QAbstractScrollArea::mouseMoveEvent(event);
}

void CassetteGrid::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    m_pressedCard = cardAt(event->position());
    event->accept();
}

void CassetteGrid::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mouseReleaseEvent(event);
        return;
    }
    const int pressed = std::exchange(m_pressedCard, -2);
    if (pressed == -2 || cardAt(event->position()) != pressed)
        return;
    if (pressed == -1)
        TapeSelection::clear(m_router);
    else if (m_select)
        m_select(m_projects.at(pressed).id, event->modifiers());
}

void CassetteGrid::contextMenuEvent(QContextMenuEvent* event) {
    const int index = cardAt(event->pos());
    if (index < 0 || !m_menu)
        return;
    ShelfContextMenu::exec(this, m_menu(m_projects.at(index)), event->globalPos());
}

bool CassetteGrid::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::Leave)
        setHovered(std::nullopt);
    return QAbstractScrollArea::viewportEvent(event);
}

} // namespace sorvel
