#include "app/sheets/SegmentedPicker.h"

#include "studio/Shapes.h"
#include "studio/Studio.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace sorvel {

namespace {

constexpr qreal segmentPadding = 14;
constexpr qreal radius = 6;

QFont segmentFont() {
    return Studio::font(12, Studio::Weight::Medium);
}

} // namespace

SegmentedPicker::SegmentedPicker(const QStringList& titles, QWidget* parent) : QWidget(parent), m_titles(titles) {
    setFocusPolicy(Qt::TabFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setCursor(Qt::PointingHandCursor);
}

void SegmentedPicker::setCurrentIndex(int index) {
    if (index < 0 || index >= m_titles.size() || index == m_current)
        return;
    m_current = index;
    update();
    Q_EMIT currentIndexChanged(index);
}

QSize SegmentedPicker::sizeHint() const {
    qreal widest = 0;
    for (const QString& title : m_titles)
        widest = std::max(widest, Shapes::textWidth(segmentFont(), title));
    const int segment = int(std::ceil(widest + 2 * segmentPadding));
    return QSize(segment * int(std::max<qsizetype>(1, m_titles.size())) + 4, 26);
}

QRectF SegmentedPicker::segmentRect(int index) const {
    const QRectF inner = QRectF(rect()).adjusted(2, 2, -2, -2);
    const qreal width = inner.width() / std::max<qsizetype>(1, m_titles.size());
    return QRectF(inner.left() + index * width, inner.top(), width, inner.height());
}

void SegmentedPicker::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setOpacity(isEnabled() ? 1.0 : 0.4);
    Shapes::fillRounded(painter, rect(), radius + 2, Studio::bg3());
    painter.setFont(segmentFont());
    for (int i = 0; i < m_titles.size(); ++i) {
        const QRectF box = segmentRect(i);
        const bool chosen = i == m_current;
        if (chosen)
            Shapes::fillRounded(painter, box, radius, Studio::tint(this));
        painter.setPen(chosen ? Studio::bg0() : Studio::text());
        painter.drawText(box, Qt::AlignCenter, m_titles[i]);
    }
    if (hasFocus())
        Shapes::strokeRoundedInside(painter, rect(), radius + 2, Studio::faded(Studio::tint(this), 0.6), 1);
}

void SegmentedPicker::mousePressEvent(QMouseEvent* event) {
    for (int i = 0; i < m_titles.size(); ++i) {
        if (segmentRect(i).contains(event->position())) {
            setCurrentIndex(i);
            break;
        }
    }
    event->accept();
}

void SegmentedPicker::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Left)
        setCurrentIndex(m_current - 1);
    else if (event->key() == Qt::Key_Right)
        setCurrentIndex(m_current + 1);
    else
        QWidget::keyPressEvent(event);
}

} // namespace sorvel
