#include "studio/Spring.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace sorvel {

namespace {
// What counts as having arrived, as a share of the way.
constexpr double restTolerance = 0.001;
} // namespace

double Spring::travelled(double seconds) const {
    const double omega = 2 * std::numbers::pi / response;
    if (damping >= 1) {
        const double x = omega * seconds;
        return 1 - (1 + x) * std::exp(-x);
    }
    const double decay = damping * omega;
    const double ringing = omega * std::sqrt(1 - damping * damping);
    return 1
        - std::exp(-decay * seconds) * (std::cos(ringing * seconds) + decay / ringing * std::sin(ringing * seconds));
}

int Spring::milliseconds() const {
    const double omega = 2 * std::numbers::pi / response;
    double seconds = 0;
    if (damping >= 1) {
        // (1 + x)·e^−x = tolerance, solved by iterating x = ln((1 + x) / tolerance).
        double x = std::log(1 / restTolerance);
        for (int i = 0; i < 8; ++i)
            x = std::log((1 + x) / restTolerance);
        seconds = x / omega;
    } else {
        // The swing around the end stays inside e^(−ζωt) / √(1 − ζ²).
        const double spread = std::sqrt(1 - damping * damping);
        seconds = std::log(1 / (restTolerance * spread)) / (damping * omega);
    }
    return std::max(1, int(std::ceil(seconds * 1000)));
}

double Spring::eased(double time) const {
    if (time <= 0)
        return 0;
    if (time >= 1)
        return 1;
    const double duration = milliseconds() / 1000.0;
    // The last thousandth of the way is spread over the whole run, so the end is exact without a jump.
    return travelled(time * duration) + time * (1 - travelled(duration));
}

} // namespace sorvel
