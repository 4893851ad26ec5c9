#include "studio/StageBadge.h"

#include "studio/Shapes.h"
#include "studio/StageLook.h"
#include "studio/Studio.h"
#include "studio/Symbols.h"

#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

namespace sorvel {

namespace {

constexpr qreal spacing = 3;
constexpr qreal verticalPadding = 3;

qreal symbolFontSize(bool compact) {
    return compact ? 8 : 9;
}

qreal horizontalPadding(bool compact) {
    return compact ? 4 : 7;
}

QFont titleFont() {
    return Studio::font(11, Studio::Weight::Medium);
}

} // namespace

StageBadge::StageBadge(CueStage stage, bool compact, QWidget* parent)
    : QWidget(parent), m_stage(stage), m_compact(compact) {
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setAttribute(Qt::WA_TranslucentBackground);
}

QSizeF StageBadge::sizeFor(CueStage stage, bool compact) {
    const qreal symbol = Symbols::sideForFontSize(symbolFontSize(compact));
    qreal width = symbol;
    qreal height = symbol;
    if (!compact) {
        const QFontMetricsF metrics(titleFont());
        width += spacing + metrics.horizontalAdvance(StageLook::of(stage).title);
        height = qMax(height, metrics.ascent() + metrics.descent());
    }
    return {width + horizontalPadding(compact) * 2, height + verticalPadding * 2};
}

void StageBadge::paint(QPainter& painter, const QRectF& rect, CueStage stage, bool compact) {
    const StageLook look = StageLook::of(stage);
    const QSizeF size = sizeFor(stage, compact);
    const QRectF box(rect.left(), rect.center().y() - size.height() / 2, size.width(), size.height());
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    Shapes::fillRounded(painter, box, 5, Studio::faded(look.color, 0.16));
    const qreal symbol = Symbols::sideForFontSize(symbolFontSize(compact));
    const qreal x = box.left() + horizontalPadding(compact);
    Symbols::paint(painter, QRectF(x, box.center().y() - symbol / 2, symbol, symbol), look.symbol, look.color,
                   Studio::Weight::Bold);
    if (!compact) {
        const QFont font = titleFont();
        const QFontMetricsF metrics(font);
        const qreal baseline = box.center().y() + (metrics.ascent() - metrics.descent()) / 2;
        painter.setFont(font);
        painter.setPen(look.color);
        painter.drawText(QPointF(x + symbol + spacing, baseline), look.title);
    }
    painter.restore();
}

void StageBadge::setStage(CueStage stage) {
    if (stage == m_stage)
        return;
    m_stage = stage;
    updateGeometry();
    update();
}

void StageBadge::setCompact(bool compact) {
    if (compact == m_compact)
        return;
    m_compact = compact;
    updateGeometry();
    update();
}

QSize StageBadge::sizeHint() const {
    const QSizeF size = sizeFor(m_stage, m_compact);
    return QSize(int(std::ceil(size.width())), int(std::ceil(size.height())));
}

void StageBadge::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    paint(painter, QRectF(rect()), m_stage, m_compact);
}

} // namespace sorvel
