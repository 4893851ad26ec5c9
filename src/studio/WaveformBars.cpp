#include "studio/WaveformBars.h"

#include "studio/Shapes.h"
#include "studio/ValueChange.h"

#include "core/UnitFraction.h"
#include "core/WaveformPattern.h"

#include <QPainter>

#include <cmath>

namespace sorvel {

namespace {
constexpr qreal gap = 2;
constexpr qreal minimumBar = 2;
// Wider bars would turn into lozenges in a wide row: the gaps grow instead.
constexpr qreal widestBar = 9;
} // namespace

WaveformBars::WaveformBars(double progress, const QColor& color, const QUuid& seed, int count, const QColor& track,
                           QWidget* parent)
    : QWidget(parent), m_progress(progress), m_color(color), m_seed(seed), m_count(qMax(0, count)), m_track(track) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setAttribute(Qt::WA_TranslucentBackground);
}

bool WaveformBars::isLit(double progress, int index, int count) {
    if (count <= 0)
        return false;
    return clampedFraction(progress) > double(index) / double(count);
}

qreal WaveformBars::barWidth(qreal width, int count) {
    if (count <= 0 || !std::isfinite(width))
        return 0;
    const qreal each = (width - gap * (count - 1)) / count;
    return each > 0 ? qMin(each, widestBar) : 0;
}

qreal WaveformBars::barLeft(qreal width, int count, int index) {
    const qreal each = barWidth(width, count);
    if (each <= 0 || count < 2)
        return 0;
    return index * (width - each) / (count - 1);
}

void WaveformBars::paint(QPainter& painter, const QRectF& rect, double progress, const QColor& color, const QUuid& seed,
                         int count, const QColor& track) {
    const qreal each = barWidth(rect.width(), count);
    if (each <= 0)
        return;
    const QList<double> heights = WaveformPattern::heights(seed, count);
    const qreal height = qMax<qreal>(0, rect.height());
    const qreal midY = rect.center().y();
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    for (int i = 0; i < heights.size(); ++i) {
        const qreal barHeight = qMax(minimumBar, height * heights.at(i));
        const QRectF bar(rect.left() + barLeft(rect.width(), count, i), midY - barHeight / 2, each, barHeight);
        Shapes::fillCapsule(painter, bar, isLit(progress, i, count) ? color : track);
    }
    painter.restore();
}

void WaveformBars::setProgress(double progress) {
    changeAndRepaint(this, m_progress, progress);
}

void WaveformBars::setColor(const QColor& color) {
    changeAndRepaint(this, m_color, color);
}

QSize WaveformBars::sizeHint() const {
    return QSize(qMax(1, m_count) * 5, 24);
}

void WaveformBars::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    paint(painter, QRectF(rect()), m_progress, m_color, m_seed, m_count, m_track);
}

} // namespace sorvel
