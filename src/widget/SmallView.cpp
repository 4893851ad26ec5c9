#include "widget/SmallView.h"

#include "core/StudioText.h"
#include "core/UserText.h"
#include "studio/Shapes.h"
#include "studio/Studio.h"
#include "studio/Symbols.h"
#include "studio/TapeWindow.h"
#include "studio/WaveformBars.h"
#include "widget/FittedText.h"
#include "widget/NextStepControl.h"
#include "widget/WidgetLook.h"

#include <QPainter>

namespace sorvel {

namespace {

using Weight = Studio::Weight;

constexpr qreal stackSpacing = 7;
constexpr qreal cardPadding = 6;
constexpr qreal cardSpacing = 4;
constexpr qreal cardRadius = 6;
constexpr qreal chipPaddingX = 5;
constexpr qreal chipPaddingY = 2;
constexpr qreal chipSpacing = 4;
constexpr qreal chipRadius = 3;
constexpr qreal chipSymbolSize = 8;
constexpr qreal reelSize = 22;
constexpr int nameLines = 2;
constexpr qreal nameMinimumScale = 0.8;

QFont chipTitleFont() {
    return Studio::font(9, Weight::Semibold);
}
QFont chipPercentFont() {
    return Studio::font(9, Weight::Semibold, true);
}
QFont nameFont() {
    return Studio::font(13, Weight::Bold);
}

qreal chipHeight() {
    return std::max({Symbols::sideForFontSize(chipSymbolSize), Shapes::lineHeight(chipTitleFont()),
                     Shapes::lineHeight(chipPercentFont())})
        + chipPaddingY * 2;
}

} // namespace

SmallView::SmallView(const AudioProject& project, const ProjectType& kind, RenderingMode mode, QWidget* parent)
    : QWidget(parent), m_project(project), m_kind(kind), m_mode(mode), m_control(new NextStepControl(project, this)) {
    setAccessibleName(UserText::singleLine(project.name));
}

QString SmallView::percentText() const {
    return StudioText::percent(m_project.progress());
}

FittedText SmallView::nameText() const {
    const qreal room = width() - cardPadding * 2;
    return FittedText::fit(UserText::singleLine(m_project.name), nameFont(), room, nameLines, nameMinimumScale);
}

void SmallView::resizeEvent(QResizeEvent*) {
    const QSize control = m_control->sizeHint();
    m_control->setGeometry(0, height() - control.height(), qMin(control.width(), width()), control.height());
}

void SmallView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor accent = WidgetLook::accent(m_kind, m_mode);
    const FittedText name = nameText();

    // The label card.
    const QRectF card(0, 0, width(), cardPadding * 2 + chipHeight() + cardSpacing + name.height());
    Shapes::fillRounded(painter, card, cardRadius, WidgetLook::cardFill(m_mode));
    const QRectF chip(card.left() + cardPadding, card.top() + cardPadding, card.width() - cardPadding * 2,
                      chipHeight());
    Shapes::fillRounded(painter, chip, chipRadius, accent);
    const QColor chipInk = WidgetLook::chipInk(m_mode);
    const QRectF chipContent = chip.adjusted(chipPaddingX, 0, -chipPaddingX, 0);
    const qreal midY = chip.center().y();
    const qreal symbol = Symbols::sideForFontSize(chipSymbolSize);
    Symbols::paintForFont(painter, QPointF(chipContent.left() + symbol / 2, midY), chipSymbolSize, m_kind.symbol,
                          chipInk, Weight::Bold);
    const QString percent = percentText();
    const qreal percentWidth = Shapes::textWidth(chipPercentFont(), percent);
    Shapes::drawLine(painter, chipPercentFont(), chipInk,
                     QPointF(chipContent.right() - percentWidth, Shapes::centredBaseline(chipPercentFont(), midY)),
                     percent, percentWidth + 1);
    const qreal titleLeft = chipContent.left() + symbol + chipSpacing;
    Shapes::drawLine(painter, chipTitleFont(), chipInk,
                     QPointF(titleLeft, Shapes::centredBaseline(chipTitleFont(), midY)),
                     UserText::singleLine(m_kind.title), chipContent.right() - percentWidth - chipSpacing - titleLeft);

    const qreal lineHeight = Shapes::lineHeight(name.font);
    qreal lineTop = chip.bottom() + cardSpacing;
    for (const QString& line : name.lines) {
        Shapes::drawLine(
            painter, name.font, WidgetLook::cardInk(m_mode),
            QPointF(card.left() + cardPadding, Shapes::centredBaseline(name.font, lineTop + lineHeight / 2)), line,
            card.width() - cardPadding * 2);
        lineTop += lineHeight;
    }

    // The progress picture.
    const qreal top = card.bottom() + stackSpacing;
    if (showsTapeWindow()) {
        TapeWindow::paint(painter, QRectF(0, top, width(), TapeWindow::naturalHeight(reelSize)), m_project.progress(),
                          accent, reelSize);
    } else {
        WaveformBars::paint(painter, QRectF(0, top, width(), waveformHeight), m_project.progress(), accent,
                            m_project.id, waveformBars, WidgetLook::smallTrack());
    }
}

} // namespace sorvel
