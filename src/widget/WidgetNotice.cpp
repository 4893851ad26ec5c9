#include "widget/WidgetNotice.h"

#include "studio/Shapes.h"
#include "studio/Studio.h"
#include "widget/WidgetLook.h"

#include <QPainter>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>

namespace sorvel {

namespace {

constexpr qreal fontSize = 11;
constexpr qreal paddingX = 10;
constexpr qreal paddingY = 5;
constexpr qreal radius = 8;
constexpr int maxLines = 2;

QFont noticeFont() {
    return Studio::font(fontSize, Studio::Weight::Medium);
}

// A sentence too wide for one line breaks where it pauses (after its comma,
// or the colon before a reason) when both halves fit; else wherever the width ends.
FittedText noticeLines(const QString& text, qreal width) {
    const QFont font = noticeFont();
    static const QRegularExpression pause(QStringLiteral("[，：]"));
    const qsizetype pauseAt = text.indexOf(pause);
    if (Shapes::textWidth(font, text) > width && pauseAt > 0) {
        const QStringList halves{text.left(pauseAt + 1), text.mid(pauseAt + 1)};
        if (std::all_of(halves.cbegin(), halves.cend(),
                        [&](const QString& half) { return Shapes::textWidth(font, half) <= width; }))
            return {font, halves};
    }
    return FittedText::fit(text, font, width, maxLines, 1);
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
    const qreal widest = face->width() - 2 * margin - 2 * paddingX;
    // The small widget is too narrow for a sentence on one line: it takes a second one.
    m_shown = noticeLines(m_text, widest);
    qreal textWidth = 0;
    for (const QString& line : std::as_const(m_shown.lines))
        textWidth = std::max(textWidth, Shapes::textWidth(m_shown.font, line));
    const int width = int(std::ceil(std::min(textWidth, widest) + 2 * paddingX));
    const int height = int(std::ceil(m_shown.height() + 2 * paddingY));
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
    const qreal available = width() - 2 * paddingX;
    const qreal lineHeight = Shapes::lineHeight(m_shown.font);
    qreal lineMiddle = paddingY + lineHeight / 2;
    for (const QString& line : std::as_const(m_shown.lines)) {
        const qreal lineWidth = std::min(Shapes::textWidth(m_shown.font, line), available);
        Shapes::drawLine(painter, m_shown.font, Studio::text(),
                         QPointF((width() - lineWidth) / 2, Shapes::centredBaseline(m_shown.font, lineMiddle)), line,
                         available);
        lineMiddle += lineHeight;
    }
}

} // namespace sorvel
