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
    // The hashes and heights below were computed from the hashing steps apart from this code.
    const QUuid seed = QUuid::fromString(QStringLiteral("6f9619ff-8b86-d011-b42d-00c04fc964ff"));
    EXPECT_EQ(WaveformPattern::seedHash(seed), 0x98A29561C2F010B3ULL); // "6F9619FF-8B86-…"
    EXPECT_NE(WaveformPattern::seedHash(seed), 0xB2F26427DB48D773ULL); // "6f9619ff-8b86-…"
    EXPECT_EQ(WaveformPattern::seedHash(QUuid::fromString(QStringLiteral("{6F9619FF-8B86-D011-B42D-00C04FC964FF}"))),
              WaveformPattern::seedHash(seed));
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
