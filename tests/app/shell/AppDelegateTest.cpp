#include "ShellFixture.h"

#include "app/library/MainWindow.h"
#include "app/shell/AppDelegate.h"

#include "core/Storage.h"

#include <QApplication>
#include <QTimer>

#include <csignal>

namespace sorvel::test {
namespace {

class AppDelegateTest : public ShellTest {
protected:
    AppDelegate delegate{store, router};
};

TEST_F(AppDelegateTest, TheWindowOpensLargeEnoughAndClosingOnlyHidesIt) {
    delegate.launch(QString());
    MainWindow& window = delegate.mainWindow();
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.size(), QSize(1320, 780));
    EXPECT_EQ(window.minimumSize(), QSize(1080, 600));
    EXPECT_FALSE(QApplication::quitOnLastWindowClosed());

    window.close();
    EXPECT_FALSE(window.isVisible());
    delegate.openLink(QString());
    EXPECT_TRUE(window.isVisible());
}

TEST_F(AppDelegateTest, LinksOfOurSchemeBringTheWindowBackOthersDoNot) {
    const AudioProject project = add(QStringLiteral("Score"));
    MainWindow& window = delegate.mainWindow();
    window.hide();

    delegate.openLink(QStringLiteral("SORVEL://main"));
    delegate.openLink(QStringLiteral("https://example.com"));
    EXPECT_FALSE(window.isVisible());

    delegate.openLink(QStringLiteral("sorvel://unknown-host"));
    EXPECT_TRUE(window.isVisible());

    window.hide();
    delegate.openLink(project.deepLink().toString());
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(router.selection(), QSet<QUuid>{project.id});
}

TEST_F(AppDelegateTest, QuittingBySignalWritesThePendingChange) {
    const AudioProject project = add(QStringLiteral("Unsaved"));
    ASSERT_TRUE(store.isDirty());
    // A visible window that only hides when closed must not hold the quit up.
    delegate.launch(QString());

    // Sent from inside the event loop, well before the delayed save would run.
    QTimer::singleShot(0, [] { ::raise(SIGTERM); });
    QTimer safety;
    safety.setSingleShot(true);
    QObject::connect(&safety, &QTimer::timeout, [] { ADD_FAILURE() << "no quit"; QCoreApplication::quit(); });
    safety.start(10000);
    QApplication::exec();

    EXPECT_FALSE(store.isDirty());
    bool written = false;
    for (const AudioProject& stored : Storage::load().projects)
        written = written || stored.id == project.id;
    EXPECT_TRUE(written);
}

} // namespace
} // namespace sorvel::test
