#include "app/settings/UpdateChecker.h"
#include "app/settings/UpdatePrompter.h"
#include "app/settings/UpdateRelease.h"
#include "core/FileSystem.h"
#include "core/Settings.h"
#include "support/TestEnvironment.h"
#include "support/Waiting.h"

#include <QAbstractButton>
#include <QLabel>
#include <QMessageBox>
#include <QNetworkReply>
#include <QPushButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QTimeZone>

#include <gtest/gtest.h>

namespace sorvel::test {
namespace {

std::string str(const QString& text) {
    return text.toStdString();
}

TEST(UpdateVersionTest, PiecesCompareAsNumbersWithMissingOrOddPiecesAsZero) {
    EXPECT_TRUE(UpdateChecker::isNewer("1.10", "1.9"));
    EXPECT_FALSE(UpdateChecker::isNewer("1.9", "1.10"));
    EXPECT_FALSE(UpdateChecker::isNewer("1.2", "1.2.0"));
    EXPECT_FALSE(UpdateChecker::isNewer("1.2.0", "1.2"));
    EXPECT_FALSE(UpdateChecker::isNewer("2.0", "2"));
    EXPECT_TRUE(UpdateChecker::isNewer("1.2.0.1", "1.2"));
    EXPECT_FALSE(UpdateChecker::isNewer("1..3", ".1.3."));
    EXPECT_FALSE(UpdateChecker::isNewer(".1.3.", "1..3"));
    EXPECT_TRUE(UpdateChecker::isNewer("1..3", "1.2"));
    EXPECT_FALSE(UpdateChecker::isNewer("", ""));
    EXPECT_FALSE(UpdateChecker::isNewer("a1", "0"));
    EXPECT_TRUE(UpdateChecker::isNewer("1", "a1"));
    EXPECT_FALSE(UpdateChecker::isNewer("1.2a", "1.0"));
    EXPECT_FALSE(UpdateChecker::isNewer("1.0", "1.2a"));
    EXPECT_TRUE(UpdateChecker::isNewer("+2", "1"));
    EXPECT_FALSE(UpdateChecker::isNewer("-1", "0"));
    EXPECT_TRUE(UpdateChecker::isNewer("0", "-1"));
    EXPECT_FALSE(UpdateChecker::isNewer("12345678901234567890", "0"));
    EXPECT_TRUE(UpdateChecker::isNewer("9223372036854775807", "1"));
    EXPECT_FALSE(UpdateChecker::isNewer(" 2", "1"));
    EXPECT_FALSE(UpdateChecker::isNewer("+", "0"));
}

TEST(UpdateReleaseTest, OnlyCompleteManifestsWithAnHttpsAddressDecode) {
    const auto release =
        UpdateRelease::decode(R"({"version":"1.4","url":"https://example.org/d","notes":["a","b"],"x":1})");
    ASSERT_TRUE(release);
    EXPECT_EQ(str(release->version), "1.4");
    EXPECT_EQ(release->url, QUrl("https://example.org/d"));
    EXPECT_EQ(release->notes, QStringList({"a", "b"}));
    EXPECT_TRUE(UpdateRelease::decode(R"({"version":"1.4","url":"https://example.org/","notes":[]})"));

    for (const char* body : {
             R"({"version":"1.4","url":"https://example.org/"})",
             R"({"version":"1.4","url":"https://example.org/","notes":null})",
             R"({"version":"1.4","url":"https://example.org/","notes":[1]})",
             R"({"version":1.4,"url":"https://example.org/","notes":[]})",
             R"({"url":"https://example.org/","notes":[]})",
             R"({"version":"1.4","url":"http://example.org/","notes":[]})",
             R"({"version":"1.4","url":"file:///etc/passwd","notes":[]})",
             R"({"version":"1.4","url":"javascript:void","notes":[]})",
             R"({"version":"1.4","url":"sorvel://archive-done","notes":[]})",
             R"({"version":"1.4","url":"/download","notes":[]})",
             R"({"version":"1.4","url":"https://","notes":[]})",
             R"(["1.4"])",
             "not json",
         })
        EXPECT_FALSE(UpdateRelease::decode(body)) << body;
}

// The alerts as the user would meet them, answered with `choice`.
struct RecordingPrompter final : UpdatePrompter {
    struct Shown {
        QString message;
        QString details;
    };
    QList<Shown> releases;
    QList<Shown> told;
    QList<QUrl> opened;
    ReleaseChoice choice = ReleaseChoice::Later;

    ReleaseChoice askAboutRelease(const QString& message, const QString& details) override {
        releases << Shown{message, details};
        return choice;
    }
    void tell(const QString& message, const QString& details) override { told << Shown{message, details}; }
    void open(const QUrl& url) override { opened << url; }
};

// A feed served over plain HTTP on the loopback address, one canned answer
// per connection; the requests' header blocks are kept.
class FeedServer final : public QObject {
public:
    enum class Mode { Answer, NeverFinish };

    FeedServer() {
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = m_server.nextPendingConnection())
                serve(socket);
        });
        EXPECT_TRUE(m_server.listen(QHostAddress::LocalHost, 0));
    }

    QString url() const { return QStringLiteral("http://127.0.0.1:%1/latest.json").arg(m_server.serverPort()); }
    void answer(int status, const QByteArray& body) {
        m_mode = Mode::Answer;
        m_status = status;
        m_body = body;
    }
    void neverFinish() { m_mode = Mode::NeverFinish; }

    QList<QByteArray> requests;

private:
    void serve(QTcpSocket* socket) {
        socket->setParent(this);
        auto* buffer = new QByteArray;
        connect(socket, &QObject::destroyed, [buffer] { delete buffer; });
        connect(socket, &QTcpSocket::readyRead, socket, [this, socket, buffer] {
            *buffer += socket->readAll();
            if (!buffer->contains("\r\n\r\n"))
                return;
            requests << *buffer;
            buffer->clear();
            if (m_mode == Mode::NeverFinish) {
                socket->write("HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n{\"version\":");
                return;
            }
            const QByteArray reason = m_status == 200 ? "OK" : "Error";
            socket->write("HTTP/1.1 " + QByteArray::number(m_status) + " " + reason
                          + "\r\nContent-Type: application/json\r\nContent-Length: " + QByteArray::number(m_body.size())
                          + "\r\nConnection: close\r\n\r\n" + m_body);
            socket->disconnectFromHost();
        });
    }

    QTcpServer m_server;
    Mode m_mode = Mode::Answer;
    int m_status = 200;
    QByteArray m_body;
};

QByteArray manifest(const QString& version,
                    const QString& notes = QStringLiteral(R"(["更快的保存","<b>新</b> 图标"])")) {
    return QStringLiteral(R"({"version":"%1","url":"https://example.org/sorvel","notes":%2})")
        .arg(version, notes)
        .toUtf8();
}

QString newer() {
    return UpdateChecker::currentVersion() + QStringLiteral(".1");
}

class UpdateCheckerTest : public ::testing::Test {
protected:
    void SetUp() override { settings.setValue(UpdateChecker::feedURLKey, server.url()); }

    std::unique_ptr<UpdateChecker> makeChecker(UpdateChecker::Timing timing = {}) {
        auto recorder = std::make_unique<RecordingPrompter>();
        prompter = recorder.get();
        return std::make_unique<UpdateChecker>(settings, std::move(recorder), timing, [this] { return now; });
    }
    // Counts the ticks of the checker's schedule into `ticks`; each is counted
    // after the checker has handled it.
    static void countTicks(UpdateChecker& subject, const UpdateChecker::Timing& timing, int& ticks) {
        for (QTimer* timer : subject.findChildren<QTimer*>(Qt::FindDirectChildrenOnly)) {
            if (timer->interval() == timing.tickMs)
                QObject::connect(timer, &QTimer::timeout, &subject, [&ticks] { ++ticks; });
        }
    }
    // Until `count` more ticks have been handled.
    static bool passTicks(const int& ticks, int count) {
        const int until = ticks + count;
        return waitUntil([&] { return ticks >= until; }, 5000);
    }
    // Until the check has ended and the alert it opens on the next turn has run.
    void finish(UpdateChecker& subject) {
        ASSERT_TRUE(waitUntil([&] { return subject.state() != UpdateChecker::State::Checking; }, 10000));
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
    }
    void checkAndWait(bool userInitiated) {
        checker->check(userInitiated);
        finish(*checker);
    }

    TestEnvironment environment;
    PosixFileSystem disk;
    Settings settings{disk, environment.configHome() + QStringLiteral("/updates.conf")};
    FeedServer server;
    QDateTime now = QDateTime(QDate(2026, 3, 1), QTime(9, 0), QTimeZone::utc());
    RecordingPrompter* prompter = nullptr;
    std::unique_ptr<UpdateChecker> checker = makeChecker();
};

TEST_F(UpdateCheckerTest, ANewerReleaseIsOfferedWithItsNotesAsPlainLines) {
    server.answer(200, manifest(newer()));
    EXPECT_EQ(checker->state(), UpdateChecker::State::Idle);
    checkAndWait(true);
    EXPECT_EQ(checker->state(), UpdateChecker::State::Available);
    EXPECT_EQ(checker->availableVersion(), newer());
    ASSERT_EQ(prompter->releases.size(), 1);
    EXPECT_EQ(str(prompter->releases.first().message), str("Sorvel " + newer() + " 来了"));
    EXPECT_EQ(str(prompter->releases.first().details),
              str("更新内容：\n· 更快的保存\n· <b>新</b> 图标\n\n当前版本 " + UpdateChecker::currentVersion()
                  + "。下载后安装新版即可，项目数据都会保留。"));
    EXPECT_EQ(QDateTime::fromString(settings.string(UpdateChecker::lastCheckKey), Qt::ISODateWithMs), now);

    ASSERT_EQ(server.requests.size(), 1);
    const QByteArray request = server.requests.first();
    EXPECT_TRUE(request.startsWith("GET /latest.json HTTP/1.1\r\n"));
    EXPECT_TRUE(request.contains("\r\nUser-Agent: Sorvel/" + UpdateChecker::currentVersion().toUtf8() + "\r\n"));
}

TEST_F(UpdateCheckerTest, EqualAndOlderVersionsAreUpToDate) {
    server.answer(200, manifest(UpdateChecker::currentVersion() + QStringLiteral(".0")));
    checkAndWait(true);
    EXPECT_EQ(checker->state(), UpdateChecker::State::UpToDate);
    ASSERT_EQ(prompter->told.size(), 1);
    EXPECT_EQ(str(prompter->told.first().message), "已经是最新版本");
    EXPECT_EQ(str(prompter->told.first().details), str("当前版本 " + UpdateChecker::currentVersion() + "。"));

    server.answer(200, manifest(QStringLiteral("0.1")));
    checkAndWait(false);
    EXPECT_EQ(checker->state(), UpdateChecker::State::UpToDate);
    EXPECT_EQ(prompter->told.size(), 1) << "an automatic check tells nothing";
    EXPECT_TRUE(prompter->releases.isEmpty());
}

TEST_F(UpdateCheckerTest, ServerErrorsAndBadManifestsFailWithoutMovingTheLastCheck) {
    const char* network = "请检查网络连接后再试。";
    const char* unusable = "无法使用更新信息，请稍后再试。";
    struct Answer {
        int status;
        QByteArray body;
        const char* details;
    };
    const QList<Answer> answers = {
        {404, manifest(newer()), network},
        {500, manifest(newer()), network},
        {200, QStringLiteral(R"({"version":"%1","url":"https://example.org/"})").arg(newer()).toUtf8(), unusable},
        {200, QStringLiteral(R"({"version":"%1","url":"http://example.org/","notes":[]})").arg(newer()).toUtf8(),
         unusable},
        {200, QStringLiteral(R"({"version":%1,"url":"https://example.org/","notes":[]})").arg(7).toUtf8(), unusable},
        {200, "<html>portal</html>", unusable},
        {200, QByteArray(2 * 1024 * 1024, ' ') + manifest(newer()), unusable},
    };
    for (const Answer& answer : answers) {
        server.answer(answer.status, answer.body);
        const qsizetype told = prompter->told.size();
        checkAndWait(true);
        const std::string what = std::to_string(answer.status) + " " + answer.body.left(80).toStdString();
        EXPECT_EQ(checker->state(), UpdateChecker::State::Failed) << what;
        ASSERT_EQ(prompter->told.size(), told + 1) << what;
        EXPECT_EQ(str(prompter->told.last().message), "暂时无法检查更新") << what;
        EXPECT_EQ(str(prompter->told.last().details), answer.details) << what;
    }
    EXPECT_FALSE(settings.contains(UpdateChecker::lastCheckKey));

    server.answer(500, {});
    checkAndWait(false);
    EXPECT_EQ(prompter->told.size(), answers.size()) << "an automatic failure is silent";
}

TEST_F(UpdateCheckerTest, AFailureAfterASuccessLeavesTheLastCheckAlone) {
    server.answer(200, manifest(UpdateChecker::currentVersion()));
    checkAndWait(false);
    const QString succeeded = settings.string(UpdateChecker::lastCheckKey);
    ASSERT_FALSE(succeeded.isEmpty());
    now = now.addSecs(7200);
    server.answer(500, {});
    checkAndWait(false);
    EXPECT_EQ(settings.string(UpdateChecker::lastCheckKey), succeeded);
    server.answer(200, manifest(QStringLiteral("0.1")));
    checkAndWait(false);
    EXPECT_EQ(QDateTime::fromString(settings.string(UpdateChecker::lastCheckKey), Qt::ISODateWithMs), now);
}

TEST_F(UpdateCheckerTest, EmptyNotesLeaveOutTheNotesBlock) {
    server.answer(200, manifest(newer(), QStringLiteral("[]")));
    checkAndWait(true);
    ASSERT_EQ(prompter->releases.size(), 1);
    EXPECT_TRUE(prompter->releases.first().details.startsWith(QStringLiteral("当前版本 ")));
}

TEST_F(UpdateCheckerTest, AServerThatNeverFinishesIsEndedByTheDeadline) {
    UpdateChecker::Timing timing;
    timing.deadlineMs = 300;
    checker = makeChecker(timing);
    server.neverFinish();
    checker->check(true);
    EXPECT_EQ(checker->state(), UpdateChecker::State::Checking);
    finish(*checker);
    EXPECT_EQ(checker->state(), UpdateChecker::State::Failed);
    ASSERT_EQ(prompter->told.size(), 1);
    EXPECT_EQ(str(prompter->told.first().details), "请检查网络连接后再试。") << "a time-out is the network's";
    server.answer(200, manifest(newer()));
    checkAndWait(true);
    EXPECT_EQ(checker->state(), UpdateChecker::State::Available) << "a later check is not blocked";
}

TEST_F(UpdateCheckerTest, AnUnreachableFeedIsBlamedOnTheNetwork) {
    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost, 0));
    const quint16 port = closed.serverPort();
    closed.close();
    settings.setValue(UpdateChecker::feedURLKey, QStringLiteral("http://127.0.0.1:%1/latest.json").arg(port));
    checkAndWait(true);
    EXPECT_EQ(checker->state(), UpdateChecker::State::Failed);
    ASSERT_EQ(prompter->told.size(), 1);
    EXPECT_EQ(str(prompter->told.first().details), "请检查网络连接后再试。");
}

TEST_F(UpdateCheckerTest, AlertsOpenOnlyAfterTheReplysSignalHasReturned) {
    const QList<QByteArray> bodies = {manifest(newer()), manifest(QStringLiteral("0.1")), QByteArray("{}")};
    for (const QByteArray& body : bodies) {
        server.answer(200, body);
        const qsizetype shown = prompter->releases.size() + prompter->told.size();
        checker->check(true);
        QNetworkReply* reply = nullptr;
        for (QNetworkReply* candidate : checker->findChildren<QNetworkReply*>()) {
            if (!candidate->isFinished())
                reply = candidate;
        }
        ASSERT_NE(reply, nullptr);
        // Connected after the checker: runs inside the same emission, after its handler.
        std::optional<qsizetype> shownInsideSignal;
        QObject::connect(reply, &QNetworkReply::finished,
                         [&] { shownInsideSignal = prompter->releases.size() + prompter->told.size(); });
        finish(*checker);
        ASSERT_TRUE(shownInsideSignal) << body.toStdString();
        EXPECT_EQ(*shownInsideSignal, shown) << "no alert inside the signal: " << body.toStdString();
        EXPECT_EQ(prompter->releases.size() + prompter->told.size(), shown + 1) << body.toStdString();
    }
}

TEST_F(UpdateCheckerTest, AFileManifestIsReadWithoutAStatus) {
    const QString path = environment.scratch() + QStringLiteral("/latest.json");
    writeFile(path, manifest(newer()));
    settings.setValue(UpdateChecker::feedURLKey, QUrl::fromLocalFile(path).toString());
    checkAndWait(false);
    EXPECT_EQ(checker->state(), UpdateChecker::State::Available);
}

// Someone edits the settings file by hand while Sorvel runs: the next check
// already goes to the address the file holds, and so does each one after.
TEST_F(UpdateCheckerTest, AHandEditOfTheFeedAddressCountsFromTheNextCheck) {
    server.answer(200, manifest(UpdateChecker::currentVersion()));
    checkAndWait(false);
    ASSERT_EQ(server.requests.size(), 1);
    ASSERT_EQ(checker->state(), UpdateChecker::State::UpToDate);

    const QString settingsFile = environment.configHome() + QStringLiteral("/updates.conf");
    const QString local = environment.scratch() + QStringLiteral("/latest.json");
    writeFile(local, manifest(newer()));
    const auto editByHand = [&](const QString& feed) {
        writeFile(settingsFile, "[General]\nupdateFeedURL=" + feed.toUtf8() + "\n");
    };
    editByHand(QUrl::fromLocalFile(local).toString());
    checkAndWait(false);
    EXPECT_EQ(checker->state(), UpdateChecker::State::Available);
    EXPECT_EQ(server.requests.size(), 1) << "the old address was asked again";

    editByHand(server.url() + QStringLiteral("?again"));
    checkAndWait(false);
    EXPECT_EQ(server.requests.size(), 2);
    EXPECT_EQ(checker->state(), UpdateChecker::State::UpToDate);
}

TEST_F(UpdateCheckerTest, ARelativeOrEmptyFeedAddressMeansTheBuiltInFeed) {
    EXPECT_EQ(checker->feedURL(), QUrl(server.url()));
    EXPECT_EQ(UpdateChecker::defaultFeed().scheme(), QStringLiteral("https"));
    EXPECT_TRUE(UpdateChecker::defaultFeed().path().endsWith(QStringLiteral("/latest.json")));
    for (const QString& stored : {QStringLiteral("latest.json"), QStringLiteral("/srv/latest.json"), QString()}) {
        settings.setValue(UpdateChecker::feedURLKey, stored);
        EXPECT_EQ(checker->feedURL(), UpdateChecker::defaultFeed()) << str(stored);
    }
}

TEST_F(UpdateCheckerTest, ASkippedVersionIsOnlyQuietForAutomaticChecks) {
    settings.setValue(UpdateChecker::skippedVersionKey, newer());
    server.answer(200, manifest(newer()));
    checkAndWait(false);
    EXPECT_EQ(checker->state(), UpdateChecker::State::Available);
    EXPECT_TRUE(prompter->releases.isEmpty());
    checkAndWait(true);
    EXPECT_EQ(prompter->releases.size(), 1);

    settings.setValue(UpdateChecker::skippedVersionKey, UpdateChecker::currentVersion() + QStringLiteral(".0.1"));
    checkAndWait(false);
    EXPECT_EQ(prompter->releases.size(), 2) << "the skip covers the exact text only";
}

TEST_F(UpdateCheckerTest, TheAlertsButtonsDownloadSkipOrWait) {
    server.answer(200, manifest(newer()));
    checkAndWait(false);
    prompter->choice = UpdatePrompter::ReleaseChoice::Download;
    checker->presentAvailable();
    EXPECT_EQ(prompter->opened, QList<QUrl>({QUrl("https://example.org/sorvel")}));
    prompter->choice = UpdatePrompter::ReleaseChoice::Skip;
    checker->presentAvailable();
    EXPECT_EQ(settings.string(UpdateChecker::skippedVersionKey), newer());
    EXPECT_EQ(checker->state(), UpdateChecker::State::Available);

    server.answer(200, manifest(QStringLiteral("0.1")));
    checkAndWait(false);
    const qsizetype shown = prompter->releases.size();
    checker->presentAvailable();
    EXPECT_EQ(prompter->releases.size(), shown) << "nothing to present unless a release is available";
}

TEST_F(UpdateCheckerTest, ASecondCheckWhileOneRunsReturnsAtOnce) {
    server.answer(200, manifest(UpdateChecker::currentVersion()));
    int changes = 0;
    QObject::connect(checker.get(), &UpdateChecker::stateChanged, [&] { ++changes; });
    checker->check(false);
    checker->check(true);
    EXPECT_EQ(changes, 1);
    finish(*checker);
    EXPECT_EQ(server.requests.size(), 1);
    EXPECT_TRUE(prompter->told.isEmpty()) << "the second call shows nothing";
}

TEST_F(UpdateCheckerTest, TheScheduleChecksAfterStartThenOnlyWhenTheLastSuccessIsOld) {
    server.answer(200, manifest(UpdateChecker::currentVersion()));
    UpdateChecker::Timing timing;
    timing.firstCheckMs = 20;
    timing.tickMs = 40;
    checker = makeChecker(timing);
    int ticks = 0;
    countTicks(*checker, timing, ticks);
    checker->start();
    checker->start();
    ASSERT_TRUE(waitUntil([&] { return server.requests.size() == 1; }, 5000));
    finish(*checker);
    ASSERT_TRUE(passTicks(ticks, 3));
    EXPECT_EQ(server.requests.size(), 1) << "within a day of the last success no tick checks";

    now = now.addSecs(UpdateChecker::recheckAfterSeconds);
    ASSERT_TRUE(passTicks(ticks, 2));
    EXPECT_EQ(server.requests.size(), 1) << "exactly a day is not more than a day";
    now = now.addSecs(1);
    ASSERT_TRUE(waitUntil([&] { return server.requests.size() == 2; }, 5000));
    finish(*checker);

    settings.setValue(UpdateChecker::autoCheckKey, false);
    now = now.addDays(3);
    ASSERT_TRUE(passTicks(ticks, 3));
    EXPECT_EQ(server.requests.size(), 2) << "turned off, the ticks go on without checking";
}

TEST_F(UpdateCheckerTest, WithAutomaticChecksOffNothingIsFetchedButHandChecksWork) {
    settings.setValue(UpdateChecker::autoCheckKey, false);
    UpdateChecker::Timing timing;
    timing.firstCheckMs = 10;
    timing.tickMs = 20;
    checker = makeChecker(timing);
    int ticks = 0;
    countTicks(*checker, timing, ticks);
    checker->start();
    ASSERT_TRUE(passTicks(ticks, 3));
    EXPECT_TRUE(server.requests.isEmpty());
    EXPECT_EQ(checker->state(), UpdateChecker::State::Idle);
    server.answer(200, manifest(UpdateChecker::currentVersion()));
    checkAndWait(true);
    EXPECT_EQ(server.requests.size(), 1);
}

TEST(MessageBoxPrompterTest, TheReleaseAlertKeepsItsButtonOrderAndShowsFeedTextLiterally) {
    const auto box = MessageBoxPrompter::releaseBox(QStringLiteral("Sorvel <i>9</i> 来了"),
                                                    QStringLiteral("· <a href=\"file:///\">x</a>"));
    QStringList titles;
    for (QAbstractButton* button : box->buttons())
        titles << button->text();
    EXPECT_EQ(titles, QStringList({"下载新版", "稍后提醒", "跳过这个版本"}));
    EXPECT_EQ(box->defaultButton()->text(), QStringLiteral("下载新版"));
    EXPECT_EQ(box->escapeButton()->text(), QStringLiteral("稍后提醒"));
    EXPECT_EQ(box->textFormat(), Qt::PlainText);
    auto* informative = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_informativelabel"));
    ASSERT_NE(informative, nullptr);
    EXPECT_EQ(informative->textFormat(), Qt::PlainText);
    EXPECT_FALSE(informative->openExternalLinks());
}

TEST(MessageBoxPrompterTest, TheChoiceFollowsTheClickedButtonEvenWhenADesktopRenamesIt) {
    const QList<UpdatePrompter::ReleaseChoice> expected = {UpdatePrompter::ReleaseChoice::Download,
                                                           UpdatePrompter::ReleaseChoice::Later,
                                                           UpdatePrompter::ReleaseChoice::Skip};
    for (int i = 0; i < expected.size(); ++i) {
        const auto box = MessageBoxPrompter::releaseBox(QStringLiteral("m"), QStringLiteral("d"));
        QAbstractButton* button = box->buttons().at(i);
        // As a desktop's accelerator manager does.
        button->setText(QStringLiteral("&") + button->text());
        button->click();
        EXPECT_EQ(MessageBoxPrompter::choice(*box), expected.at(i)) << i;
    }
    const auto closed = MessageBoxPrompter::releaseBox(QStringLiteral("m"), QStringLiteral("d"));
    EXPECT_EQ(MessageBoxPrompter::choice(*closed), UpdatePrompter::ReleaseChoice::Later) << "closed without a button";
}

// Chinese text has no spaces to wrap at: a short sentence must not break
// before its last characters, and long release notes still wrap.
TEST(MessageBoxPrompterTest, AShortSentenceStaysOnOneLineAndLongNotesWrap) {
    // Whether the details take more height as shown than on one endless line.
    const auto wraps = [](QMessageBox& box) {
        box.show();
        auto* informative = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_informativelabel"));
        EXPECT_NE(informative, nullptr);
        return informative && informative->heightForWidth(informative->width()) > informative->heightForWidth(100000);
    };
    const auto failed =
        MessageBoxPrompter::messageBox(UpdateChecker::failedMessage, UpdateChecker::networkFailedDetails);
    EXPECT_FALSE(wraps(*failed));
    const auto unusable = MessageBoxPrompter::messageBox(UpdateChecker::failedMessage, UpdateChecker::unusableDetails);
    EXPECT_FALSE(wraps(*unusable));
    const QString longNote = QStringLiteral("· ") + QString(80, QChar(0x97F3)); // 音 × 80
    const auto release = MessageBoxPrompter::releaseBox(QStringLiteral("Sorvel 9 来了"), longNote);
    EXPECT_TRUE(wraps(*release));
}

TEST(MessageBoxPrompterTest, TheOtherAlertsConfirmInChinese) {
    const auto box = MessageBoxPrompter::messageBox(QStringLiteral("已经是最新版本"), QStringLiteral("当前版本 1。"));
    ASSERT_EQ(box->buttons().size(), 1);
    EXPECT_EQ(box->buttons().first()->text(), QStringLiteral("好"));
    EXPECT_EQ(box->defaultButton(), box->buttons().first());
    EXPECT_EQ(box->escapeButton(), box->buttons().first());
}

} // namespace
} // namespace sorvel::test
