#pragma once

#include "app/settings/UpdatePrompter.h"
#include "app/settings/UpdateRelease.h"
#include "core/SettingsKeys.h"

#include <QDateTime>
#include <QNetworkAccessManager>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QUrl>

#include <functional>
#include <memory>
#include <optional>

class QNetworkReply;

namespace sorvel {

class Settings;

// Finds out whether a newer release has been published: fetches the feed's
// latest.json, compares its version with this build's, tells the user in
// alerts and keeps the state that the settings and the tray show. Checks run
// 3 s after start() when automatic checks are on, then at hourly ticks once
// the last success is more than a day old.
class UpdateChecker final : public QObject {
    Q_OBJECT
public:
    enum class State { Idle, Checking, Available, UpToDate, Failed };

    struct Timing {
        int firstCheckMs = 3000;
        int tickMs = 3600 * 1000;
        int transferTimeoutMs = 15 * 1000; // no data for this long ends a fetch
        int deadlineMs = 60 * 1000; // a fetch never takes longer than this
    };

    static inline const QString autoCheckKey = QLatin1String(SettingsKeys::updateAutoCheck);
    static inline const QString lastCheckKey = QLatin1String(SettingsKeys::updateLastCheck);
    static inline const QString skippedVersionKey = QLatin1String(SettingsKeys::updateSkippedVersion);
    static inline const QString feedURLKey = QLatin1String(SettingsKeys::updateFeedURL);
    static constexpr qint64 maxBodyBytes = 1024 * 1024;
    static constexpr qint64 recheckAfterSeconds = 86400;

    UpdateChecker(Settings& settings, std::unique_ptr<UpdatePrompter> prompter, Timing timing,
                  std::function<QDateTime()> now, QObject* parent = nullptr);
    ~UpdateChecker() override;

    State state() const { return m_state; }
    // The newer release while the state is Available.
    std::optional<UpdateRelease> release() const { return m_release; }
    std::optional<QString> availableVersion() const;

    // Starts the automatic schedule; later calls do nothing.
    void start();
    // One check; returns at once while another one runs. A hand-started check
    // tells every outcome; an automatic one only a newer release not skipped.
    // Alerts open on the turn of the event loop after the reply's.
    void check(bool userInitiated);
    // The new-release alert again; nothing unless a release is available.
    void presentAvailable();

    QUrl feedURL() const;
    static QUrl defaultFeed();
    static QString currentVersion();
    // Whether `candidate` is a newer version than `running`: dotted decimal
    // pieces compared in turn, a missing piece or one that is no number as 0.
    static bool isNewer(const QString& candidate, const QString& running);

    // The alerts' texts.
    static QString releaseMessage(const UpdateRelease& release);
    static QString releaseDetails(const UpdateRelease& release);
    static inline const QString failedMessage = QStringLiteral("暂时无法检查更新");
    static inline const QString networkFailedDetails = QStringLiteral("请检查网络连接后再试。");
    static inline const QString unusableDetails = QStringLiteral("无法使用更新信息，请稍后再试。");

Q_SIGNALS:
    // The state or the available release changed.
    void stateChanged();

private:
    bool autoCheck() const;
    QDateTime lastCheck() const;
    void setState(State state, std::optional<UpdateRelease> release = std::nullopt);
    void firstScheduledCheck();
    void tick();
    void finished(QNetworkReply* reply);
    // What the user is told, if anything; run after the reply is done with.
    std::function<void()> succeed(const UpdateRelease& release);
    std::function<void()> fail(const QString& details);
    // By value: a check that ends while the alert is open replaces the release held.
    void present(UpdateRelease release);

    Settings& m_settings;
    std::unique_ptr<UpdatePrompter> m_prompter;
    Timing m_timing;
    std::function<QDateTime()> m_now;
    QNetworkAccessManager m_network{this};
    QTimer m_tick{this}; // a child, so that the schedule can be followed from outside
    QTimer m_deadline;
    QPointer<QNetworkReply> m_reply;
    State m_state = State::Idle;
    std::optional<UpdateRelease> m_release;
    bool m_started = false;
    bool m_userInitiated = false;
    bool m_tickAfterCheck = false;
    bool m_tooLarge = false;
};

} // namespace sorvel
