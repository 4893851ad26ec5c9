#include "studio/ElidedLine.h"

#include "studio/Shapes.h"
#include "studio/StudioLabel.h"

#include <QFontMetrics>
#include <QHelpEvent>
#include <QToolTip>
#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>

namespace sorvel {

ElidedLine::ElidedLine(const QFont& font, const QColor& color, QWidget* parent) : QWidget(parent), m_color(color) {
    setFont(font);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void ElidedLine::setText(const QString& text) {
    if (text == m_text)
        return;
    m_text = text;
    updateGeometry();
    update();
}

QString ElidedLine::shownText() const {
    return Shapes::elidedLine(font(), m_text, width());
}

QString ElidedLine::help() const {
    return shownText() == m_text ? QString() : m_text;
}

bool ElidedLine::event(QEvent* event) {
    // A help text set from outside wins; otherwise a cut text offers itself whole.
    if (event->type() == QEvent::ToolTip && toolTip().isEmpty()) {
        const QString whole = help();
        if (whole.isEmpty()) {
            QToolTip::hideText();
            event->ignore();
        } else {
            QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), Studio::plainToolTip(whole), this);
        }
        return true;
    }
    return QWidget::event(event);
}

QSize ElidedLine::sizeHint() const {
    const QFontMetricsF metrics(font());
    return QSizeF(Shapes::textWidth(font(), m_text) + 2, metrics.height()).toSize();
}

QSize ElidedLine::minimumSizeHint() const {
    // Room for a few characters before eliding, but never more than the text
    // needs: a short title must keep the row's spacing to its neighbour.
    const QSize natural = sizeHint();
    return {std::min(QFontMetrics(font()).averageCharWidth() * 3, natural.width()), natural.height()};
}

void ElidedLine::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QFontMetricsF metrics(font());
    Shapes::drawLine(painter, font(), m_color, {0, metrics.ascent()}, m_text, width());
}

} // namespace sorvel
