#include "ShellFixture.h"

#include "app/library/MainWindow.h"
#include "app/library/SheetPresenter.h"
#include "app/shell/AppDelegate.h"
#include "support/Waiting.h"

#include <QDialog>
#include <QEvent>
#include <QGuiApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QWindow>

#include <xcb/xcb.h>

#include <cstdlib>
#include <optional>

namespace sorvel::test {
namespace {

// Whether a window is minimized is the window manager's business: offscreen
// it is only a stored flag. So the real check runs in a child process of this
// test program on a private X server with a window manager.
const char* const childVariable = "SORVEL_TEST_X11_CHILD";
const char* const childTests = "MinimizedWindowX11.*";
const int childTestCount = 2;

// The window manager's workspaces, as a pager sees and switches them.
class Workspaces {
public:
    Workspaces() {
        auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
        m_connection = x11 ? x11->connection() : nullptr;
        if (m_connection)
            m_root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
    }

    std::optional<uint32_t> current() const { return cardinal(m_root, "_NET_CURRENT_DESKTOP"); }
    std::optional<uint32_t> of(const QWidget& window) const {
        return cardinal(xcb_window_t(window.winId()), "_NET_WM_DESKTOP");
    }
    // Moves a window's contents to `place` as a pager or a drag by the user would: through the manager.
    void move(const QWidget& window, const QPoint& place) const {
        xcb_client_message_event_t message{};
        message.response_type = XCB_CLIENT_MESSAGE;
        message.format = 32;
        message.window = xcb_window_t(window.winId());
        message.type = atom("_NET_MOVERESIZE_WINDOW");
        message.data.data32[0] = (1u << 8) | (1u << 9) | (2u << 12) | XCB_GRAVITY_STATIC; // x and y, from a pager
        message.data.data32[1] = uint32_t(place.x());
        message.data.data32[2] = uint32_t(place.y());
        xcb_send_event(m_connection, 0, m_root,
                       XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char*>(&message));
        xcb_flush(m_connection);
    }

    // Shows another workspace, as a pager or a key of the desktop would.
    bool show(uint32_t workspace) const {
        xcb_client_message_event_t message{};
        message.response_type = XCB_CLIENT_MESSAGE;
        message.format = 32;
        message.window = m_root;
        message.type = atom("_NET_CURRENT_DESKTOP");
        message.data.data32[0] = workspace;
        xcb_send_event(m_connection, 0, m_root,
                       XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char*>(&message));
        xcb_flush(m_connection);
        return waitUntil([&] { return current() == workspace; }, 5000);
    }

private:
    xcb_atom_t atom(const char* name) const {
        xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
            m_connection, xcb_intern_atom(m_connection, 0, uint16_t(qstrlen(name)), name), nullptr);
        const xcb_atom_t found = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
        std::free(reply);
        return found;
    }
    std::optional<uint32_t> cardinal(xcb_window_t window, const char* name) const {
        xcb_get_property_reply_t* reply = xcb_get_property_reply(
            m_connection, xcb_get_property(m_connection, 0, window, atom(name), XCB_ATOM_CARDINAL, 0, 1), nullptr);
        std::optional<uint32_t> value;
        if (reply && reply->format == 32 && xcb_get_property_value_length(reply) >= 4)
            value = *static_cast<const uint32_t*>(xcb_get_property_value(reply));
        std::free(reply);
        return value;
    }

    xcb_connection_t* m_connection = nullptr;
    xcb_window_t m_root = XCB_WINDOW_NONE;
};

// Counts the moves a window hears of from the window system.
class MoveCounter final : public QObject {
public:
    explicit MoveCounter(int& moves) : m_moves(moves) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Move)
            ++m_moves;
        return QObject::eventFilter(watched, event);
    }

private:
    int& m_moves;
};

class MinimizedWindowX11 : public AppShellTest {
protected:
    void SetUp() override {
        if (!qEnvironmentVariableIsSet(childVariable) || QGuiApplication::platformName() != QStringLiteral("xcb"))
            GTEST_SKIP() << "runs inside the X server that MinimizedWindowX11.UnderAWindowManager starts";
        // The window manager starts beside this program: a window mapped
        // before it manages the screen is not the window it frames, iconifies and restores.
        ASSERT_TRUE(waitUntil([] { return Workspaces().current().has_value(); }, 10000)) << "no window manager came up";
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

    // A round trip through the window manager, which handles what it is asked
    // in order: once it has moved the window by a point, it has handled every
    // earlier request (a late iconify among them), and the window has heard of it.
    static bool windowManagerCaughtUp(QWidget& window) {
        QWindow* handle = window.windowHandle();
        int moves = 0;
        MoveCounter counter(moves);
        handle->installEventFilter(&counter);
        const QPoint from = handle->position();
        handle->setPosition(from + QPoint(from.x() % 2 == 0 ? 1 : -1, 0));
        return waitUntil([&] { return moves > 0; }, 5000);
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
        ASSERT_TRUE(windowManagerCaughtUp(window)); // a late iconify by the window manager would show by now
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

// Minimized on one workspace, or closed to the tray there, while the user
// works on another: a link or the tray's item brings the window to the
// workspace in view, where it was, and the minimized one active.
TEST_F(MinimizedWindowX11, ALinkBringsTheWindowOverFromAnotherWorkspace) {
    const Workspaces workspaces;
    MainWindow& window = delegate.mainWindow();
    delegate.launch(QString());
    ASSERT_TRUE(waitUntil([&] { return onScreen(window) && workspaces.of(window) == workspaces.current(); }, 10000));
    const auto shownHere = [&] { return onScreen(window) && workspaces.of(window) == workspaces.current(); };
    const auto arrived = [&] { return shownHere() && window.isActiveWindow(); };
    ASSERT_TRUE(waitUntil(arrived, 5000));

    ASSERT_TRUE(minimize(window));
    ASSERT_TRUE(workspaces.show(1));
    delegate.openLink(QStringLiteral("sorvel://main"));
    EXPECT_TRUE(waitUntil(arrived, 5000))
        << "on workspace " << workspaces.of(window).value_or(99) << " of " << workspaces.current().value_or(99)
        << ", on screen " << onScreen(window) << ", active " << window.isActiveWindow();

    const QPoint place(300, 100);
    workspaces.move(window, place);
    ASSERT_TRUE(waitUntil([&] { return window.geometry().topLeft() == place; }, 5000));
    window.close();
    ASSERT_TRUE(waitUntil([&] { return !window.windowHandle()->isExposed(); }, 5000));
    ASSERT_TRUE(workspaces.show(2));
    delegate.openLink(QStringLiteral("sorvel://main"));
    EXPECT_TRUE(waitUntil(shownHere, 5000))
        << "on workspace " << workspaces.of(window).value_or(99) << " of " << workspaces.current().value_or(99)
        << ", on screen " << onScreen(window) << ", active " << window.isActiveWindow();
    EXPECT_TRUE(waitUntil([&] { return window.geometry().topLeft() == place; }, 5000))
        << "at " << window.geometry().x() << ", " << window.geometry().y();
}

// Starts Xvfb and openbox, then runs the tests above in a child process on that display.
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
                {QStringLiteral("--gtest_filter=") + QString::fromLatin1(childTests)});
    const bool finished = child.waitForFinished(90000);
    const QString output = QString::fromLocal8Bit(child.readAll());

    manager.kill();
    manager.waitForFinished(5000);
    server.kill();
    server.waitForFinished(5000);

    ASSERT_TRUE(finished) << output.toStdString();
    EXPECT_EQ(child.exitCode(), 0) << output.toStdString();
    EXPECT_TRUE(output.contains(QStringLiteral("[  PASSED  ] %1 tests").arg(childTestCount))) << output.toStdString();
}

} // namespace
} // namespace sorvel::test
