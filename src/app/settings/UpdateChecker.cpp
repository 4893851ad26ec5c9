#include "app/settings/UpdateChecker.h"

#include "core/Settings.h"

#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimeZone>

#include <limits>
#include <utility>

namespace sorvel {

namespace {

// One piece of a version: an optional sign and decimal digits, else 0
// (also when it does not fit in 64 bits).
qint64 versionPiece(QStringView piece) {
    bool negative = false;
    if (!piece.isEmpty() && (piece.front() == QLatin1Char('+') || piece.front() == QLatin1Char('-'))) {
        negative = piece.front() == QLatin1Char('-');
        piece = piece.mid(1);
    }
    if (piece.isEmpty())
        return 0;
    const quint64 limit = quint64(std::numeric_limits<qint64>::max()) + (negative ? 1 : 0);
    quint64 value = 0;
    for (const QChar c : piece) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return 0;
        const quint64 digit = quint64(c.unicode() - '0');
        if (value > (limit - digit) / 10)
            return 0;
        value = value * 10 + digit;
    }
    return negative ? qint64(0 - value) : qint64(value);
}

QList<qint64> versionPieces(const QString& version) {
    QList<qint64> pieces;
    for (const QStringView piece : QStringView(version).split(QLatin1Char('.'), Qt::SkipEmptyParts))
        pieces << versionPiece(piece);
    return pieces;
}

} // namespace

UpdateChecker::UpdateChecker(Settings& settings, std::unique_ptr<UpdatePrompter> prompter, Timing timing,
                             std::function<QDateTime()> now, QObject* parent)
    : QObject(parent), m_settings(settings), m_prompter(std::move(prompter)), m_timing(timing), m_now(std::move(now)) {
    m_tick.setInterval(m_timing.tickMs);
    connect(&m_tick, &QTimer::timeout, this, &UpdateChecker::tick);
    m_deadline.setSingleShot(true);
    connect(&m_deadline, &QTimer::timeout, this, [this] {
        if (m_reply)
            m_reply->abort();
    });
}

UpdateChecker::~UpdateChecker() {
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->abort();
    }
}

std::optional<QString> UpdateChecker::availableVersion() const {
    if (m_state == State::Available && m_release)
        return m_release->version;
    return std::nullopt;
}

QString UpdateChecker::currentVersion() {
    return QStringLiteral(SORVEL_VERSION);
}

QUrl UpdateChecker::defaultFeed() {
    static const QUrl feed(QStringLiteral(SORVEL_UPDATE_FEED));
    return feed;
}

QUrl UpdateChecker::feedURL() const {
    const QString stored = m_settings.string(feedURLKey);
    if (stored.isEmpty())
        return defaultFeed();
    const QUrl url(stored, QUrl::StrictMode);
    // A relative address would be resolved against nothing; it counts as none.
    return url.isValid() && !url.isRelative() ? url : defaultFeed();
}

bool UpdateChecker::isNewer(const QString& candidate, const QString& running) {
    const QList<qint64> a = versionPieces(candidate);
    const QList<qint64> b = versionPieces(running);
    for (qsizetype i = 0; i < std::max(a.size(), b.size()); ++i) {
        const qint64 x = i < a.size() ? a.at(i) : 0;
        const qint64 y = i < b.size() ? b.at(i) : 0;
        if (x != y)
            return x > y;
    }
    return false;
}

QString UpdateChecker::releaseMessage(const UpdateRelease& release) {
    return QStringLiteral("Sorvel ") + release.version + QStringLiteral(" 来了");
}

QString UpdateChecker::releaseDetails(const UpdateRelease& release) {
    QString details;
    if (!release.notes.isEmpty()) {
        QStringList lines;
        for (const QString& note : release.notes)
            lines << QStringLiteral("· ") + note;
        details = QStringLiteral("更新内容：\n") + lines.join(QLatin1Char('\n')) + QStringLiteral("\n\n");
    }
    return details + QStringLiteral("当前版本 ") + currentVersion()
        + QStringLiteral("。下载后安装新版即可，项目数据都会保留。");
}

bool UpdateChecker::autoCheck() const {
    return m_settings.boolean(autoCheckKey, true);
}

QDateTime UpdateChecker::lastCheck() const {
    const QDateTime stored = QDateTime::fromString(m_settings.string(lastCheckKey), Qt::ISODateWithMs);
    return stored.isValid() ? stored : QDateTime(QDate(1, 1, 1), QTime(0, 0), QTimeZone::utc());
}

void UpdateChecker::setState(State state, std::optional<UpdateRelease> release) {
    if (m_state == state && m_release == release)
        return;
    m_state = state;
    m_release = std::move(release);
    Q_EMIT stateChanged();
}

void UpdateChecker::start() {
    if (m_started)
        return;
    m_started = true;
    QTimer::singleShot(m_timing.firstCheckMs, this, &UpdateChecker::firstScheduledCheck);
}

void UpdateChecker::firstScheduledCheck() {
    if (autoCheck() && m_state != State::Checking) {
        // The hourly ticks count from the end of this check.
        m_tickAfterCheck = true;
        check(false);
        return;
    }
    m_tick.start();
}

void UpdateChecker::tick() {
    if (autoCheck() && lastCheck().secsTo(m_now()) > recheckAfterSeconds)
        check(false);
}

void UpdateChecker::check(bool userInitiated) {
    if (m_state == State::Checking)
        return;
    setState(State::Checking);
    // The feed's address may have been edited by hand in the settings file
    // since it was last read: every check goes where the file says now.
    m_settings.sync();
    m_userInitiated = userInitiated;
    m_tooLarge = false;

    QNetworkRequest request(feedURL());
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setTransferTimeout(m_timing.transferTimeoutMs);
    request.setRawHeader("User-Agent", QByteArrayLiteral("Sorvel/") + currentVersion().toUtf8());
    QNetworkReply* reply = m_network.get(request);
    m_reply = reply;
    connect(reply, &QNetworkReply::downloadProgress, this, [this, reply](qint64 received, qint64 total) {
        if (received > maxBodyBytes || total > maxBodyBytes) {
            m_tooLarge = true;
            reply->abort();
        }
    });
    connect(reply, &QNetworkReply::finished, this, [this, reply] { finished(reply); });
    m_deadline.start(m_timing.deadlineMs);
}

void UpdateChecker::finished(QNetworkReply* reply) {
    m_deadline.stop();
    reply->deleteLater();
    m_reply.clear();
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    const bool fetched = reply->error() == QNetworkReply::NoError && (!status.isValid() || status.toInt() == 200);
    const QByteArray body = fetched ? reply->read(maxBodyBytes + 1) : QByteArray();
    // An answer too large to be a manifest was cut off on purpose: the network
    // worked, what it brought cannot be used.
    const bool tooLarge = m_tooLarge || body.size() > maxBodyBytes;
    const std::optional<UpdateRelease> release = fetched && !tooLarge ? UpdateRelease::decode(body) : std::nullopt;
    std::function<void()> alert;
    if (release)
        alert = succeed(*release);
    else
        alert = fail(fetched || tooLarge ? unusableDetails : networkFailedDetails);

    // A modal alert run inside the reply's signal would spin its own loop
    // while the reply is still being finished with; it opens on the next turn.
    const bool startTick = std::exchange(m_tickAfterCheck, false);
    QMetaObject::invokeMethod(
        this,
        [this, alert, startTick] {
            if (alert)
                alert();
            // The hourly ticks count from the end of the first check and its alert.
            if (startTick)
                m_tick.start();
        },
        Qt::QueuedConnection);
}

std::function<void()> UpdateChecker::succeed(const UpdateRelease& release) {
    m_settings.setValue(lastCheckKey, m_now().toUTC().toString(Qt::ISODateWithMs));
    if (isNewer(release.version, currentVersion())) {
        setState(State::Available, release);
        if (m_userInitiated || m_settings.string(skippedVersionKey) != release.version)
            return [this, release] { present(release); };
        return {};
    }
    setState(State::UpToDate);
    if (!m_userInitiated)
        return {};
    return [this] {
        m_prompter->tell(QStringLiteral("已经是最新版本"),
                         QStringLiteral("当前版本 ") + currentVersion() + QStringLiteral("。"));
    };
}

std::function<void()> UpdateChecker::fail(const QString& details) {
    setState(State::Failed);
    if (!m_userInitiated)
        return {};
    return [this, details] { m_prompter->tell(failedMessage, details); };
}

void UpdateChecker::presentAvailable() {
    if (m_state == State::Available && m_release)
        present(*m_release);
}

void UpdateChecker::present(UpdateRelease release) {
    switch (m_prompter->askAboutRelease(releaseMessage(release), releaseDetails(release))) {
    case UpdatePrompter::ReleaseChoice::Download: m_prompter->open(release.url); break;
    case UpdatePrompter::ReleaseChoice::Later: break;
    case UpdatePrompter::ReleaseChoice::Skip: m_settings.setValue(skippedVersionKey, release.version); break;
    }
}

} // namespace sorvel
