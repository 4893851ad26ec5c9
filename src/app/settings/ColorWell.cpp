#include "app/settings/ColorWell.h"

#include "studio/Shapes.h"
#include "studio/Studio.h"

#include <QColorDialog>
#include <QPainter>

namespace sorvel {

ColorWell::ColorWell(bool withOpacity, QWidget* parent) : QAbstractButton(parent), m_withOpacity(withOpacity) {
    setCursor(Qt::PointingHandCursor);
    setFixedSize(sizeHint());
    setToolTip(QStringLiteral("颜色"));
    connect(this, &QAbstractButton::clicked, this, &ColorWell::openDialog);
}

void ColorWell::setColor(const QColor& color) {
    if (m_color == color)
        return;
    m_color = color;
    update();
}

void ColorWell::pick(QColor color) {
    if (!color.isValid())
        return;
    color = color.toRgb();
    if (!m_withOpacity)
        color.setAlpha(255);
    setColor(color);
    Q_EMIT colorPicked(color);
}

void ColorWell::openDialog() {
    QColorDialog::ColorDialogOptions options;
    if (m_withOpacity)
        options |= QColorDialog::ShowAlphaChannel;
    const QColor chosen = QColorDialog::getColor(m_color, window(), QStringLiteral("颜色"), options);
    if (chosen.isValid())
        pick(chosen);
}

void ColorWell::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setOpacity(isEnabled() ? (isDown() ? 0.7 : 1.0) : 0.4);
    const QRectF frame = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    Shapes::fillRounded(painter, frame, 5, Studio::bg3());
    const QRectF swatch = frame.adjusted(3, 3, -3, -3);
    if (m_color.alpha() < 255) {
        // A light and dark check shows through a transparent colour.
        painter.save();
        painter.setClipPath(Shapes::roundedRect(swatch, 3));
        const qreal step = swatch.height() / 2;
        for (int i = 0; i * step < swatch.width(); ++i) {
            for (int j = 0; j < 2; ++j)
                painter.fillRect(QRectF(swatch.left() + i * step, swatch.top() + j * step, step, step),
                                 (i + j) % 2 ? Studio::text3() : Studio::text());
        }
        painter.restore();
    }
    Shapes::fillRounded(painter, swatch, 3, m_color);
    Shapes::strokeRoundedInside(painter, frame, 5, Studio::line(), 1);
}

} // namespace sorvel
