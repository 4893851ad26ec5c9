#include "app/detail/CueDragHandle.h"

#include "studio/Studio.h"
#include "studio/Symbols.h"
#include "studio/ValueChange.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>

namespace sorvel {

CueDragHandle::CueDragHandle(QWidget* parent) : QWidget(parent) {
    setCursor(Qt::OpenHandCursor);
    setToolTip(QStringLiteral("拖动排序"));
    setAttribute(Qt::WA_TranslucentBackground);
}

void CueDragHandle::setHighlighted(bool highlighted) {
    changeAndRepaint(this, m_highlighted, highlighted);
}

void CueDragHandle::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    Symbols::paintForFont(painter, QRectF(rect()).center(), 9, QStringLiteral("line.3.horizontal"),
                          Studio::faded(Studio::text3(), m_highlighted ? 1.0 : 0.4));
}

void CueDragHandle::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    m_pressed = true;
    m_pressAt = event->position().toPoint();
    event->accept();
}

void CueDragHandle::mouseMoveEvent(QMouseEvent* event) {
    if (!m_pressed || !(event->buttons() & Qt::LeftButton))
        return;
    if ((event->position().toPoint() - m_pressAt).manhattanLength() < QApplication::startDragDistance())
        return;
    m_pressed = false;
    // The drag runs a nested event loop inside this emission; nothing of this
    // handle is touched afterwards, as the row may have gone meanwhile.
    Q_EMIT dragRequested();
}

void CueDragHandle::mouseReleaseEvent(QMouseEvent* event) {
    m_pressed = false;
    QWidget::mouseReleaseEvent(event);
}

} // namespace sorvel
