#include "app/settings/LinkButton.h"

#include "studio/Studio.h"

#include <QFontMetrics>
#include <QPainter>

namespace sorvel {

LinkButton::LinkButton(const QString& text, qreal pixelSize, QWidget* parent) : QPushButton(text, parent) {
    setFont(Studio::font(pixelSize));
    setCursor(Qt::PointingHandCursor);
    setAutoDefault(false);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize LinkButton::sizeHint() const {
    const QFontMetrics metrics(font());
    return QSize(metrics.horizontalAdvance(text()) + 4, metrics.height() + 4);
}

void LinkButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setOpacity(!isEnabled() ? 0.4 : (isDown() ? 0.7 : 1.0));
    painter.setFont(font());
    painter.setPen(Studio::tint(this));
    painter.drawText(rect(), Qt::AlignCenter, text());
}

} // namespace sorvel
