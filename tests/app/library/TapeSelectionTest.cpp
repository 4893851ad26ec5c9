#include "support/LibraryFixture.h"

#include "app/library/TapeSelection.h"

namespace sorvel::test {
namespace {

using TapeSelectionTest = LibraryTest;

const QUuid a = QUuid::createUuid();
const QUuid b = QUuid::createUuid();
const QUuid c = QUuid::createUuid();

TEST(TapeSelectionRule, PlainClickSelectsOnlyTheClickedTapeOrEmptiesWhenItWasTheOnlyOne) {
    EXPECT_EQ(TapeSelection::afterClick({}, a, false), QSet<QUuid>{a});
    EXPECT_EQ(TapeSelection::afterClick({b}, a, false), QSet<QUuid>{a});
    EXPECT_EQ(TapeSelection::afterClick({a, b, c}, a, false), QSet<QUuid>{a});
    EXPECT_EQ(TapeSelection::afterClick({a}, a, false), QSet<QUuid>{});
}

TEST(TapeSelectionRule, ToggleAddsOrRemovesAndTwiceRestores) {
    const QSet<QUuid> start{a, b};
    const QSet<QUuid> once = TapeSelection::afterClick(start, c, true);
    EXPECT_EQ(once, (QSet<QUuid>{a, b, c}));
    EXPECT_EQ(TapeSelection::afterClick(once, c, true), start);
    EXPECT_EQ(TapeSelection::afterClick({a}, a, true), QSet<QUuid>{});
}

TEST(TapeSelectionRule, CtrlIsTheToggleModifier) {
    EXPECT_TRUE(TapeSelection::togglesWith(Qt::ControlModifier));
    EXPECT_TRUE(TapeSelection::togglesWith(Qt::ControlModifier | Qt::ShiftModifier));
    EXPECT_FALSE(TapeSelection::togglesWith(Qt::NoModifier));
    EXPECT_FALSE(TapeSelection::togglesWith(Qt::ShiftModifier | Qt::AltModifier));
}

TEST_F(TapeSelectionTest, ClicksChangeTheRoutersSelection) {
    TapeSelection::click(router, a, Qt::NoModifier);
    TapeSelection::click(router, b, Qt::ControlModifier);
    EXPECT_EQ(router.selection(), (QSet<QUuid>{a, b}));
    TapeSelection::click(router, b, Qt::NoModifier);
    EXPECT_EQ(router.selection(), QSet<QUuid>{b});
    TapeSelection::clear(router);
    EXPECT_TRUE(router.selection().isEmpty());
}

} // namespace
} // namespace sorvel::test
