#include "app/settings/ElidedLabel.h"

#include "core/UserText.h"

#include <QFontMetrics>
#include <QtMath>
#include <QPainter>

namespace sorvel {

ElidedLabel::ElidedLabel(const QFont& font, const QColor& color, QWidget* parent) : QWidget(parent), m_color(color) {
    setFont(font);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
}

void ElidedLabel::setText(const QString& text) {
    const QString line = UserText::singleLine(text);
    if (m_text == line)
        return;
    m_text = line;
    setToolTip(line);
    updateGeometry();
    update();
}

QString ElidedLabel::shownText() const {
    return QFontMetrics(font()).elidedText(m_text, Qt::ElideMiddle, width());
}

QSize ElidedLabel::sizeHint() const {
    // Rounded up: at the rounded-down advance the elision already cuts the text.
    const QFontMetricsF metrics(font());
    return {qCeil(metrics.horizontalAdvance(m_text)), qCeil(metrics.height())};
}

QSize ElidedLabel::minimumSizeHint() const {
    return {40, QFontMetrics(font()).height()};
}

void ElidedLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setFont(font());
    painter.setPen(m_color);
    painter.drawText(rect(), Qt::AlignRight | Qt::AlignVCenter, shownText());
}

} // namespace sorvel
