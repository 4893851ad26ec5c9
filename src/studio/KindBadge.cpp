#include "studio/KindBadge.h"

#include "studio/Shapes.h"
#include "studio/Studio.h"
#include "studio/Symbols.h"

#include <algorithm>
#include <QLinearGradient>
#include <QPainter>

#include <cmath>

namespace sorvel {

KindBadge::KindBadge(const ProjectType& kind, qreal size, QWidget* parent)
    : QWidget(parent), m_kind(kind), m_size(std::isfinite(size) && size > 0 ? size : 0) {
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setAttribute(Qt::WA_TranslucentBackground);
    setAccessibleName(kind.title);
}

void KindBadge::paint(QPainter& painter, const QRectF& rect, const ProjectType& kind) {
    const qreal size = qMin(rect.width(), rect.height());
    if (!(size > 0))
        return;
    const QRectF tile(rect.center().x() - size / 2, rect.center().y() - size / 2, size, size);
    const QColor base = Studio::typeColor(kind);
    // The colour's standard gradient: a touch lighter at the top.
    QLinearGradient gradient(tile.topLeft(), tile.bottomLeft());
    gradient.setColorAt(0, base.lighter(118));
    gradient.setColorAt(1, base);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    Shapes::fillRounded(painter, tile, cornerRadius(size), gradient);
    Symbols::paintForFont(painter, tile.center(), symbolFontSize(size), kind.symbol, Qt::white,
                          Studio::Weight::Semibold);
    painter.restore();
}

void KindBadge::setKind(const ProjectType& kind) {
    if (kind == m_kind)
        return;
    m_kind = kind;
    setAccessibleName(kind.title);
    update();
}

QSize KindBadge::sizeHint() const {
    const int side = int(std::ceil(m_size));
    return {side, side};
}

void KindBadge::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRectF area(rect());
    const qreal side = std::min<qreal>({m_size, area.width(), area.height()});
    paint(painter, QRectF(area.center().x() - side / 2, area.center().y() - side / 2, side, side), m_kind);
}

} // namespace sorvel
