#include "widget/WidgetFixture.h"

#include "app/store/WidgetTimelines.h"
#include "core/WidgetChannel.h"
#include "instance/LocalInstance.h"
#include "support/ChildProcess.h"
#include "support/Waiting.h"
#include "widget/SorvelWidgetView.h"
#include "widget/TimelineListener.h"
#include "widget/WidgetHost.h"
#include "widget/WidgetWindow.h"

#include <QFileInfo>
#include <QLocalSocket>

namespace sorvel::test {
namespace {

// The application's reload message as the widget program hears it.
using ReloadMessageTest = WidgetFixture;

TEST_F(ReloadMessageTest, TheApplicationsReloadMessageRedrawsEveryWindow) {
    TimelineListener listener;
    ASSERT_EQ(listener.claim({WidgetFamily::Medium}), TimelineListener::Claim::Listening);
    WidgetHost host(disk, {WidgetFamily::Small, WidgetFamily::Large}, RenderingMode::FullColor, settings,
                    [](const QUrl&) {});
    QObject::connect(&listener, &TimelineListener::reloadRequested, &host, &WidgetHost::reloadAll);
    host.start();
    EXPECT_TRUE(host.windows().first()->view()->showsEmptyState());

    store({projectUpdated(QStringLiteral("new"), 0)});
    WidgetTimelines::reloadAll(); // what the application's store sends after a save
    ASSERT_TRUE(waitUntil([&] { return host.reloadCount() == 2; }, 5000));
    for (WidgetWindow* window : host.windows()) {
        ASSERT_EQ(window->view()->entry().projects.size(), 1);
        EXPECT_EQ(window->view()->entry().projects.first().name, QStringLiteral("new"));
    }
}

TEST_F(ReloadMessageTest, OnlyTheReloadMessageCounts) {
    TimelineListener listener;
    ASSERT_EQ(listener.claim({WidgetFamily::Medium}), TimelineListener::Claim::Listening);
    int reloads = 0;
    QObject::connect(&listener, &TimelineListener::reloadRequested, [&reloads] { ++reloads; });
    // One message per connection: something else, the reload message with
    // more after it, and bytes that are no message at all.
    const QList<QByteArray> others{LocalInstance::frame("something else\n"),
                                   LocalInstance::frame(WidgetChannel::reloadMessage() + "x"),
                                   "something else\n" + QByteArray(10000, 'x')};
    std::vector<std::unique_ptr<QLocalSocket>> peers;
    for (const QByteArray& bytes : others) {
        peers.push_back(std::make_unique<QLocalSocket>());
        peers.back()->connectToServer(WidgetChannel::socketPath());
        ASSERT_TRUE(peers.back()->waitForConnected(2000));
        peers.back()->write(bytes);
        peers.back()->flush();
    }
    // Each is handled once the listener has let it go.
    ASSERT_TRUE(waitUntil(
        [&] {
            return std::all_of(peers.cbegin(), peers.cend(), [](const std::unique_ptr<QLocalSocket>& peer) {
                return peer->state() == QLocalSocket::UnconnectedState;
            });
        },
        5000));
    EXPECT_EQ(reloads, 0);
    WidgetTimelines::reloadAll();
    EXPECT_TRUE(waitUntil([&] { return reloads == 1; }, 5000));
}

TEST_F(ReloadMessageTest, AFloodBeyondTheDescriptorLimitLeavesOneProgramThatStillListens) {
    expectInChild([&] {
        TimelineListener listener;
        ASSERT_EQ(listener.claim({WidgetFamily::Medium}), TimelineListener::Claim::Listening);
        int reloads = 0;
        QList<QList<WidgetFamily>> shown;
        QObject::connect(&listener, &TimelineListener::reloadRequested, [&reloads] { ++reloads; });
        QObject::connect(&listener, &TimelineListener::familiesRequested,
                         [&shown](const QList<WidgetFamily>& families) { shown.append(families); });
        {
            const DescriptorLimit limit(6);
            ASSERT_TRUE(limit.isLowered());
            const pid_t flood = connectionBurst(WidgetChannel::socketPath(), 200, 1500);
            ASSERT_GT(flood, 0);
            bool ended = false;
            ASSERT_TRUE(waitUntil([&] { return ended = ended || ::waitpid(flood, nullptr, WNOHANG) == flood; }, 20000));
            // The flood's peers are gone; the listener takes up listening again.
            ASSERT_TRUE(
                waitUntil([&] { return listener.isListening() && QFileInfo::exists(WidgetChannel::socketPath()); },
                          LocalInstance::messageTimeoutMs + 5000));
        }
        WidgetTimelines::reloadAll();
        EXPECT_TRUE(waitUntil([&] { return reloads == 1; }, 5000)) << "the application's reload is heard again";
        EXPECT_EQ(claimFromAnotherStart({WidgetFamily::Large}), TimelineListener::Claim::HandedOver);
        EXPECT_TRUE(waitUntil([&] { return shown == QList<QList<WidgetFamily>>{{WidgetFamily::Large}}; }, 5000));
    });
}

} // namespace
} // namespace sorvel::test
