#include "app/settings/TypeList.h"

#include "studio/Shapes.h"
#include "studio/Studio.h"

#include <QDrag>
#include <QDropEvent>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QTimer>

namespace sorvel {

namespace {

// Rows are widgets; the list itself only marks the selected one.
class RowDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex&) const override {
        if (!(option.state & QStyle::State_Selected))
            return;
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        Shapes::fillRounded(*painter, QRectF(option.rect).adjusted(4, 1, -4, -1), 6, Studio::bg3());
        painter->restore();
    }
};

} // namespace

TypeList::TypeList(QWidget* parent) : QListWidget(parent) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    setDragDropMode(QAbstractItemView::InternalMove);
    setDefaultDropAction(Qt::MoveAction);
    setDropIndicatorShown(true);
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setItemDelegate(new RowDelegate(this));
    setSpacing(0);
    // The rows sit on their parent's surface.
    viewport()->setAutoFillBackground(false);
    setAutoFillBackground(false);
    QPalette clear = palette();
    clear.setColor(QPalette::Base, Qt::transparent);
    setPalette(clear);
    // The press that starts a drag selects the row; once it has been moved
    // it is no longer marked (connected first: before the rows are rebuilt).
    connect(this, &TypeList::moveRequested, this, &QAbstractItemView::clearSelection);
}

int TypeList::dropOffset(int y) const {
    const int rows = typeRowCount();
    for (int row = 0; row < rows; ++row) {
        const QRect rect = visualItemRect(item(row));
        if (y < rect.center().y())
            return row;
        if (y <= rect.bottom())
            return row + 1;
    }
    return rows;
}

void TypeList::startDrag(Qt::DropActions) {
    const QModelIndexList rows = selectedIndexes();
    if (rows.size() != 1 || rows.first().row() >= typeRowCount())
        return;
    auto* drag = new QDrag(this);
    drag->setMimeData(model()->mimeData(rows));
    if (QWidget* rowWidget = itemWidget(item(rows.first().row()))) {
        drag->setPixmap(rowWidget->grab());
        drag->setHotSpot(rowWidget->mapFromGlobal(QCursor::pos()));
    }
    drag->exec(Qt::MoveAction);
    // Also after a drag that ended outside the list or was cancelled.
    clearSelection();
}

void TypeList::dropEvent(QDropEvent* event) {
    const QModelIndexList rows = selectedIndexes();
    if (event->source() != this || rows.size() != 1) {
        event->ignore();
        return;
    }
    const QList<int> offsets{rows.first().row()};
    const int to = dropOffset(event->position().toPoint().y());
    // Nothing of the list is changed here; the store's change rebuilds it
    // once the drag has ended.
    event->setDropAction(Qt::IgnoreAction);
    event->accept();
    stopAutoScroll();
    setState(QAbstractItemView::NoState);
    viewport()->update();
    QTimer::singleShot(0, this, [this, offsets, to] { Q_EMIT moveRequested(offsets, to); });
}

} // namespace sorvel
