#include "ShellFixture.h"

#include "app/settings/UpdateChecker.h"
#include "app/shell/TrayMenu.h"
#include "core/Settings.h"
#include "support/Waiting.h"

#include <QAction>
#include <QCoreApplication>
#include <QMenu>

namespace sorvel::test {
namespace {

class TrayUpdateItemTest : public AppShellTest {
protected:
    // An automatic check of the tray's checker against a file feed.
    void checkFeed(const QByteArray& manifest) {
        const QString path = environment.scratch() + QStringLiteral("/latest.json");
        writeFile(path, manifest);
        settings.setValue(UpdateChecker::feedURLKey, QUrl::fromLocalFile(path).toString());
        updates.check(false);
        ASSERT_TRUE(waitUntil([this] { return updates.state() != UpdateChecker::State::Checking; }, 5000));
        QCoreApplication::processEvents(); // the menu is rebuilt on the next turn
    }
    QString firstItem() const { return tray.menu()->actions().first()->text(); }

    TrayMenu tray{store, router, panel, updates, ShellActions{{}, {}, {}}};
};

TEST_F(TrayUpdateItemTest, TheNewReleaseItemShowsOnlyWhileAReleaseIsAvailable) {
    // Skipped, so the automatic check opens no alert; the item shows all the same.
    settings.setValue(UpdateChecker::skippedVersionKey, QStringLiteral("99.1"));
    checkFeed(R"({"version":"99.1","url":"https://example.org/","notes":[]})");
    EXPECT_EQ(firstItem(), QStringLiteral("发现新版本 99.1…"));
    checkFeed(R"({"version":"0.1","url":"https://example.org/","notes":[]})");
    EXPECT_NE(firstItem(), QStringLiteral("发现新版本 99.1…"));
    EXPECT_EQ(updates.state(), UpdateChecker::State::UpToDate);
}

} // namespace
} // namespace sorvel::test
