#pragma once

#include <QObject>
#include <QString>

class QLocalServer;
class QLocalSocket;

namespace sorvel {

// One application per user. The first start listens on a per-user local
// socket; a later start hands its link to it and ends before it ever opens
// the data file.
class SingleInstance final : public QObject {
    Q_OBJECT
public:
    enum class Claim {
        Listening,   // this is the running instance now
        HandedOver,  // a running instance took the link: end this process
        Unanswered,  // a running instance accepted the connection but never confirmed
        Alone,       // neither reachable nor listenable: run without hand-over
    };

    static constexpr int connectTimeoutMs = 1000;
    static constexpr int answerTimeoutMs = 5000;
    static constexpr int messageTimeoutMs = 5000;
    static constexpr quint32 maxMessageBytes = 16 * 1024;

    // $XDG_RUNTIME_DIR/sorvel-app.socket
    static QString defaultSocketPath();

    explicit SingleInstance(QString socketPath, QObject* parent = nullptr);
    ~SingleInstance() override;

    // Hands `link` (empty: only come to the front) to a running instance, or
    // becomes the running instance when there is none. A socket file left by a
    // dead instance is removed. Blocks for at most a few seconds.
    Claim claim(const QString& link);

    bool isListening() const;

Q_SIGNALS:
    // A later start asked this instance to come to the front; the link is
    // empty when it brought none.
    void linkReceived(const QString& link);

private:
    Claim handOver(QLocalSocket& socket, const QString& link);
    bool listen();
    void accept();
    void read(QLocalSocket* socket);

    QString m_socketPath;
    QLocalServer* m_server = nullptr;
};

} // namespace sorvel
