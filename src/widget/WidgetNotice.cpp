#include "widget/WidgetNotice.h"

#include "studio/Shapes.h"
#include "studio/Studio.h"
#include "widget/WidgetLook.h"

#include <QPainter>

#include <cmath>

namespace sorvel {

namespace {

constexpr qreal fontSize = 11;
constexpr qreal paddingX = 10;
constexpr qreal paddingY = 5;
constexpr qreal radius = 8;

QFont noticeFont() {
    return Studio::font(fontSize, Studio::Weight::Medium);
}

} // namespace

WidgetNotice::WidgetNotice(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    hide();
    m_hide.setSingleShot(true);
    m_hide.setInterval(shownMs);
    connect(&m_hide, &QTimer::timeout, this, &QWidget::hide);
}

void WidgetNotice::showText(const QString& text) {
    m_text = text;
    place();
    raise();
    show();
    update();
    m_hide.start();
}

void WidgetNotice::place() {
    const QWidget* face = parentWidget();
    const int margin = WidgetLook::contentMargin;
    const QFont font = noticeFont();
    const int width =
        std::min(int(std::ceil(Shapes::textWidth(font, m_text) + 2 * paddingX)), face->width() - 2 * margin);
    const int height = int(std::ceil(Shapes::lineHeight(font) + 2 * paddingY));
    setGeometry((face->width() - width) / 2, face->height() - margin - height, width, height);
}

void WidgetNotice::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF pill = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    Shapes::fillRounded(painter, pill, radius, Studio::bg3());
    painter.setPen(QPen(Studio::line(), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(pill, radius, radius);
    const QFont font = noticeFont();
    const qreal available = width() - 2 * paddingX;
    const qreal textWidth = std::min(Shapes::textWidth(font, m_text), available);
    Shapes::drawLine(painter, font, Studio::text(),
                     QPointF((width() - textWidth) / 2, Shapes::centredBaseline(font, height() / 2.0)), m_text,
                     available);
}

} // namespace sorvel
