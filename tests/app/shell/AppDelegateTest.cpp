#include "ShellFixture.h"

#include "app/library/MainWindow.h"
#include "app/library/SheetPresenter.h"
#include "app/shell/AppDelegate.h"
#include "app/shell/TrayMenu.h"
#include "studio/AppearanceHost.h"
#include "studio/Studio.h"
#include "support/Waiting.h"

#include "core/Storage.h"

#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QMenu>
#include <QTimer>

#include <csignal>
#include <functional>

namespace sorvel::test {
namespace {

// Calls back whenever a dialog is shown, for as long as it lives.
class DialogShowSpy : public QObject {
public:
    explicit DialogShowSpy(std::function<void()> onShow) : m_onShow(std::move(onShow)) {
        QApplication::instance()->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && qobject_cast<QDialog*>(watched))
            m_onShow();
        return false;
    }

private:
    std::function<void()> m_onShow;
};

class AppDelegateTest : public AppShellTest {
protected:
    AppDelegate delegate{store, router, settings, panel, updates};
};

TEST_F(AppDelegateTest, TheWindowOpensLargeEnoughAndClosingOnlyHidesIt) {
    MainWindow& window = delegate.mainWindow();
    const QRect available = window.screen()->availableGeometry();
    // The test screen is narrower than the window's minimum and high enough for its first height.
    ASSERT_LT(available.width(), MainWindow::minimumWindowSize.width());
    ASSERT_GE(available.height(), MainWindow::initialSize.height() + 10);
    delegate.launch(QString());
    EXPECT_TRUE(window.isVisible());
    // Room for the sidebar, an open drawer and a page that stays whole beside it.
    EXPECT_EQ(window.minimumSize(), QSize(1276, 600));
    // As wide as the screen allows, which is the minimum here; the first height fits and is kept.
    EXPECT_EQ(window.size(), QSize(1276, 780));
    // Framed, it starts at the screen's left edge and lies within its height.
    ASSERT_TRUE(waitUntil([&] { return window.frameGeometry().left() == available.left(); }, 3000));
    EXPECT_GE(window.frameGeometry().top(), available.top());
    EXPECT_LE(window.frameGeometry().bottom(), available.bottom());
    EXPECT_FALSE(QApplication::quitOnLastWindowClosed());

    window.close();
    EXPECT_FALSE(window.isVisible());
    delegate.openLink(QString());
    EXPECT_TRUE(window.isVisible());
}

// A program started with a purple accent.
class PurpleStartTest : public AppShellTest {
protected:
    static bool storePurple(Settings& into) {
        into.setValue(AppearanceHost::accentKey, QStringLiteral("AF52DE"));
        return true;
    }
    const bool stored = storePurple(settings);
    AppDelegate delegate{store, router, settings, panel, updates};
};

// Menus highlight in the accent of their window; the tray's menu has none and
// takes the main window's, at start and at once when it changes.
TEST_F(PurpleStartTest, TheTrayMenuTakesTheAccent) {
    QMenu* menu = delegate.trayMenu().menu();
    EXPECT_EQ(Studio::tint(menu), QColor(0xAF, 0x52, 0xDE));
    settings.setValue(AppearanceHost::accentKey, QStringLiteral("34C759"));
    EXPECT_EQ(Studio::tint(menu), QColor(0x34, 0xC7, 0x59));
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
    QObject::connect(&safety, &QTimer::timeout, [] {
        ADD_FAILURE() << "no quit";
        QCoreApplication::quit();
    });
    safety.start(10000);
    QApplication::exec();

    EXPECT_FALSE(store.isDirty());
    bool written = false;
    for (const AudioProject& stored : Storage::load(disk).projects)
        written = written || stored.id == project.id;
    EXPECT_TRUE(written);
}

TEST_F(AppDelegateTest, ASheetLinkRestoresAMinimizedWindowBeforeTheSheetOpens) {
    const AudioProject ready = add(QStringLiteral("Ready"), ProjectStatus::Done);
    MainWindow& window = delegate.mainWindow();
    delegate.launch(QString());
    for (const QString& link : sheetLinks(ready)) {
        SCOPED_TRACE(link.toStdString());
        window.showMinimized();
        ASSERT_TRUE(window.isMinimized());

        // A window manager hands the activation of a window to its modal sheet:
        // a sheet shown over the minimized window would leave it iconified.
        bool minimizedUnderSheet = false;
        DialogShowSpy spy([&] { minimizedUnderSheet = minimizedUnderSheet || window.isMinimized(); });
        delegate.openLink(link);
        ASSERT_TRUE(waitUntil([&] { return window.sheets()->currentDialog() != nullptr; }, 2000));

        EXPECT_FALSE(minimizedUnderSheet);
        EXPECT_FALSE(window.isMinimized());
        EXPECT_TRUE(window.isVisible());

        window.sheets()->currentDialog()->reject();
        ASSERT_TRUE(waitUntil([&] { return window.sheets()->currentDialog() == nullptr; }, 2000));
        delegate.openLink(QStringLiteral("sorvel://main"));
        EXPECT_FALSE(window.isMinimized());
        EXPECT_TRUE(window.isVisible());
    }
}

TEST_F(AppDelegateTest, ASheetRequestedWhileMinimizedWaitsAndOpensWhenTheWindowIsRestored) {
    MainWindow& window = delegate.mainWindow();
    delegate.launch(QString());
    window.showMinimized();
    router.setShowingNewProject(true);
    ASSERT_TRUE(waitForQueuedEvents());
    EXPECT_EQ(window.sheets()->currentDialog(), nullptr);

    window.showNormal(); // as a task bar does, without a link
    ASSERT_TRUE(waitUntil([&] { return window.sheets()->currentDialog() != nullptr; }, 2000));
    EXPECT_TRUE(window.sheets()->currentDialog()->isVisible());
    window.sheets()->currentDialog()->reject();
}

TEST_F(AppDelegateTest, CtrlQWithAnOpenSheetWritesThePendingChangeAndQuits) {
    const AudioProject project = add(QStringLiteral("Unsaved"));
    ASSERT_TRUE(store.isDirty());
    delegate.launch(QString());
    router.setShowingNewProject(true);
    QDialog* sheet = delegate.mainWindow().sheets()->currentDialog();
    ASSERT_NE(sheet, nullptr);

    bool pressedOverTheSheet = false;
    QTimer::singleShot(0, [&] {
        // The press goes where the keyboard is: into the sheet, whose window
        // blocks the main window's own Ctrl+Q.
        QWidget* target = sheet->focusWidget() ? sheet->focusWidget() : sheet;
        pressedOverTheSheet = target->window() == sheet && sheet->isVisible();
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Q, Qt::ControlModifier, QStringLiteral("\x11"));
        QApplication::sendEvent(target, &press);
    });
    QTimer safety;
    safety.setSingleShot(true);
    QObject::connect(&safety, &QTimer::timeout, [] {
        ADD_FAILURE() << "Ctrl+Q did not quit";
        QCoreApplication::exit(1);
    });
    safety.start(10000);
    EXPECT_EQ(QApplication::exec(), 0);

    EXPECT_TRUE(pressedOverTheSheet);
    EXPECT_FALSE(store.isDirty());
    bool written = false;
    for (const AudioProject& stored : Storage::load(disk).projects)
        written = written || stored.id == project.id;
    EXPECT_TRUE(written);
}

} // namespace
} // namespace sorvel::test
