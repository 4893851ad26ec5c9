#include "studio/Spring.h"

#include <gtest/gtest.h>

#include <cmath>

namespace sorvel {
namespace {

constexpr Spring critical{0.5, 1.0};
constexpr Spring lively{0.2, 0.85};

TEST(Spring, ACriticallyDampedSpringRisesWithoutOvershootAndEndsExactly) {
    EXPECT_EQ(critical.eased(0), 0);
    EXPECT_EQ(critical.eased(1), 1);
    double previous = 0;
    for (int i = 1; i < 100; ++i) {
        const double value = critical.eased(i / 100.0);
        EXPECT_GT(value, previous) << "at " << i << " %";
        EXPECT_LT(value, 1) << "at " << i << " %";
        previous = value;
    }
    // Fast at first, as a spring and not a ramp: (1 + ωt)·e^−ωt of the way is left, ω = 2π / 0.5 s.
    EXPECT_NEAR(critical.travelled(0.1), 0.3577, 0.0005);
    EXPECT_NEAR(critical.travelled(0.5), 0.9864, 0.0005);
    // It rests a while after its response: within a thousandth of the way from then on.
    const int ms = critical.milliseconds();
    EXPECT_GT(ms, 500);
    EXPECT_LT(ms, 1000);
    EXPECT_LE(1 - critical.travelled(ms / 1000.0), 0.001);
    EXPECT_GT(1 - critical.travelled((ms - 20) / 1000.0), 0.001);
}

TEST(Spring, ALighterDampingSwingsSlightlyPastTheEndAndSettles) {
    EXPECT_EQ(lively.eased(0), 0);
    EXPECT_EQ(lively.eased(1), 1);
    double highest = 0;
    for (int i = 1; i < 100; ++i)
        highest = std::max(highest, lively.eased(i / 100.0));
    EXPECT_GT(highest, 1);
    EXPECT_LT(highest, 1.01);

    const int ms = lively.milliseconds();
    EXPECT_GT(ms, 200);
    EXPECT_LT(ms, 400);
    for (int t = ms; t < ms + 200; t += 5)
        EXPECT_LE(std::abs(1 - lively.travelled(t / 1000.0)), 0.001) << "at " << t << " ms";
}

TEST(Spring, AnAnimationMovesAsItsSpring) {
    QVariantAnimation animation;
    moveAsSpring<lively>(animation);
    animation.setStartValue(10.0);
    animation.setEndValue(20.0);
    EXPECT_EQ(animation.duration(), lively.milliseconds());
    animation.setCurrentTime(animation.duration() / 4);
    const double share = double(animation.currentTime()) / animation.duration();
    EXPECT_NEAR(animation.currentValue().toDouble(), 10 + 10 * lively.eased(share), 1e-9);
    animation.setCurrentTime(animation.duration());
    EXPECT_DOUBLE_EQ(animation.currentValue().toDouble(), 20.0);
}

} // namespace
} // namespace sorvel
