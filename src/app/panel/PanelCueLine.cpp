#include "app/panel/PanelCueLine.h"

#include "core/CueText.h"
#include "studio/Shapes.h"
#include "studio/StageAdvanceIcon.h"
#include "studio/StageLook.h"
#include "studio/Studio.h"
#include "studio/StudioLabel.h"

#include <QPainter>

namespace sorvel {

namespace {

constexpr qreal ringSize = 14;
constexpr qreal spacing = 8;
constexpr qreal numberWidth = 18;
constexpr qreal verticalPadding = 2;

QFont numberFont() {
    return Studio::font(9, Studio::Weight::Regular, true);
}

QFont titleFont(bool struck) {
    QFont font = Studio::font(12);
    font.setStrikeOut(struck);
    return font;
}

QFont stageFont() {
    return Studio::font(10);
}

} // namespace

PanelCueLine::PanelCueLine(const Cue& cue, QWidget* parent) : QAbstractButton(parent), m_cue(cue) {
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setToolTip(Studio::plainToolTip(help(cue.stage)));
}

CueStage PanelCueLine::advancedStage(CueStage stage) {
    return nextStage(stage).value_or(CueStage::Mixed);
}

QString PanelCueLine::help(CueStage stage) {
    return QStringLiteral("点一下推进到「") + title(advancedStage(stage)) + QStringLiteral("」");
}

QSize PanelCueLine::sizeHint() const {
    const qreal height = qMax(ringSize, Shapes::lineHeight(titleFont(false))) + 2 * verticalPadding;
    return {200, qCeil(height)};
}

void PanelCueLine::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (isDown())
        painter.setOpacity(0.7);
    const qreal midY = height() / 2.0;
    const QString number = CueText::shownNumber(m_cue);
    const qreal numberSpace = qMax(numberWidth, Shapes::textWidth(numberFont(), number));
    Shapes::drawLine(painter, numberFont(), Studio::text3(), QPointF(0, Shapes::centredBaseline(numberFont(), midY)),
                     number, numberSpace);
    qreal x = numberSpace + spacing;
    StageAdvanceIcon::paint(painter, QRectF(x, midY - ringSize / 2, ringSize, ringSize), m_cue.stage);
    x += ringSize + spacing;

    const StageLook stage = StageLook::of(m_cue.stage);
    const qreal stageWidth = Shapes::textWidth(stageFont(), stage.title);
    const qreal stageX = width() - stageWidth;
    Shapes::drawLine(painter, stageFont(), stage.color, QPointF(stageX, Shapes::centredBaseline(stageFont(), midY)),
                     stage.title, stageWidth + 1);

    const bool delivered = m_cue.stage == CueStage::Delivered;
    const QFont font = titleFont(delivered);
    Shapes::drawLine(painter, font, delivered ? Studio::text3() : Studio::text(),
                     QPointF(x, Shapes::centredBaseline(font, midY)), CueText::shownTitle(m_cue),
                     qMax<qreal>(0, stageX - spacing - x));
}

} // namespace sorvel
