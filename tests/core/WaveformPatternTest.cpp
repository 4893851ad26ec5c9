#include "core/WaveformPattern.h"

#include <gtest/gtest.h>

namespace sorvel {
namespace {

TEST(WaveformPattern, MatchesTheReferenceVector) {
    const QUuid zero;
    EXPECT_EQ(WaveformPattern::seedHash(zero), 0x00134F750754F24FULL);
    const QList<double> heights = WaveformPattern::heights(zero, 6);
    const QList<double> expected{0.524850, 0.293602, 0.357042, 0.960140, 0.459628, 0.375088};
    ASSERT_EQ(heights.size(), expected.size());
    for (qsizetype i = 0; i < expected.size(); ++i)
        EXPECT_NEAR(heights.at(i), expected.at(i), 2e-6) << i;
}

TEST(WaveformPattern, HashesTheUpperCaseText) {
    // Letters in the identifier must be hashed in upper case, whatever text it was read from.
    const QUuid seed = QUuid::fromString(QStringLiteral("6f9619ff-8b86-d011-b42d-00c04fc964ff"));
    EXPECT_EQ(WaveformPattern::seedHash(seed), 0x98A29561C2F010B3ULL);
    const QList<double> heights = WaveformPattern::heights(seed, 4);
    const QList<double> expected{0.387743, 0.570581, 0.489403, 0.375215};
    ASSERT_EQ(heights.size(), expected.size());
    for (qsizetype i = 0; i < expected.size(); ++i)
        EXPECT_NEAR(heights.at(i), expected.at(i), 2e-6) << i;
}

TEST(WaveformPattern, HeightsStayWithinTheEnvelope) {
    for (int run = 0; run < 50; ++run) {
        const QUuid seed = QUuid::createUuid();
        const QList<double> heights = WaveformPattern::heights(seed, 40);
        ASSERT_EQ(heights.size(), 40);
        EXPECT_EQ(heights, WaveformPattern::heights(seed, 40));
        EXPECT_GE(heights.first(), 0.2);
        EXPECT_LT(heights.first(), 0.64);
        for (const double height : heights) {
            EXPECT_GE(height, 0.2);
            EXPECT_LT(height, 1.0);
        }
    }
    EXPECT_TRUE(WaveformPattern::heights(QUuid::createUuid(), 0).isEmpty());
    EXPECT_TRUE(WaveformPattern::heights(QUuid::createUuid(), -3).isEmpty());
}

} // namespace
} // namespace sorvel
