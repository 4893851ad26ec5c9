#include "app/shell/SingleInstance.h"

#include "app/navigation/SorvelLink.h"
#include "support/ChildProcess.h"
#include "support/TestEnvironment.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>
#include <QtEndian>

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <dirent.h>
#include <future>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

namespace sorvel::test {
namespace {

using namespace std::chrono_literals;

class SingleInstanceTest : public ::testing::Test {
protected:
    QString socketPath() const { return environment.runtimeDir() + QStringLiteral("/sorvel-app.socket"); }

    // A later start in its own thread, as a second process would be, while this
    // thread runs the event loop of the first.
    SingleInstance::Claim claimFromAnotherStart(const QString& link) {
        const QString path = socketPath();
        auto later = std::async(std::launch::async, [path, link] { return SingleInstance(path).claim(link); });
        QElapsedTimer waited;
        waited.start();
        while (later.wait_for(0ms) != std::future_status::ready && waited.elapsed() < 20000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        return later.get();
    }

    // A later start hands `link` over, and the first instance (which records
    // what it receives in `received`) takes it.
    void expectNextStartReaches(const QStringList& received, const QString& link) {
        EXPECT_EQ(claimFromAnotherStart(link), SingleInstance::Claim::HandedOver);
        spinUntil([&] { return !received.isEmpty(); });
        EXPECT_EQ(received, QStringList{link});
    }

    // Runs the event loop until `done` holds or some seconds have passed.
    template <typename Condition>
    static void spinUntil(Condition done) {
        QElapsedTimer waited;
        waited.start();
        while (!done() && waited.elapsed() < 10000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }

    TestEnvironment environment;
};

TEST_F(SingleInstanceTest, TheSocketLivesInTheRuntimeFolder) {
    EXPECT_EQ(SingleInstance::defaultSocketPath(), socketPath());
}

TEST_F(SingleInstanceTest, ALaterStartHandsItsLinkToTheFirst) {
    SingleInstance first(socketPath());
    QStringList received;
    QObject::connect(&first, &SingleInstance::linkReceived, [&](const QString& link) { received << link; });
    ASSERT_EQ(first.claim(QString()), SingleInstance::Claim::Listening);
    ASSERT_TRUE(first.isListening());

    const QString link = QStringLiteral("sorvel://project/0F8FAD5B-D9CB-469F-A165-70867728950E");
    EXPECT_EQ(claimFromAnotherStart(link), SingleInstance::Claim::HandedOver);
    EXPECT_EQ(claimFromAnotherStart(QString()), SingleInstance::Claim::HandedOver);
    EXPECT_EQ(claimFromAnotherStart(QStringLiteral("sorvel://new?名=1")), SingleInstance::Claim::HandedOver);
    spinUntil([&] { return received.size() >= 3; });
    EXPECT_EQ(received, (QStringList{link, QString(), QStringLiteral("sorvel://new?名=1")}));
}

TEST_F(SingleInstanceTest, AnOverlongLinkArrivesStillOverlongAndOfItsScheme) {
    SingleInstance first(socketPath());
    QStringList received;
    QObject::connect(&first, &SingleInstance::linkReceived, [&](const QString& link) { received << link; });
    ASSERT_EQ(first.claim(QString()), SingleInstance::Claim::Listening);

    const QString huge = QStringLiteral("sorvel://new?") + QString(100000, QLatin1Char('x'));
    EXPECT_EQ(claimFromAnotherStart(huge), SingleInstance::Claim::HandedOver);
    spinUntil([&] { return !received.isEmpty(); });
    ASSERT_EQ(received.size(), 1);
    EXPECT_GT(received.first().size(), SorvelLink::maxLength);
    EXPECT_TRUE(huge.startsWith(received.first()));
}

TEST_F(SingleInstanceTest, AStaleSocketFileIsReplaced) {
    // A socket file that nobody listens on, as a crashed instance leaves it.
    const QByteArray path = QFile::encodeName(socketPath());
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(size_t(path.size()), sizeof(address.sun_path));
    std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    ::close(fd);
    ASSERT_TRUE(QFileInfo::exists(socketPath()));

    SingleInstance first(socketPath());
    QStringList received;
    QObject::connect(&first, &SingleInstance::linkReceived, [&](const QString& link) { received << link; });
    ASSERT_EQ(first.claim(QString()), SingleInstance::Claim::Listening);
    expectNextStartReaches(received, QStringLiteral("sorvel://main"));
}

TEST_F(SingleInstanceTest, APeerAnnouncingAHugeMessageIsDropped) {
    SingleInstance first(socketPath());
    QStringList received;
    QObject::connect(&first, &SingleInstance::linkReceived, [&](const QString& link) { received << link; });
    ASSERT_EQ(first.claim(QString()), SingleInstance::Claim::Listening);

    QLocalSocket rogue;
    rogue.connectToServer(socketPath());
    ASSERT_TRUE(rogue.waitForConnected(2000));
    char header[4];
    qToBigEndian<quint32>(SingleInstance::maxMessageBytes + 1, header);
    rogue.write(header, sizeof(header));
    rogue.flush();
    spinUntil([&] {
        if (rogue.state() != QLocalSocket::UnconnectedState)
            rogue.waitForDisconnected(10);
        return rogue.state() == QLocalSocket::UnconnectedState;
    });
    EXPECT_EQ(rogue.state(), QLocalSocket::UnconnectedState);
    EXPECT_TRUE(received.isEmpty());

    // The instance still serves the next start.
    EXPECT_EQ(claimFromAnotherStart(QStringLiteral("sorvel://new")), SingleInstance::Claim::HandedOver);
    spinUntil([&] { return !received.isEmpty(); });
    EXPECT_EQ(received, QStringList{QStringLiteral("sorvel://new")});
}

// About a thousand silent connections once used up the server's descriptors:
// it stopped listening and removed its socket, and the next start became a
// second instance writing the same data file.
TEST_F(SingleInstanceTest, ABurstBeyondTheDescriptorLimitLeavesOneInstanceThatStillAnswers) {
    expectInChild([&] {
        SingleInstance first(socketPath());
        QStringList received;
        QObject::connect(&first, &SingleInstance::linkReceived, [&](const QString& link) { received << link; });
        ASSERT_EQ(first.claim(QString()), SingleInstance::Claim::Listening);
        {
            const DescriptorLimit limit(6);
            ASSERT_TRUE(limit.isLowered());
            const pid_t burst = connectionBurst(socketPath(), 64, 1500);
            ASSERT_GT(burst, 0);
            spinUntil([&] { return ::waitpid(burst, nullptr, WNOHANG) == burst; });
            // The peers of the burst are gone; the server takes up listening again.
            spinUntil([&] { return first.isListening() && QFileInfo::exists(socketPath()); });
        }
        EXPECT_TRUE(first.isListening());
        expectNextStartReaches(received, QStringLiteral("sorvel://main"));
    });
}

TEST_F(SingleInstanceTest, ManySilentPeersNeverStopTheServer) {
    SingleInstance first(socketPath());
    QStringList received;
    QObject::connect(&first, &SingleInstance::linkReceived, [&](const QString& link) { received << link; });
    ASSERT_EQ(first.claim(QString()), SingleInstance::Claim::Listening);
    const pid_t burst = connectionBurst(socketPath(), 200, 800);
    ASSERT_GT(burst, 0);
    spinUntil([&] { return ::waitpid(burst, nullptr, WNOHANG) == burst; });
    EXPECT_TRUE(first.isListening());
    expectNextStartReaches(received, QStringLiteral("sorvel://new"));
}

// The instance's lock, not its socket, tells whether it lives.
TEST_F(SingleInstanceTest, AStartNeverBecomesASecondInstanceWhileTheFirstHoldsItsLock) {
    SingleInstance first(socketPath());
    ASSERT_EQ(first.claim(QString()), SingleInstance::Claim::Listening);
    ASSERT_TRUE(QFile::remove(socketPath())); // the socket is lost, the instance runs on
    EXPECT_EQ(claimFromAnotherStart(QStringLiteral("sorvel://main")), SingleInstance::Claim::Unanswered);
    EXPECT_FALSE(QFileInfo::exists(socketPath()));
}

TEST_F(SingleInstanceTest, TheSocketIsGoneWhenTheInstanceEnds) {
    {
        SingleInstance first(socketPath());
        ASSERT_EQ(first.claim(QString()), SingleInstance::Claim::Listening);
    }
    SingleInstance next(socketPath());
    EXPECT_EQ(next.claim(QString()), SingleInstance::Claim::Listening);
}

} // namespace
} // namespace sorvel::test
