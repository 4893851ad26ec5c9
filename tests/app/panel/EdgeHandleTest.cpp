#include "PanelFixture.h"

#include "app/panel/EdgeHandle.h"
#include "app/panel/EdgePanel.h"
#include "app/panel/EdgeRootView.h"
#include "studio/Studio.h"

namespace sorvel::test {
namespace {

class EdgeHandleTest : public PanelTest {
protected:
    EdgeHandle& handle() {
        controller->start();
        EdgeHandle* shown = controller->panel()->root().handle();
        EXPECT_NE(shown, nullptr);
        return *shown;
    }
};

TEST_F(EdgeHandleTest, TheCapsuleIsFaintUntilSomeTapeIsInProgress) {
    EdgeHandle& strip = handle();
    EXPECT_DOUBLE_EQ(strip.capsuleOpacity(), 0.4);
    const AudioProject project = add(QStringLiteral("Done"), ProjectStatus::Done);
    EXPECT_DOUBLE_EQ(strip.capsuleOpacity(), 0.4);
    store.update(project.id, [](AudioProject& p) { p.status = ProjectStatus::Review; });
    EXPECT_DOUBLE_EQ(strip.capsuleOpacity(), 1.0);
    store.update(project.id, [](AudioProject& p) { p.archivedAt = p.createdAt; });
    EXPECT_DOUBLE_EQ(strip.capsuleOpacity(), 0.4);
}

TEST_F(EdgeHandleTest, TheHandleColourSettingWinsWhenItIsAColourElseTheAccent) {
    EdgeHandle& strip = handle();
    EXPECT_EQ(strip.capsuleColor(), Studio::tape());
    settings.setValue(EdgeHandle::colorKey, QStringLiteral("34C759"));
    EXPECT_EQ(strip.capsuleColor(), QColor(0x34, 0xC7, 0x59));
    settings.setValue(EdgeHandle::colorKey, QStringLiteral("green"));
    EXPECT_EQ(strip.capsuleColor(), Studio::tape());
    settings.setValue(QStringLiteral("appearance.accent"), QStringLiteral("5856D6"));
    EXPECT_EQ(strip.capsuleColor(), QColor(0x58, 0x56, 0xD6));
}

TEST_F(EdgeHandleTest, TheCapsuleSitsAgainstTheOuterEdge) {
    EXPECT_EQ(EdgeHandle::capsuleRect(QSizeF(10, 96), PanelSide::Right), QRectF(3, 6, 5, 84));
    EXPECT_EQ(EdgeHandle::capsuleRect(QSizeF(10, 96), PanelSide::Left), QRectF(2, 6, 5, 84));
}

} // namespace
} // namespace sorvel::test
