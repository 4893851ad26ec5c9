#include "app/detail/ProgressSlider.h"

#include "core/UnitFraction.h"
#include "studio/Studio.h"

#include <QMouseEvent>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QWheelEvent>

#include <cmath>

namespace sorvel {

ProgressSlider::ProgressSlider(QWidget* parent) : QSlider(Qt::Horizontal, parent) {
    setRange(0, steps);
    setSingleStep(1);
    setPageStep(2);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
    showTint();
}

void ProgressSlider::showTint() {
    // The groove in the raised colour, the part up to the handle in the accent.
    // The accent is written into the sheet: a sheet's palette(highlight) is
    // read once, when the slider is first styled.
    setStyleSheet(QStringLiteral("QSlider::groove:horizontal { height: 4px; border-radius: 2px; background: %1; }"
                                 "QSlider::sub-page:horizontal { height: 4px; border-radius: 2px; background: %3; }"
                                 "QSlider::handle:horizontal { width: 14px; height: 14px; margin: -5px 0;"
                                 " border-radius: 7px; background: %2; }"
                                 "QSlider::handle:horizontal:focus { background: %3; }")
                      .arg(Studio::bg3().name(), Studio::text().name(), Studio::tint(this).name()));
}

bool ProgressSlider::event(QEvent* event) {
    if (event->type() == Studio::tintChangeEvent())
        showTint();
    return QSlider::event(event);
}

int ProgressSlider::position(double fraction) {
    return int(std::lround(clampedFraction(fraction) * steps));
}

void ProgressSlider::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        QStyleOptionSlider option;
        initStyleOption(&option);
        const QRect handle = style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, this);
        if (!handle.contains(event->position().toPoint())) {
            const QRect groove = style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderGroove, this);
            const int span = groove.width() - handle.width();
            const int x = int(std::lround(event->position().x())) - groove.x() - handle.width() / 2;
            setValue(QStyle::sliderValueFromPosition(minimum(), maximum(), x, std::max(1, span)));
        }
    }
    // Now on the handle, the press starts a drag as usual.
    QSlider::mousePressEvent(event);
}

void ProgressSlider::wheelEvent(QWheelEvent* event) {
    if (!hasFocus()) {
        event->ignore(); // on to the scroll area
        return;
    }
    QSlider::wheelEvent(event);
}

} // namespace sorvel
