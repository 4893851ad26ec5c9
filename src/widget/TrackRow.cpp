#include "widget/TrackRow.h"

#include "core/StudioText.h"
#include "core/UserText.h"
#include "studio/Shapes.h"
#include "studio/Studio.h"
#include "studio/WaveformBars.h"
#include "widget/NextStep.h"
#include "widget/QuickAction.h"
#include "widget/WidgetLook.h"

#include <QPainter>

#include <cmath>

namespace sorvel {

namespace {

constexpr qreal barWidth = 3;
constexpr qreal spacing = 8;
constexpr qreal lineSpacing = 3;
constexpr qreal nameGap = 6 + 4 + 6; // spacing, the spacer's minimum, spacing
constexpr int waveformBars = 36;

QFont nameFont() {
    return Studio::font(12, Studio::Weight::Semibold);
}
QFont percentFont() {
    return Studio::font(12, Studio::Weight::Medium, true);
}
QFont nextFont() {
    return Studio::font(9, Studio::Weight::Regular, true);
}

qreal firstLineHeight() {
    return qMax(Shapes::lineHeight(nameFont()), Shapes::lineHeight(percentFont()));
}

} // namespace

TrackRow::TrackRow(const AudioProject& project, const ProjectType& kind, bool showsNext, RenderingMode mode,
                   QWidget* parent)
    : LinkSurface(parent),
      m_project(project),
      m_kind(kind),
      m_showsNext(showsNext),
      m_mode(mode),
      m_action(new QuickAction(project, kind, this)) {
    setLink(project.deepLink());
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setAccessibleName(UserText::singleLine(project.name));
}

QString TrackRow::percentText() const {
    return StudioText::percent(m_project.progress());
}

QString TrackRow::nextLine() const {
    return m_showsNext ? NextStep::rowLine(m_project) : QString();
}

QSize TrackRow::sizeHint() const {
    qreal height = firstLineHeight() + lineSpacing + waveformHeight();
    if (m_showsNext)
        height += lineSpacing + Shapes::lineHeight(nextFont());
    height = qMax<qreal>(height, m_action->sizeHint().height());
    return {200, int(std::ceil(height))};
}

qreal TrackRow::textRight() const {
    return m_action->width() > 0 ? m_action->x() - spacing : width();
}

void TrackRow::resizeEvent(QResizeEvent*) {
    const QSize action = m_action->sizeHint();
    m_action->move(width() - action.width(), (height() - action.height()) / 2);
}

void TrackRow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor color = WidgetLook::accent(m_kind, m_mode);
    Shapes::fillCapsule(painter, QRectF(0, 0, barWidth, height()), color);

    const qreal left = barWidth + spacing;
    const qreal right = textRight();
    const qreal width = qMax<qreal>(0, right - left);

    // Name and percentage: the percentage keeps its place, the name is cut.
    const qreal lineHeight = firstLineHeight();
    const QString percent = percentText();
    const qreal percentWidth = Shapes::textWidth(percentFont(), percent);
    Shapes::drawLine(painter, percentFont(), Studio::text(),
                     QPointF(right - percentWidth, Shapes::centredBaseline(percentFont(), lineHeight / 2)), percent,
                     percentWidth + 1);
    Shapes::drawLine(painter, nameFont(), Studio::text(),
                     QPointF(left, Shapes::centredBaseline(nameFont(), lineHeight / 2)),
                     UserText::singleLine(m_project.name), width - percentWidth - nameGap);

    qreal y = lineHeight + lineSpacing;
    WaveformBars::paint(painter, QRectF(left, y, width, waveformHeight()), m_project.progress(), color, m_project.id,
                        waveformBars, WidgetLook::rowTrack(m_mode));
    if (!m_showsNext)
        return;
    y += waveformHeight() + lineSpacing;
    const qreal nextHeight = Shapes::lineHeight(nextFont());
    Shapes::drawLine(painter, nextFont(), WidgetLook::secondaryText(m_mode),
                     QPointF(left, Shapes::centredBaseline(nextFont(), y + nextHeight / 2)), nextLine(), width);
}

} // namespace sorvel
