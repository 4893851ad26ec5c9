#include "support/StoreTestSupport.h"

#include "app/store/WidgetTimelines.h"
#include "core/WidgetChannel.h"
#include "instance/LocalInstance.h"

#include <QElapsedTimer>
#include <QLocalServer>
#include <QLocalSocket>

#include <gtest/gtest.h>

namespace sorvel::test {
namespace {

TEST(WidgetTimelines, ListeningWidgetReceivesTheReloadMessage) {
    TestEnvironment environment;
    EXPECT_EQ(WidgetChannel::socketPath(), environment.runtimeDir() + QStringLiteral("/sorvel-widget.socket"));
    QLocalServer server;
    ASSERT_TRUE(server.listen(WidgetChannel::socketPath()));

    WidgetTimelines::reloadAll();
    QByteArray received;
    QLocalSocket* connection = nullptr;
    ASSERT_TRUE(waitUntil(
        [&] {
            if (!connection && server.hasPendingConnections())
                connection = server.nextPendingConnection();
            if (connection)
                received += connection->readAll();
            return received.size() >= LocalInstance::frame(WidgetChannel::reloadMessage()).size();
        },
        5000));
    EXPECT_EQ(received, LocalInstance::frame(WidgetChannel::reloadMessage()));
}

TEST(WidgetTimelines, NobodyListeningCostsNothing) {
    TestEnvironment environment;
    QElapsedTimer clock;
    clock.start();
    WidgetTimelines::reloadAll();
    // What a widget program that has gone may leave behind.
    writeFile(WidgetChannel::socketPath(), "");
    WidgetTimelines::reloadAll();
    EXPECT_LT(clock.elapsed(), 1000);
}

} // namespace
} // namespace sorvel::test
