#include "studio/ElidedLine.h"

#include "core/UserText.h"
#include "studio/Shapes.h"
#include "studio/StudioLabel.h"

#include <QFontMetrics>
#include <QFontMetricsF>
#include <QHelpEvent>
#include <QPainter>
#include <QtMath>
#include <QToolTip>

#include <algorithm>

namespace sorvel {

ElidedLine::ElidedLine(const QFont& font, const QColor& color, QWidget* parent)
    : ElidedLine(Elide::End, font, color, parent) {}

ElidedLine::ElidedLine(Elide elide, const QFont& font, const QColor& color, QWidget* parent)
    : QWidget(parent), m_elide(elide), m_color(color) {
    setFont(font);
    if (m_elide == Elide::Middle)
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    else
        setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void ElidedLine::setText(const QString& text) {
    const QString line = m_elide == Elide::Middle ? UserText::singleLine(text) : text;
    if (line == m_text)
        return;
    m_text = line;
    if (m_elide == Elide::Middle)
        setToolTip(line);
    updateGeometry();
    update();
}

QString ElidedLine::shownText() const {
    if (m_elide == Elide::Middle)
        return QFontMetrics(font()).elidedText(m_text, Qt::ElideMiddle, width());
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
    // Rounded up: at the rounded-down advance the middle elision already cuts the text.
    if (m_elide == Elide::Middle)
        return {qCeil(metrics.horizontalAdvance(m_text)), qCeil(metrics.height())};
    return QSizeF(Shapes::textWidth(font(), m_text) + 2, metrics.height()).toSize();
}

QSize ElidedLine::minimumSizeHint() const {
    if (m_elide == Elide::Middle)
        return {40, QFontMetrics(font()).height()};
    // Room for a few characters before eliding, but never more than the text
    // needs: a short title must keep the row's spacing to its neighbour.
    const QSize natural = sizeHint();
    return {std::min(QFontMetrics(font()).averageCharWidth() * 3, natural.width()), natural.height()};
}

void ElidedLine::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (m_elide == Elide::Middle) {
        painter.setFont(font());
        painter.setPen(m_color);
        painter.drawText(rect(), Qt::AlignRight | Qt::AlignVCenter, shownText());
        return;
    }
    painter.setRenderHint(QPainter::Antialiasing);
    const QFontMetricsF metrics(font());
    Shapes::drawLine(painter, font(), m_color, {0, metrics.ascent()}, m_text, width());
}

} // namespace sorvel
