#include "studio/StageBadge.h"

#include "studio/Shapes.h"
#include "studio/StageLook.h"
#include "studio/Studio.h"
#include "studio/Symbols.h"
#include "studio/ValueChange.h"

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
        width += spacing + Shapes::textWidth(titleFont(), StageLook::of(stage).title);
        height = qMax(height, Shapes::lineHeight(titleFont()));
    }
    return {width + horizontalPadding(compact) * 2, height + verticalPadding * 2};
}

void StageBadge::paint(QPainter& painter, const QRectF& rect, CueStage stage, bool compact) {
    const StageLook look = StageLook::of(stage);
    const QSizeF size = sizeFor(stage, compact);
    const QRectF box(rect.left(), rect.center().y() - size.height() / 2, size.width(), size.height());
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    Shapes::fillRounded(painter, box, cornerRadius, Studio::faded(look.color, 0.16));
    const qreal symbol = Symbols::sideForFontSize(symbolFontSize(compact));
    const qreal x = box.left() + horizontalPadding(compact);
    Symbols::paint(painter, QRectF(x, box.center().y() - symbol / 2, symbol, symbol), look.symbol, look.color,
                   Studio::Weight::Bold);
    if (!compact) {
        const QFont font = titleFont();
        painter.setFont(font);
        painter.setPen(look.color);
        painter.drawText(QPointF(x + symbol + spacing, Shapes::centredBaseline(font, box.center().y())), look.title);
    }
    painter.restore();
}

void StageBadge::setStage(CueStage stage) {
    if (!changeValue(m_stage, stage))
        return;
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
