#include "app/detail/CueTable.h"

#include "app/detail/CueColumns.h"
#include "app/detail/CueDragHandle.h"
#include "app/detail/CueRow.h"
#include "app/detail/CueTableFooter.h"
#include "app/detail/DeleteReveal.h"
#include "app/detail/DragAutoScroll.h"
#include "app/store/ProjectStore.h"
#include "core/RecordCoding.h"
#include "studio/PlainSymbolButton.h"
#include "studio/Shapes.h"
#include "studio/Studio.h"

#include <QApplication>
#include <QCursor>
#include <QDrag>
#include <QDragEnterEvent>
#include <QMimeData>
#include <QPainter>
#include <QTimer>

#include <algorithm>

namespace sorvel {

namespace {
constexpr int rowPitch = CueRow::rowHeight + CueTable::ruleHeight;
} // namespace

CueTable::CueTable(ProjectStore& store, const QUuid& projectID, bool showsFooter, QWidget* parent)
    : QWidget(parent), m_store(store), m_projectID(projectID), m_showsFooter(showsFooter) {
    setAcceptDrops(true);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    if (showsFooter) {
        m_footer = new CueTableFooter(this);
        connect(m_footer, &CueTableFooter::addRequested, this, &CueTable::addCue);
    }
    m_autoScroll = new DragAutoScroll(this, rowPitch);
    connect(m_autoScroll, &DragAutoScroll::scrolled, this, &CueTable::walkToPointer);
    connect(&m_store, &ProjectStore::projectsChanged, this, &CueTable::refresh);
    refresh();
}

void CueTable::refresh() {
    const AudioProject* project = m_store.project(m_projectID);
    const int heightBefore = contentHeight();
    m_present = project != nullptr;

    QList<QUuid> order;
    if (project) {
        for (const Cue& cue : project->items) {
            // A crafted file may repeat an id; its first cue stands for it.
            if (order.contains(cue.id))
                continue;
            order.append(cue.id);
            if (CueRow* existing = m_rows.value(cue.id)) {
                existing->setCue(cue);
                continue;
            }
            auto* made = new CueRow(m_store, m_projectID, cue, this);
            connect(made, &CueRow::dragRequested, this, &CueTable::startDrag);
            m_rows.insert(cue.id, made);
            made->slideTo(headerHeight + int(order.size() - 1) * rowPitch, false);
        }
    }
    for (auto it = m_rows.begin(); it != m_rows.end();) {
        if (!order.contains(it.key())) {
            retire(it.value());
            it = m_rows.erase(it);
        } else {
            ++it;
        }
    }
    const bool reordered = order != m_order;
    m_order = order;
    if (reordered)
        chainKeyboard();
    if (m_footer) {
        m_footer->setVisible(m_present);
        if (project)
            m_footer->setSummary(project->items.size(), project->totalDuration());
    }
    placeRows(isVisible());
    if (contentHeight() != heightBefore)
        updateGeometry();
    update();
}

void CueTable::chainKeyboard() {
    // Widgets take Tab in the order they were made: rows added later, moved
    // by a drag, and the footer made before any row would be reached out of
    // the order they are shown in.
    QList<QWidget*> stops;
    for (const QUuid& id : std::as_const(m_order))
        stops.append(m_rows.value(id)->keyboardStops());
    if (m_footer)
        stops.append(m_footer->addButton());
    for (qsizetype i = 1; i < stops.size(); ++i)
        QWidget::setTabOrder(stops.at(i - 1), stops.at(i));
}

void CueTable::retire(CueRow* row) {
    DeleteReveal::takeKeyboardAway(row);
    row->hide();
    // A running drag's event loop may still deliver to this row (its handle
    // started the drag); it goes when the drag is over.
    if (m_dragRunning)
        m_retired.append(row);
    else
        row->deleteLater();
}

void CueTable::placeRows(bool animated) {
    for (int i = 0; i < m_order.size(); ++i) {
        CueRow* row = m_rows.value(m_order.at(i));
        row->resize(width(), CueRow::rowHeight);
        // The dragged cue is in the hand: its row waits unseen at its place
        // while the others glide, so no two rows ever pass over each other.
        const bool lifted = m_draggingID == m_order.at(i);
        row->slideTo(rowRect(i).top(), animated && row->isVisible() && !lifted);
        row->setVisible(!lifted);
    }
    if (m_footer)
        m_footer->setGeometry(0, headerHeight + int(m_order.size()) * rowPitch, width(), CueTableFooter::height);
}

QRect CueTable::rowRect(int index) const {
    return {0, headerHeight + index * rowPitch, width(), CueRow::rowHeight};
}

int CueTable::contentHeight() const {
    if (!m_present)
        return 0;
    return headerHeight + int(m_order.size()) * rowPitch + (m_footer ? CueTableFooter::height : 0);
}

QSize CueTable::sizeHint() const {
    return {int(CueColumns::minimumWidth()), contentHeight()};
}

QSize CueTable::minimumSizeHint() const {
    return sizeHint();
}

CueRow* CueTable::row(const QUuid& cueID) const {
    return m_rows.value(cueID);
}

QList<CueRow*> CueTable::rows() const {
    QList<CueRow*> result;
    for (const QUuid& id : m_order)
        result.append(m_rows.value(id));
    return result;
}

std::optional<CueFocus> CueTable::focus() const {
    for (const QUuid& id : m_order) {
        if (const auto field = m_rows.value(id)->focusedField())
            return CueFocus{id, *field};
    }
    return std::nullopt;
}

void CueTable::move(const QUuid& from, const QUuid& to) {
    m_store.update(m_projectID, [&](AudioProject& project) {
        const auto byID = [](const QUuid& id) { return [&id](const Cue& cue) { return cue.id == id; }; };
        const auto source = std::find_if(project.items.cbegin(), project.items.cend(), byID(from));
        const auto target = std::find_if(project.items.cbegin(), project.items.cend(), byID(to));
        if (source == project.items.cend() || target == project.items.cend())
            return;
        // The dragged cue takes the target's place: after it when moving
        // down, before it when moving up, and never past the last cue.
        project.items.move(std::distance(project.items.cbegin(), source),
                           std::distance(project.items.cbegin(), target));
    });
}

void CueTable::addCue() {
    std::optional<QUuid> added;
    m_store.update(m_projectID, [&added](AudioProject& project) { added = project.addCue(QString()); });
    if (!added)
        return;
    // The new row exists by the next turn of the event loop; the user types its title at once.
    QTimer::singleShot(0, this, [this, id = *added] {
        if (CueRow* made = row(id))
            made->focusField(CueFocus::Field::Title);
    });
}

bool CueTable::isOwnDrag(const QMimeData* data) const {
    return m_draggingID && data && data->hasText() && data->text() == RecordCoding::idText(*m_draggingID);
}

int CueTable::slotAt(qreal y) const {
    if (y < headerHeight)
        return -1;
    const int slot = int((y - headerHeight) / rowPitch);
    return slot < m_order.size() ? slot : -1;
}

void CueTable::walkTo(const QPointF& position) {
    const int slot = slotAt(position.y());
    if (slot < 0 || !m_draggingID)
        return;
    const QUuid& target = m_order.at(slot);
    if (target != *m_draggingID)
        move(*m_draggingID, target);
}

void CueTable::walkToPointer() {
    if (m_order.isEmpty())
        return;
    const QPoint pointer = mapFromGlobal(QCursor::pos());
    const QRect shown = visibleRegion().boundingRect();
    const int firstRow = std::max(shown.top(), headerHeight);
    const int lastRow = std::min(shown.bottom(), rowRect(int(m_order.size()) - 1).bottom());
    if (firstRow > lastRow)
        return;
    walkTo(QPointF(pointer.x(), std::clamp(pointer.y(), firstRow, lastRow)));
}

bool CueTable::takeOwnDrag(QDropEvent* event) const {
    // Only this table's own running drag is taken, and only as a move; text
    // from elsewhere (another program, another cue table) is refused, so its
    // source never deletes anything.
    if (!isOwnDrag(event->mimeData())) {
        event->ignore();
        return false;
    }
    event->setDropAction(Qt::MoveAction);
    event->accept();
    return true;
}

void CueTable::dragEnterEvent(QDragEnterEvent* event) {
    m_autoScroll->takeWheel();
    dragMoveEvent(event);
}

void CueTable::dragMoveEvent(QDragMoveEvent* event) {
    if (takeOwnDrag(event))
        walkTo(event->position());
}

void CueTable::dropEvent(QDropEvent* event) {
    // Every move has happened on the way; the drop only ends the drag.
    takeOwnDrag(event);
}

QPixmap CueTable::dragImage(CueRow* dragged) const {
    const qreal ratio = devicePixelRatioF();
    QPixmap image(QSize(dragged->width(), dragged->height()) * ratio);
    image.setDevicePixelRatio(ratio);
    image.fill(Studio::faded(Studio::bg3(), 0.9));
    // The picture of the cue, without the delete button that the pointer revealed.
    QWidget* remove = dragged->deleteButton();
    const bool removeShown = remove->isVisible();
    remove->hide();
    dragged->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    remove->setVisible(removeShown);
    return image;
}

void CueTable::startDrag(const QUuid& cueID) {
    CueRow* dragged = m_rows.value(cueID);
    if (m_dragRunning || !dragged)
        return;
    m_draggingID = cueID;
    m_dragRunning = true;

    auto* drag = new QDrag(this);
    auto* data = new QMimeData;
    data->setText(RecordCoding::idText(cueID));
    drag->setMimeData(data);
    drag->setPixmap(dragImage(dragged));
    drag->setHotSpot(dragged->dragHandle()->geometry().center());
    DeleteReveal::takeKeyboardAway(dragged);
    placeRows(false);

    m_autoScroll->start();
    if (m_dragRunner)
        m_dragRunner(*drag);
    else
        drag->exec(Qt::MoveAction, Qt::MoveAction);
    m_autoScroll->stop();

    // However the drag ended (on a row, elsewhere, or cancelled), it is over.
    m_dragRunning = false;
    m_draggingID.reset();
    if (CueRow* landed = m_rows.value(cueID))
        landed->show();
    update();
    drag->deleteLater();
    for (const QPointer<CueRow>& gone : std::as_const(m_retired)) {
        if (gone)
            gone->deleteLater();
    }
    m_retired.clear();
    for (CueRow* row : std::as_const(m_rows))
        row->recheckHover();
    Q_EMIT dragFinished();
}

void CueTable::hideEvent(QHideEvent* event) {
    // Only when the table itself is hidden (its list row closed), not when its window is.
    if (isHidden())
        DeleteReveal::takeKeyboardAway(this);
    QWidget::hideEvent(event);
}

void CueTable::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    placeRows(false);
}

void CueTable::paintEvent(QPaintEvent*) {
    if (!m_present)
        return;
    QPainter painter(this);
    const QRectF header(0, 0, width(), headerHeight);
    painter.fillRect(header, Studio::faded(Studio::bg3(), 0.6));
    const QFont font = CueColumns::headerFont();
    const auto cells = CueColumns::frames(header);
    for (int i = 0; i < CueColumns::count; ++i) {
        const QString title = CueColumns::title(CueColumns::Column(i));
        if (title.isEmpty())
            continue;
        const qreal textWidth = Shapes::textWidth(font, title);
        const QRectF& cell = cells[std::size_t(i)];
        const qreal left = i == CueColumns::Title ? cell.left() : cell.center().x() - textWidth / 2;
        Shapes::drawLine(painter, font, Studio::text3(), {left, Shapes::centredBaseline(font, cell.center().y())},
                         title, textWidth + 1);
    }
    const QColor rule = Studio::faded(Studio::line(), 0.5);
    for (int i = 0; i < m_order.size(); ++i)
        painter.fillRect(QRect(0, rowRect(i).bottom() + 1, width(), ruleHeight), rule);
    // Where the dragged cue lands.
    if (const qsizetype lifted = m_draggingID ? m_order.indexOf(*m_draggingID) : -1; lifted >= 0) {
        const QRectF slot = QRectF(rowRect(int(lifted))).adjusted(2, 2, -2, -2);
        painter.setRenderHint(QPainter::Antialiasing);
        const QColor tint = Studio::tint(this);
        Shapes::fillRounded(painter, slot, 6, Studio::faded(tint, 0.12));
        Shapes::strokeRoundedInside(painter, slot, 6, Studio::faded(tint, 0.5), 1);
    }
}

} // namespace sorvel
