#include "studio/DateChip.h"

#include "studio/FocusRing.h"
#include "studio/Shapes.h"
#include "studio/Studio.h"
#include "studio/ValueChange.h"

#include "core/StudioText.h"

#include <QPainter>

#include <cmath>

namespace sorvel {

namespace {
constexpr qreal horizontalPadding = 4;
constexpr qreal verticalPadding = 2;
constexpr qreal radius = 4;
} // namespace

DateChip::DateChip(const std::optional<QDateTime>& date, const QString& placeholder, bool allowsClear,
                   const QFont& font, QWidget* parent)
    : QAbstractButton(parent), m_date(date), m_placeholder(placeholder), m_allowsClear(allowsClear) {
    setFont(font);
    setCursor(Qt::PointingHandCursor);
    // Reached with Tab, where the focus shows; a click opens the popover without leaving a ring behind.
    setFocusPolicy(Qt::TabFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setAttribute(Qt::WA_TranslucentBackground);
    setText(displayText());
    connect(this, &QAbstractButton::clicked, this, &DateChip::openPopover);
}

QString DateChip::displayText(const std::optional<QDateTime>& date, const QString& placeholder) {
    return date && date->isValid() ? StudioText::shortDate(*date) : placeholder;
}

QString DateChip::displayText() const {
    return displayText(m_date, m_placeholder);
}

void DateChip::setDate(const std::optional<QDateTime>& date) {
    if (!changeValue(m_date, date))
        return;
    setText(displayText());
    updateGeometry();
    update();
}

QSizeF DateChip::sizeFor(const QString& text, const QFont& font) {
    return {Shapes::textWidth(font, text) + horizontalPadding * 2, Shapes::lineHeight(font) + verticalPadding * 2};
}

void DateChip::paint(QPainter& painter, const QRectF& rect, const std::optional<QDateTime>& date,
                     const QString& placeholder, const QFont& font, bool open) {
    const bool hasDate = date && date->isValid();
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    if (open)
        Shapes::fillRounded(painter, rect, radius, Studio::bg3());
    const qreal baseline = Shapes::centredBaseline(font, rect.center().y());
    Shapes::drawLine(painter, font, hasDate ? Studio::text2() : Studio::faded(Studio::text3(), 0.6),
                     QPointF(rect.left() + horizontalPadding, baseline), displayText(date, placeholder),
                     rect.width() - horizontalPadding * 2 + 0.5);
    painter.restore();
}

QSize DateChip::sizeHint() const {
    const QSizeF size = sizeFor(displayText(), font());
    return QSize(int(std::ceil(size.width())), int(std::ceil(size.height())));
}

void DateChip::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setOpacity(isEnabled() ? 1.0 : 0.4);
    // The plate marks an open popover or the keyboard focus; a press alone leaves the chip as it is.
    const bool focused = hasFocus();
    paint(painter, QRectF(rect()), m_date, m_placeholder, font(), isShowingPopover() || focused);
    if (focused)
        FocusRing::paint(painter, this, QRectF(rect()), radius);
}

void DateChip::openPopover() {
    if (isShowingPopover())
        return;
    // A chip without a date never offers to clear.
    auto* popover = new DatePopover(m_date, m_allowsClear && m_date.has_value(), this, m_now);
    m_popover = popover;
    connect(popover, &DatePopover::picked, this, &DateChip::dateChosen);
    popover->openFrom(this);
}

} // namespace sorvel
