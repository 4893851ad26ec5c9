#include "app/detail/DurationChip.h"

#include "app/detail/DurationPicker.h"
#include "core/CueTime.h"
#include "studio/FocusRing.h"
#include "studio/Shapes.h"
#include "studio/Studio.h"
#include "studio/ValueChange.h"

#include <QPainter>

#include <cmath>

namespace sorvel {

namespace {
constexpr qreal horizontalPadding = 4;
constexpr qreal verticalPadding = 2;
constexpr qreal radius = 4;

QFont chipFont() {
    return Studio::font(12, Studio::Weight::Regular, true);
}
} // namespace

DurationChip::DurationChip(std::optional<qint64> duration, QWidget* parent)
    : QAbstractButton(parent), m_duration(duration) {
    setFont(chipFont());
    setCursor(Qt::PointingHandCursor);
    // Reached with Tab, where the focus shows; a click opens the picker without leaving a ring behind.
    setFocusPolicy(Qt::TabFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setAttribute(Qt::WA_TranslucentBackground);
    setToolTip(QStringLiteral("点击选择时长"));
    setText(displayText());
    connect(this, &QAbstractButton::clicked, this, &DurationChip::openPicker);
}

QString DurationChip::displayText(std::optional<qint64> duration) {
    // CueTime shows a negative length from a crafted file as 00:00.
    return duration ? CueTime::format(*duration) : QStringLiteral("--:--");
}

QString DurationChip::displayText() const {
    return displayText(m_duration);
}

void DurationChip::setDuration(std::optional<qint64> duration) {
    if (!changeValue(m_duration, duration))
        return;
    setText(displayText());
    updateGeometry();
    update();
}

DurationPicker* DurationChip::picker() const {
    return m_picker;
}

bool DurationChip::isShowingPicker() const {
    return m_picker && m_picker->isVisible();
}

void DurationChip::openPicker() {
    if (isShowingPicker())
        return;
    auto* picker = new DurationPicker(m_duration, this);
    m_picker = picker;
    connect(picker, &DurationPicker::durationChanged, this, &DurationChip::durationChosen);
    picker->openFrom(this);
}

QSize DurationChip::sizeFor(std::optional<qint64> duration) {
    const QFont font = chipFont();
    const qreal width = Shapes::textWidth(font, displayText(duration)) + 2 * horizontalPadding;
    const qreal height = Shapes::lineHeight(font) + 2 * verticalPadding;
    return {int(std::ceil(width)), int(std::ceil(height))};
}

QSize DurationChip::sizeHint() const {
    return sizeFor(m_duration);
}

void DurationChip::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF plate(rect());
    // The plate marks an open picker, a press or the keyboard focus, as on a date chip.
    const bool focused = hasFocus();
    if (isShowingPicker() || isDown() || focused)
        Shapes::fillRounded(painter, plate, radius, Studio::bg3());
    const QColor color = m_duration ? Studio::text() : Studio::faded(Studio::text3(), 0.6);
    const qreal textWidth = Shapes::textWidth(font(), displayText());
    const qreal left = plate.center().x() - textWidth / 2;
    Shapes::drawLine(painter, font(), color, {left, Shapes::centredBaseline(font(), plate.center().y())}, displayText(),
                     textWidth + 1);
    if (focused)
        FocusRing::paint(painter, this, plate, radius);
}

} // namespace sorvel
