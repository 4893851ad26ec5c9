#include "studio/ProgressCapsule.h"

#include "studio/Shapes.h"
#include "studio/Studio.h"
#include "studio/ValueChange.h"

#include <QPainter>

#include <cmath>

namespace sorvel {

ProgressCapsule::ProgressCapsule(double progress, const QColor& color, qreal height, QWidget* parent)
    : QWidget(parent), m_progress(progress), m_color(color), m_height(Shapes::length(height)) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setAttribute(Qt::WA_TranslucentBackground);
}

qreal ProgressCapsule::fillWidth(qreal width, double progress, qreal height) {
    return Shapes::progressWidth(width, progress, height);
}

void ProgressCapsule::paint(QPainter& painter, const QRectF& rect, double progress, const QColor& color, qreal height) {
    const qreal h = qMin(Shapes::length(height), Shapes::length(rect.height()));
    const QRectF track(rect.left(), rect.center().y() - h / 2, Shapes::length(rect.width()), h);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    // A small positive progress still shows a dot as wide as the bar is high.
    Shapes::fillProgressCapsule(painter, track, progress, Studio::faded(color, 0.18), color, h);
    painter.restore();
}

void ProgressCapsule::setProgress(double progress) {
    changeAndRepaint(this, m_progress, progress);
}

void ProgressCapsule::setColor(const QColor& color) {
    changeAndRepaint(this, m_color, color);
}

QSize ProgressCapsule::sizeHint() const {
    return QSize(80, int(std::ceil(m_height)));
}

void ProgressCapsule::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    paint(painter, QRectF(rect()), m_progress, m_color, m_height);
}

} // namespace sorvel
