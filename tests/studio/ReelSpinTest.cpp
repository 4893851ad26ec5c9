#include "support/Waiting.h"

#include "core/TypeRegistry.h"
#include "studio/CassetteCard.h"
#include "studio/ReelSpin.h"
#include "studio/ReelView.h"
#include "studio/TapeWindow.h"

#include <QTest>

#include <gtest/gtest.h>

namespace sorvel {
namespace {

// Whether a reel of `host` turns or settles: a hub at rest that is not moving stays at rest.
bool isMoving(const QWidget& host) {
    const ReelSpin* spin = host.findChild<ReelSpin*>();
    return spin && spin->isMoving();
}

TEST(ReelSpin, AReelToldToTurnWhileHiddenTurnsOnceShown) {
    ReelView reel(0.7, 22, true);
    reel.show();
    EXPECT_TRUE(test::waitUntil([&] { return reel.hubAngle() > 5; }, 3000));

    // Inside a pane that is filled before it is shown, as the detail does.
    QWidget pane;
    auto* window = new TapeWindow(0.5, Qt::red, 30, false, &pane);
    window->setSpinning(true);
    pane.show();
    EXPECT_TRUE(test::waitUntil([&] { return window->hubAngle() > 5; }, 3000));
}

TEST(ReelSpin, TurnsOnceSpinningChangesWhileShownAndSettlesWhenStopped) {
    ReelView reel(0.7, 22, false);
    reel.show();
    reel.setSpinning(true);
    EXPECT_TRUE(test::waitUntil([&] { return reel.hubAngle() > 5; }, 3000));
    reel.setSpinning(false);
    EXPECT_TRUE(test::waitUntil([&] { return reel.hubAngle() == 0; }, 3000));
    // Settled, it stays at rest.
    ASSERT_TRUE(test::waitForQueuedEvents());
    EXPECT_FALSE(isMoving(reel));
    EXPECT_EQ(reel.hubAngle(), 0);
}

TEST(ReelSpin, CardReelsTurnOnHoverOnlyWhileActive) {
    AudioProject project = AudioProject::make(QStringLiteral("A"), ProjectType::musicID);
    const TypeRegistry types;
    CassetteCard card(project, types);
    card.show();
    card.setHovering(true);
    EXPECT_TRUE(card.reelsSpinning());
    card.setHovering(false);
    EXPECT_FALSE(card.reelsSpinning());
    project.status = ProjectStatus::Done;
    card.setProject(project);
    card.setHovering(true);
    EXPECT_FALSE(card.reelsSpinning());
}

} // namespace
} // namespace sorvel
