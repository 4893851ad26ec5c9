#include "widget/IntentButton.h"

#include <QPainter>

namespace sorvel {

IntentButton::IntentButton(const WidgetIntent& intent, const QSize& size, Drawing drawing, QWidget* parent)
    : QAbstractButton(parent), m_intent(intent), m_size(size), m_drawing(std::move(drawing)) {
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::PointingHandCursor);
    connect(this, &QAbstractButton::clicked, this, [this] { Q_EMIT intentTriggered(m_intent); });
}

void IntentButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setOpacity(isDown() ? 0.7 : 1.0);
    m_drawing(painter, QRectF(rect()));
}

} // namespace sorvel
