#pragma once

#include <QObject>
#include <QString>

class QLocalServer;
class QLocalSocket;

namespace sorvel {

// One application per user. The first start holds a lock on a per-user
// runtime file for as long as it runs and listens on a per-user local socket;
// a later start hands its link to it and ends before it ever opens the data
// file. While the lock is held, a start never becomes a second instance, even
// when the socket does not answer.
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
    // Peers served at once, and connections the server takes from the system
    // before it has served them: a burst of connections never uses up the
    // process's descriptors.
    static constexpr int maxPeers = 16;
    static constexpr int maxPendingPeers = 8;
    static constexpr int relistenDelayMs = 500;

    // $XDG_RUNTIME_DIR/sorvel-app.socket; the lock file is beside it.
    static QString defaultSocketPath();

    explicit SingleInstance(QString socketPath, QObject* parent = nullptr);
    ~SingleInstance() override;

    // Hands `link` (empty: only come to the front) to a running instance, or
    // becomes the running instance when there is none. A socket file left by a
    // dead instance is removed. When the running instance holds its lock but
    // its socket does not answer, the start waits a moment for it and then
    // gives up (Unanswered). Blocks for at most a few seconds.
    Claim claim(const QString& link);

    bool isListening() const;

Q_SIGNALS:
    // A later start asked this instance to come to the front; the link is
    // empty when it brought none.
    void linkReceived(const QString& link);

private:
    enum class InstanceLock { Taken, HeldElsewhere, Unavailable };

    InstanceLock takeInstanceLock();
    Claim handOverWhenListening(const QString& link);
    Claim handOver(QLocalSocket& socket, const QString& link);
    bool listen();
    // Listens again when the server stopped (it closes itself on an accept error).
    void keepListening();
    void accept();
    void read(QLocalSocket* socket);

    QString m_socketPath;
    QLocalServer* m_server = nullptr;
    int m_instanceLock = -1;
    int m_peers = 0;
    bool m_relistenScheduled = false;
};

} // namespace sorvel
