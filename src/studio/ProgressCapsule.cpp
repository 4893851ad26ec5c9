#include "studio/ProgressCapsule.h"

#include "studio/Shapes.h"
#include "studio/Studio.h"

#include "core/UnitFraction.h"

#include <QPainter>

#include <cmath>

namespace sorvel {

namespace {
qreal nonNegative(qreal value) {
    return std::isfinite(value) && value > 0 ? value : 0;
}
} // namespace

ProgressCapsule::ProgressCapsule(double progress, const QColor& color, qreal height, QWidget* parent)
    : QWidget(parent), m_progress(progress), m_color(color), m_height(nonNegative(height)) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setAttribute(Qt::WA_TranslucentBackground);
}

qreal ProgressCapsule::fillWidth(qreal width, double progress, qreal height) {
    const qreal w = nonNegative(width);
    const double p = clampedFraction(progress);
    const qreal minimum = p > 0 ? nonNegative(height) : 0;
    return qMin(w, qMax(w * p, minimum));
}

void ProgressCapsule::paint(QPainter& painter, const QRectF& rect, double progress, const QColor& color,
                            qreal height) {
    const qreal h = qMin(nonNegative(height), nonNegative(rect.height()));
    const QRectF track(rect.left(), rect.center().y() - h / 2, nonNegative(rect.width()), h);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    Shapes::fillCapsule(painter, track, Studio::faded(color, 0.18));
    QRectF fill = track;
    fill.setWidth(fillWidth(track.width(), progress, h));
    Shapes::fillCapsule(painter, fill, color);
    painter.restore();
}

void ProgressCapsule::setProgress(double progress) {
    if (progress == m_progress)
        return;
    m_progress = progress;
    update();
}

void ProgressCapsule::setColor(const QColor& color) {
    if (color == m_color)
        return;
    m_color = color;
    update();
}

QSize ProgressCapsule::sizeHint() const {
    return QSize(80, int(std::ceil(m_height)));
}

void ProgressCapsule::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    paint(painter, QRectF(rect()), m_progress, m_color, m_height);
}

} // namespace sorvel
