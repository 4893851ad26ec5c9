#include "ShellFixture.h"

#include "app/library/MainWindow.h"
#include "app/library/SheetPresenter.h"
#include "app/shell/AppDelegate.h"
#include "support/Waiting.h"

#include <QDialog>
#include <QGuiApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QWindow>

namespace sorvel::test {
namespace {

// Whether a window is minimized is the window manager's business: offscreen
// it is only a stored flag. So the real check runs in a child process of this
// test program on a private X server with a window manager.
const char* const childVariable = "SORVEL_TEST_X11_CHILD";
const char* const childTest = "MinimizedWindowX11.EveryLinkRestoresTheWindowInsideTheServer";

class MinimizedWindowX11 : public AppShellTest {
protected:
    void SetUp() override {
        if (!qEnvironmentVariableIsSet(childVariable) || QGuiApplication::platformName() != QStringLiteral("xcb"))
            GTEST_SKIP() << "runs inside the X server that MinimizedWindowX11.UnderAWindowManager starts";
    }

    // On screen: mapped and not iconified, as the window manager and the X server see it.
    static bool onScreen(const QWidget& window) {
        return window.windowHandle() && window.windowHandle()->isExposed() && !window.isMinimized();
    }

    // Iconifies through the window manager, asking again while it is still starting.
    static bool minimize(QWidget& window) {
        return waitUntil(
            [&] {
                if (window.windowHandle() && window.windowHandle()->isExposed())
                    window.showMinimized();
                return window.windowHandle() && !window.windowHandle()->isExposed() && window.isMinimized();
            },
            10000);
    }

    QDialog* sheet() const { return delegate.mainWindow().sheets()->currentDialog(); }

    AppDelegate delegate{store, router, settings, panel, updates};
};

TEST_F(MinimizedWindowX11, EveryLinkRestoresTheWindowInsideTheServer) {
    const AudioProject ready = add(QStringLiteral("Ready"), ProjectStatus::Done);
    MainWindow& window = delegate.mainWindow();
    delegate.launch(QString());
    ASSERT_TRUE(waitUntil([&] { return onScreen(window); }, 10000));

    for (const QString& link : sheetLinks(ready)) {
        SCOPED_TRACE(link.toStdString());
        ASSERT_TRUE(minimize(window));
        delegate.openLink(link);
        ASSERT_TRUE(waitUntil([&] { return sheet() && sheet()->isVisible(); }, 5000));
        EXPECT_TRUE(waitUntil([&] { return onScreen(window); }, 5000)) << "the sheet came alone";

        sheet()->reject();
        ASSERT_TRUE(waitUntil([&] { return !sheet(); }, 5000));
        delegate.openLink(QStringLiteral("sorvel://main"));
        EXPECT_TRUE(waitUntil([&] { return onScreen(window); }, 5000));
        spin(300); // a late iconify by the window manager would show here
        EXPECT_TRUE(onScreen(window));
    }

    // Minimized while a sheet is open: the window comes back with its sheet.
    delegate.openLink(QStringLiteral("sorvel://new"));
    ASSERT_TRUE(waitUntil([&] { return sheet() && sheet()->isVisible(); }, 5000));
    ASSERT_TRUE(waitUntil([&] { return sheet()->windowHandle() && sheet()->windowHandle()->isExposed(); }, 5000));
    ASSERT_TRUE(minimize(window));
    delegate.openLink(QStringLiteral("sorvel://main"));
    EXPECT_TRUE(waitUntil([&] { return onScreen(window); }, 5000));
    ASSERT_NE(sheet(), nullptr);
    EXPECT_TRUE(waitUntil([&] { return sheet()->windowHandle() && sheet()->windowHandle()->isExposed(); }, 5000));
    sheet()->reject();
}

// Starts Xvfb and openbox, then runs the test above in a child process on that display.
TEST(MinimizedWindowX11Server, UnderAWindowManager) {
    if (qEnvironmentVariableIsSet(childVariable))
        GTEST_SKIP() << "the child only runs the check itself";
    const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
    const QString openbox = QStandardPaths::findExecutable(QStringLiteral("openbox"));
    if (xvfb.isEmpty() || openbox.isEmpty())
        GTEST_SKIP() << "needs Xvfb and openbox";

    QProcess server;
    // -displayfd 1: the server picks a free display and writes its number to our pipe.
    server.start(xvfb,
                 {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"), QStringLiteral("0"),
                  QStringLiteral("1440x900x24"), QStringLiteral("-nolisten"), QStringLiteral("tcp")});
    ASSERT_TRUE(server.waitForStarted(10000));
    QByteArray number;
    ASSERT_TRUE(waitUntil(
        [&] {
            server.waitForReadyRead(50);
            number += server.readAllStandardOutput();
            return number.contains('\n');
        },
        20000));
    const QString display = QLatin1Char(':') + QString::fromLatin1(number.trimmed());

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), display);
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    QProcess manager;
    manager.setProcessEnvironment(environment);
    manager.start(openbox, {QStringLiteral("--sm-disable")});
    ASSERT_TRUE(manager.waitForStarted(10000));

    environment.insert(QString::fromLatin1(childVariable), QStringLiteral("1"));
    QProcess child;
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--gtest_filter=") + QString::fromLatin1(childTest)});
    const bool finished = child.waitForFinished(90000);
    const QString output = QString::fromLocal8Bit(child.readAll());

    manager.kill();
    manager.waitForFinished(5000);
    server.kill();
    server.waitForFinished(5000);

    ASSERT_TRUE(finished) << output.toStdString();
    EXPECT_EQ(child.exitCode(), 0) << output.toStdString();
    EXPECT_TRUE(output.contains(QStringLiteral("[  PASSED  ] 1 test"))) << output.toStdString();
}

} // namespace
} // namespace sorvel::test
