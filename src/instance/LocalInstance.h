#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

class QLocalServer;
class QLocalSocket;

namespace sorvel {

// One running instance of a program per user. The first start holds a lock on
// a runtime file beside the socket for as long as it runs and listens on a
// per-user local socket; a later start hands its message to it and ends. While
// the lock is held, a start never becomes a second instance, even when the
// socket does not answer.
//
// The server outlives what a flood of connections does to it: it serves a few
// peers at a time, drops a peer that does not finish its message, and listens
// again when the server stops (Qt closes it, and removes its socket file, on an
// accept error such as running out of descriptors, without a signal).
//
// A message is a 4-byte big-endian length and that many bytes; the instance
// answers each with one byte before it handles it.
class LocalInstance final : public QObject {
    Q_OBJECT
public:
    enum class Claim {
        Listening, // this is the running instance now
        HandedOver, // a running instance took the message: end this process
        Unanswered, // a running instance accepted the connection but never confirmed
        Alone, // neither reachable nor listenable: run without hand-over
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

    // `program` names the program in the log.
    LocalInstance(QString socketPath, QString program, QObject* parent = nullptr);
    ~LocalInstance() override;

    // Hands `message` to a running instance, or becomes the running instance
    // when there is none. A socket file left by a dead instance is removed.
    // When the running instance holds its lock but its socket does not answer,
    // the start waits a moment for it and then gives up (Unanswered). Blocks
    // for at most a few seconds.
    Claim claim(const QByteArray& message);

    bool isListening() const;
    QString socketPath() const { return m_socketPath; }

    // The bytes that carry `message` on the socket.
    static QByteArray frame(const QByteArray& message);

Q_SIGNALS:
    // A later start or another program sent a message.
    void messageReceived(const QByteArray& message);

private:
    enum class InstanceLock { Taken, HeldElsewhere, Unavailable };

    InstanceLock takeInstanceLock();
    Claim handOverWhenListening(const QByteArray& message);
    Claim handOver(QLocalSocket& socket, const QByteArray& message);
    bool listen();
    // Listens again when the server stopped.
    void keepListening();
    void accept();
    void read(QLocalSocket* socket);

    QString m_socketPath;
    QString m_program;
    QLocalServer* m_server = nullptr;
    int m_instanceLock = -1;
    int m_peers = 0;
    bool m_relistenScheduled = false;
};

} // namespace sorvel
