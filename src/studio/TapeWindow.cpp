#include "studio/TapeWindow.h"

#include "studio/ReelSpin.h"
#include "studio/ReelView.h"
#include "studio/Shapes.h"
#include "studio/Studio.h"
#include "studio/ValueChange.h"

#include "core/UnitFraction.h"

#include <algorithm>
#include <QPainter>

#include <cmath>

namespace sorvel {

namespace {

constexpr qreal lineHeight = 4;
constexpr qreal minimumWound = 4;

} // namespace

TapeWindow::TapeWindow(double progress, const QColor& color, qreal reelSize, bool spinning, QWidget* parent)
    : QWidget(parent),
      m_progress(progress),
      m_color(color),
      m_reelSize(Shapes::length(reelSize)),
      m_spin(new ReelSpin(this)) {
    m_spin->setSpinning(spinning);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setAttribute(Qt::WA_TranslucentBackground);
}

TapeWindow::Layout TapeWindow::layout(const QRectF& rect, qreal reelSize) {
    Layout result;
    result.plate = Shapes::normalizedSize(rect);
    const qreal width = result.plate.width();
    const qreal height = result.plate.height();
    // Two reels, their two gaps and two side insets take 3 reel sizes across;
    // the plate is 1.36 reel sizes high.
    const qreal r = std::min<qreal>({Shapes::length(reelSize), width / 3, height / 1.36});
    result.reelSize = r;
    const qreal midY = result.plate.center().y();
    const qreal left = result.plate.left() + r * 0.25;
    const qreal right = result.plate.right() - r * 0.25;
    result.supplyReel = QRectF(left, midY - r / 2, r, r);
    result.takeUpReel = QRectF(right - r, midY - r / 2, r, r);
    const qreal trackLeft = result.supplyReel.right() + r * 0.25;
    const qreal trackWidth = qMax<qreal>(0, result.takeUpReel.left() - r * 0.25 - trackLeft);
    const qreal trackHeight = qMin(lineHeight, height);
    result.track = QRectF(trackLeft, midY - trackHeight / 2, trackWidth, trackHeight);
    return result;
}

qreal TapeWindow::woundWidth(qreal trackWidth, double progress) {
    return Shapes::progressWidth(trackWidth, progress, minimumWound);
}

void TapeWindow::paint(QPainter& painter, const QRectF& rect, double progress, const QColor& color, qreal reelSize,
                       qreal hubAngle) {
    const Layout geometry = layout(rect, reelSize);
    if (geometry.plate.isEmpty())
        return;
    const double p = clampedFraction(progress);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    Shapes::fillRounded(painter, geometry.plate, geometry.reelSize * 0.3, Studio::well());
    ReelView::paint(painter, geometry.supplyReel, 1 - p, hubAngle);
    Shapes::fillProgressCapsule(painter, geometry.track, p, Studio::bg3(), color, minimumWound);
    ReelView::paint(painter, geometry.takeUpReel, p, hubAngle);
    painter.restore();
}

void TapeWindow::setProgress(double progress) {
    changeAndRepaint(this, m_progress, progress);
}

void TapeWindow::setColor(const QColor& color) {
    changeAndRepaint(this, m_color, color);
}

bool TapeWindow::isSpinning() const {
    return m_spin->isSpinning();
}

void TapeWindow::setSpinning(bool spinning) {
    m_spin->setSpinning(spinning);
}

qreal TapeWindow::hubAngle() const {
    return m_spin->angle();
}

QSize TapeWindow::sizeHint() const {
    return QSize(int(std::ceil(m_reelSize * 5)), int(std::ceil(naturalHeight(m_reelSize))));
}

QSize TapeWindow::minimumSizeHint() const {
    return QSize(int(std::ceil(m_reelSize * 3)), int(std::ceil(naturalHeight(m_reelSize))));
}

void TapeWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRectF area(rect());
    const qreal height = qMin(area.height(), naturalHeight(m_reelSize));
    paint(painter, QRectF(area.left(), area.center().y() - height / 2, area.width(), height), m_progress, m_color,
          m_reelSize, m_spin->angle());
}

} // namespace sorvel
