#include "app/selection/PlainButton.h"

#include "studio/Studio.h"

#include <QFontMetrics>
#include <QPainter>

namespace sorvel {

PlainButton::PlainButton(const QString& text, const QFont& font, const QColor& color, QWidget* parent)
    : QPushButton(text, parent), m_color(color) {
    setFont(font);
    setCursor(Qt::PointingHandCursor);
    setAutoDefault(false);
}

QSize PlainButton::sizeHint() const {
    const QFontMetrics metrics(font());
    return QSize(metrics.horizontalAdvance(text()) + 4, metrics.height() + 4);
}

void PlainButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setOpacity(!isEnabled() ? 0.4 : (isDown() ? 0.7 : 1.0));
    painter.setFont(font());
    painter.setPen(m_color.isValid() ? m_color : Studio::tint(this));
    painter.drawText(rect(), Qt::AlignCenter, text());
}

} // namespace sorvel
