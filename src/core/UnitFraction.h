#pragma once

#include <cmath>

namespace sorvel {

// A fraction limited to 0…1; anything that is not a finite number counts as 0.
// Values read from a hand-edited file or passed by a caller may be anything.
inline double clampedFraction(double value) {
    if (!std::isfinite(value) || value <= 0)
        return 0;
    return value >= 1 ? 1 : value;
}

} // namespace sorvel
