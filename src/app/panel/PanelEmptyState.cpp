#include "app/panel/PanelEmptyState.h"

#include "studio/Shapes.h"
#include "studio/Studio.h"
#include "studio/TapeWindow.h"
#include "studio/ValueChange.h"

#include <QPainter>

namespace sorvel {

namespace {

constexpr qreal windowWidth = 150;
constexpr qreal reelSize = 30;
constexpr qreal spacing = 10;

QFont textFont() {
    return Studio::font(12);
}

} // namespace

PanelEmptyState::PanelEmptyState(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void PanelEmptyState::setText(const QString& text) {
    changeAndRepaint(this, m_text, text);
}

QSize PanelEmptyState::sizeHint() const {
    const qreal height = TapeWindow::naturalHeight(reelSize) + spacing + Shapes::lineHeight(textFont());
    return {qCeil(qMax(windowWidth, Shapes::textWidth(textFont(), m_text))), qCeil(height)};
}

void PanelEmptyState::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QSize natural = sizeHint();
    const qreal top = (height() - natural.height()) / 2.0;
    const QRectF window((width() - windowWidth) / 2, top, windowWidth, TapeWindow::naturalHeight(reelSize));
    painter.setOpacity(0.6);
    TapeWindow::paint(painter, window, 0, Studio::text3(), reelSize);
    painter.setOpacity(1);
    const qreal textWidth = Shapes::textWidth(textFont(), m_text);
    const qreal baseline = window.bottom() + spacing + QFontMetricsF(textFont()).ascent();
    Shapes::drawLine(painter, textFont(), Studio::text3(), QPointF((width() - textWidth) / 2, baseline), m_text,
                     width());
}

} // namespace sorvel
