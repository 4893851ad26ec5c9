#include "studio/ReelView.h"

#include "studio/ReelSpin.h"
#include "studio/Shapes.h"
#include "studio/Studio.h"

#include "core/UnitFraction.h"

#include <QPainter>

#include <cmath>

namespace sorvel {

namespace {

const QColor& discColor() {
    static const QColor value = Studio::color(QStringLiteral("0E0E10"), Qt::black);
    return value;
}

const QColor& packColor() {
    static const QColor value = Studio::color(QStringLiteral("4A362C"), Qt::darkGray);
    return value;
}

} // namespace

ReelView::ReelView(double amount, qreal size, bool spinning, QWidget* parent)
    : QWidget(parent), m_amount(amount), m_size(Shapes::length(size)), m_spin(new ReelSpin(this)) {
    // Not shown yet: a reel created spinning starts turning once shown.
    m_spin->setSpinning(spinning);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setAttribute(Qt::WA_TranslucentBackground);
}

qreal ReelView::packDiameter(qreal size, double amount) {
    const qreal hub = hubDiameter(Shapes::length(size));
    return ((Shapes::length(size) - hub) * clampedFraction(amount)) * 0.92 + hub;
}

void ReelView::paint(QPainter& painter, const QRectF& rect, double amount, qreal hubAngle) {
    const qreal size = Shapes::length(qMin(rect.width(), rect.height()));
    if (size <= 0)
        return;
    const QPointF centre = rect.center();
    const qreal hub = hubDiameter(size);

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    Shapes::fillCircle(painter, centre, size, discColor());
    Shapes::fillCircle(painter, centre, packDiameter(size, amount), packColor());

    painter.translate(centre);
    if (std::isfinite(hubAngle))
        painter.rotate(hubAngle);
    Shapes::fillCircle(painter, QPointF(0, 0), hub, Studio::label());
    const qreal spokeW = spokeWidth(size);
    const qreal spokeH = hub * 0.3;
    for (int i = 0; i < 6; ++i) {
        painter.save();
        painter.rotate(i * 60.0);
        // Spoke 0 points straight up, centred 0.3 × hub from the centre.
        Shapes::fillCapsule(painter, QRectF(-spokeW / 2, -hub * 0.3 - spokeH / 2, spokeW, spokeH), Studio::labelInk());
        painter.restore();
    }
    Shapes::fillCircle(painter, QPointF(0, 0), hub * 0.22, Studio::labelInk());
    painter.restore();
}

bool ReelView::isSpinning() const {
    return m_spin->isSpinning();
}

void ReelView::setSpinning(bool spinning) {
    m_spin->setSpinning(spinning);
}

qreal ReelView::hubAngle() const {
    return m_spin->angle();
}

QSize ReelView::sizeHint() const {
    const int side = int(std::ceil(m_size));
    return {side, side};
}

void ReelView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    paint(painter, Shapes::centredSquare(QRectF(rect()), m_size), m_amount, m_spin->angle());
}

} // namespace sorvel
