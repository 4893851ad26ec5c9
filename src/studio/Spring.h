#pragma once

#include <QEasingCurve>
#include <QVariantAnimation>

namespace sorvel {

// A damped spring that carries a value from where it stands to a new one,
// starting at rest. `response` is the period of the undamped spring in
// seconds; `damping` is the fraction of critical damping, at most 1 (1 comes
// to rest without overshooting, less overshoots a little).
struct Spring {
    double response = 0.5;
    double damping = 1.0;

    // The share of the way covered after `seconds`: 0 at the start, tending to 1.
    double travelled(double seconds) const;
    // How long until the spring stays within a thousandth of the way of its end.
    int milliseconds() const;
    // The spring over normalised time, for an animation of milliseconds():
    // exactly 0 at 0 and exactly 1 at 1.
    double eased(double time) const;
};

// An easing curve that follows the spring `S` (a plain function, as Qt's custom curves must be).
template <Spring S>
QEasingCurve springCurve() {
    QEasingCurve curve;
    curve.setCustomType([](qreal time) -> qreal { return S.eased(time); });
    return curve;
}

// Makes `animation` move as the spring `S`: its duration and curve.
template <Spring S>
void moveAsSpring(QVariantAnimation& animation) {
    animation.setDuration(S.milliseconds());
    animation.setEasingCurve(springCurve<S>());
}

} // namespace sorvel
