#include "app/panel/PanelTapeRow.h"

#include "app/panel/PanelTape.h"
#include "core/StudioText.h"
#include "core/UserText.h"
#include "studio/Shapes.h"
#include "studio/Studio.h"
#include "studio/Symbols.h"
#include "studio/WaveformBars.h"

#include <QMouseEvent>
#include <QPainter>

namespace sorvel {

namespace {

constexpr qreal barWidth = 3;
constexpr qreal spacing = 10;
constexpr qreal lineSpacing = 5;
constexpr qreal waveformHeight = 14;
constexpr int waveformBars = 30;

QFont nameFont() {
    return Studio::font(13, Studio::Weight::Semibold);
}

QFont subtitleFont() {
    return Studio::font(10, Studio::Weight::Regular, true);
}

QFont percentFont() {
    return Studio::font(18, Studio::Weight::Medium, true);
}

} // namespace

PanelTapeRow::PanelTapeRow(QWidget* parent) : QWidget(parent) {
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void PanelTapeRow::setProject(const AudioProject& project, const ProjectType& kind) {
    if (project == m_project && kind == m_kind)
        return;
    m_project = project;
    m_kind = kind;
    update();
}

QSize PanelTapeRow::sizeHint() const {
    const qreal height = Shapes::lineHeight(nameFont()) + lineSpacing + waveformHeight + lineSpacing
        + Shapes::lineHeight(subtitleFont());
    return {260, qCeil(height)};
}

void PanelTapeRow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const ProjectType& kind = m_kind;
    const QColor color = Studio::typeColor(kind);
    const double progress = m_project.progress();

    Shapes::fillCapsule(painter, QRectF(0, 0, barWidth, height()), color);

    const QString percent = StudioText::percent(progress);
    const qreal percentWidth = Shapes::textWidth(percentFont(), percent);
    const qreal percentX = width() - percentWidth;
    Shapes::drawLine(painter, percentFont(), Studio::text(),
                     QPointF(percentX, Shapes::centredBaseline(percentFont(), height() / 2.0)), percent,
                     percentWidth + 1);

    const qreal left = barWidth + spacing;
    const qreal columnWidth = qMax<qreal>(0, percentX - 4 - left);

    // Name line: type symbol, name, focus star.
    const qreal nameHeight = Shapes::lineHeight(nameFont());
    const qreal nameMid = nameHeight / 2;
    const qreal symbolSide = Symbols::sideForFontSize(10);
    Symbols::paintForFont(painter, QPointF(left + symbolSide / 2, nameMid), 10, kind.symbol, color,
                          Studio::Weight::Bold);
    qreal x = left + symbolSide + lineSpacing;
    const qreal starSide = m_project.isFocused ? Symbols::sideForFontSize(8) + lineSpacing : 0;
    const qreal nameWidth =
        Shapes::drawLine(painter, nameFont(), Studio::text(), QPointF(x, Shapes::centredBaseline(nameFont(), nameMid)),
                         UserText::singleLine(m_project.name), qMax<qreal>(0, left + columnWidth - x - starSide));
    if (m_project.isFocused)
        Symbols::paintForFont(painter, QPointF(x + nameWidth + lineSpacing + Symbols::sideForFontSize(8) / 2, nameMid),
                              8, QStringLiteral("star.fill"), Studio::systemYellow());

    const qreal waveTop = nameHeight + lineSpacing;
    WaveformBars::paint(painter, QRectF(left, waveTop, columnWidth, waveformHeight), progress, color, m_project.id,
                        waveformBars, Studio::bg3());

    const qreal subtitleMid = waveTop + waveformHeight + lineSpacing + Shapes::lineHeight(subtitleFont()) / 2;
    Shapes::drawLine(painter, subtitleFont(), m_project.isOverdue() ? Studio::systemRed() : Studio::text3(),
                     QPointF(left, Shapes::centredBaseline(subtitleFont(), subtitleMid)),
                     PanelTape::subtitle(m_project), columnWidth);
}

void PanelTapeRow::mousePressEvent(QMouseEvent* event) {
    event->accept();
}

void PanelTapeRow::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        Q_EMIT tapped();
}

} // namespace sorvel
