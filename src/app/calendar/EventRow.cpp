#include "app/calendar/EventRow.h"
#include "studio/StudioLabel.h"

#include "core/UserText.h"
#include "studio/Shapes.h"
#include "studio/Studio.h"

#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

namespace sorvel {

namespace {

constexpr qreal inset = 8;
constexpr qreal barWidth = 3;
constexpr qreal barSpacing = 8;
constexpr qreal lineSpacing = 2;

QFont nameFont() {
    return Studio::font(12, Studio::Weight::Semibold);
}
QFont labelFont() {
    return Studio::font(11);
}

} // namespace

EventRow::EventRow(const CalendarEvent& event, QWidget* parent) : QAbstractButton(parent), m_event(event) {
    setFocusPolicy(Qt::NoFocus);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setToolTip(Studio::plainToolTip(QStringLiteral("在右侧打开「") + UserText::singleLine(event.projectName)
                                    + QStringLiteral("」")));
    setAccessibleName(UserText::singleLine(event.projectName));
    connect(this, &QAbstractButton::clicked, this, [this] { Q_EMIT activated(m_event.projectID); });
}

QSize EventRow::sizeHint() const {
    qreal height = QFontMetricsF(nameFont()).height();
    if (m_event.cueLabel)
        height += lineSpacing + QFontMetricsF(labelFont()).height();
    return QSize(200, int(std::ceil(height + 2 * inset)));
}

QSize EventRow::minimumSizeHint() const {
    return QSize(40, sizeHint().height());
}

void EventRow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF bounds = rect();
    Shapes::fillRounded(painter, bounds, 8, Studio::bg2());

    const QRectF area = bounds.adjusted(inset, inset, -inset, -inset);
    Shapes::fillCapsule(painter, QRectF(area.left(), area.top(), barWidth, area.height()), m_event.color);

    const qreal textLeft = area.left() + barWidth + barSpacing;
    const qreal textWidth = area.right() - textLeft;
    const QFontMetricsF nameMetrics(nameFont());
    Shapes::drawLine(painter, nameFont(), Studio::text(), QPointF(textLeft, area.top() + nameMetrics.ascent()),
                     UserText::singleLine(m_event.projectName), textWidth);
    if (m_event.cueLabel) {
        const QFontMetricsF labelMetrics(labelFont());
        const qreal top = area.top() + nameMetrics.height() + lineSpacing;
        Shapes::drawLine(painter, labelFont(), Studio::text2(), QPointF(textLeft, top + labelMetrics.ascent()),
                         UserText::singleLine(*m_event.cueLabel), textWidth);
    }
}

} // namespace sorvel
