#include "studio/KindBadge.h"
#include "core/UserText.h"

#include "studio/Shapes.h"
#include "studio/Studio.h"
#include "studio/Symbols.h"
#include "studio/ValueChange.h"

#include <QLinearGradient>
#include <QPainter>

#include <cmath>

namespace sorvel {

KindBadge::KindBadge(const ProjectType& kind, qreal size, QWidget* parent)
    : QWidget(parent), m_kind(kind), m_size(Shapes::length(size)) {
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setAttribute(Qt::WA_TranslucentBackground);
    setAccessibleName(UserText::singleLine(kind.title));
}

void KindBadge::paint(QPainter& painter, const QRectF& rect, const ProjectType& kind) {
    const qreal size = qMin(rect.width(), rect.height());
    if (!(size > 0))
        return;
    const QRectF tile = Shapes::centredSquare(rect, size);
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
    if (!changeValue(m_kind, kind))
        return;
    setAccessibleName(UserText::singleLine(kind.title));
    update();
}

QSize KindBadge::sizeHint() const {
    const int side = int(std::ceil(m_size));
    return {side, side};
}

void KindBadge::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    paint(painter, Shapes::centredSquare(QRectF(rect()), m_size), m_kind);
}

} // namespace sorvel
