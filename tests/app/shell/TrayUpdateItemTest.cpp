#include "app/navigation/RouterFixture.h"

#include "app/settings/UpdateChecker.h"
#include "app/shell/TrayMenu.h"
#include "core/Settings.h"
#include "support/Waiting.h"

#include <QAction>
#include <QCoreApplication>
#include <QMenu>

namespace sorvel::test {
namespace {

class TrayUpdateItemTest : public ShellTest {
protected:
    void TearDown() override {
        for (const QString& key :
             {UpdateChecker::feedURLKey, UpdateChecker::skippedVersionKey, UpdateChecker::lastCheckKey})
            Settings::shared().remove(key);
    }
    // An automatic check of the shared checker against a file feed.
    void checkShared(const QByteArray& manifest) {
        const QString path = environment.scratch() + QStringLiteral("/latest.json");
        writeFile(path, manifest);
        Settings::shared().setValue(UpdateChecker::feedURLKey, QUrl::fromLocalFile(path).toString());
        UpdateChecker::shared().check(false);
        ASSERT_TRUE(waitUntil([] { return UpdateChecker::shared().state() != UpdateChecker::State::Checking; }, 5000));
        QCoreApplication::processEvents(); // the menu is rebuilt on the next turn
    }
    QString firstItem() const { return tray.menu()->actions().first()->text(); }

    TrayMenu tray{store, router, ShellActions{{}, {}, {}}};
};

TEST_F(TrayUpdateItemTest, TheNewReleaseItemShowsOnlyWhileAReleaseIsAvailable) {
    // Skipped, so the automatic check opens no alert; the item shows all the same.
    Settings::shared().setValue(UpdateChecker::skippedVersionKey, QStringLiteral("99.1"));
    checkShared(R"({"version":"99.1","url":"https://example.org/","notes":[]})");
    EXPECT_EQ(firstItem(), QStringLiteral("发现新版本 99.1…"));
    checkShared(R"({"version":"0.1","url":"https://example.org/","notes":[]})");
    EXPECT_NE(firstItem(), QStringLiteral("发现新版本 99.1…"));
    EXPECT_EQ(UpdateChecker::shared().state(), UpdateChecker::State::UpToDate);
}

} // namespace
} // namespace sorvel::test
