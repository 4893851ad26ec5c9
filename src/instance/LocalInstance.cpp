#include "instance/LocalInstance.h"

#include "core/Log.h"
#include "core/SystemErrorText.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QtEndian>
#include <QThread>
#include <QTimer>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <utility>

namespace sorvel {

namespace {

constexpr char answerByte = 0x06;
constexpr qsizetype headerBytes = sizeof(quint32);
// How often the running instance looks whether its server still listens: an
// accept error closes it without a signal, and no connection may come to tell.
constexpr int listeningCheckMs = 1000;

// Serialises the connect-or-listen step of two starts racing each other.
class ClaimLock {
public:
    explicit ClaimLock(const QString& path) {
        m_fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (m_fd >= 0 && ::flock(m_fd, LOCK_EX) != 0) {
            ::close(m_fd);
            m_fd = -1;
        }
    }
    ~ClaimLock() {
        if (m_fd >= 0)
            ::close(m_fd); // releases the lock
    }
    ClaimLock(const ClaimLock&) = delete;
    ClaimLock& operator=(const ClaimLock&) = delete;

private:
    int m_fd = -1;
};

} // namespace

QByteArray LocalInstance::frame(const QByteArray& message) {
    QByteArray bytes(headerBytes, Qt::Uninitialized);
    qToBigEndian<quint32>(quint32(message.size()), bytes.data());
    return bytes + message;
}

LocalInstance::LocalInstance(QString socketPath, QString program, QObject* parent)
    : QObject(parent), m_socketPath(std::move(socketPath)), m_program(std::move(program)) {}

LocalInstance::~LocalInstance() {
    // The socket goes before the lock, so a start that takes the lock never
    // finds this instance's socket still answering.
    if (m_server)
        m_server->close();
    if (m_instanceLock >= 0)
        ::close(m_instanceLock); // releases the lock
}

bool LocalInstance::isListening() const {
    return m_server && m_server->isListening();
}

LocalInstance::Claim LocalInstance::claim(const QByteArray& message) {
    const QString folder = QFileInfo(m_socketPath).absolutePath();
    QDir().mkpath(folder);
    ClaimLock lock(m_socketPath + QStringLiteral(".lock"));

    QLocalSocket socket;
    socket.connectToServer(m_socketPath);
    if (socket.waitForConnected(connectTimeoutMs))
        return handOver(socket, message);

    if (takeInstanceLock() == InstanceLock::HeldElsewhere)
        return handOverWhenListening(message);

    const QLocalSocket::LocalSocketError error = socket.error();
    if (error == QLocalSocket::ConnectionRefusedError || error == QLocalSocket::ServerNotFoundError)
        QLocalServer::removeServer(m_socketPath); // left behind by an instance that died
    if (listen()) {
        auto* check = new QTimer(this);
        connect(check, &QTimer::timeout, this, &LocalInstance::keepListening);
        check->start(listeningCheckMs);
        return Claim::Listening;
    }
    Log::info(QStringLiteral("%1 could not claim %2: %3; running without hand-over")
                  .arg(m_program, m_socketPath, m_server ? m_server->errorString() : socket.errorString()));
    return Claim::Alone;
}

LocalInstance::InstanceLock LocalInstance::takeInstanceLock() {
    const QByteArray path = QFile::encodeName(m_socketPath + QStringLiteral(".instance"));
    // O_NONBLOCK: whatever stands at the path, opening it never waits.
    const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NONBLOCK | O_NOCTTY, 0600);
    if (fd < 0) {
        Log::info(QStringLiteral("%1 cannot open its instance lock %2: %3")
                      .arg(m_program, QFile::decodeName(path), SystemErrorText::inEnglish(errno)));
        return InstanceLock::Unavailable;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
        m_instanceLock = fd;
        return InstanceLock::Taken;
    }
    const int error = errno;
    ::close(fd);
    return error == EWOULDBLOCK ? InstanceLock::HeldElsewhere : InstanceLock::Unavailable;
}

LocalInstance::Claim LocalInstance::handOverWhenListening(const QByteArray& message) {
    // The running instance listens again shortly after its server failed.
    const QDeadlineTimer deadline(answerTimeoutMs);
    while (!deadline.hasExpired()) {
        QLocalSocket socket;
        socket.connectToServer(m_socketPath);
        if (socket.waitForConnected(connectTimeoutMs))
            return handOver(socket, message);
        QThread::msleep(100);
    }
    Log::info(QStringLiteral("%1 is running (it holds %2.instance) but its socket does not answer")
                  .arg(m_program, m_socketPath));
    return Claim::Unanswered;
}

LocalInstance::Claim LocalInstance::handOver(QLocalSocket& socket, const QByteArray& message) {
    socket.write(frame(message));
    if (!socket.waitForBytesWritten(answerTimeoutMs))
        return Claim::Unanswered;
    while (socket.bytesAvailable() < 1) {
        if (!socket.waitForReadyRead(answerTimeoutMs))
            return Claim::Unanswered;
    }
    char answer = 0;
    socket.getChar(&answer);
    return answer == answerByte ? Claim::HandedOver : Claim::Unanswered;
}

bool LocalInstance::listen() {
    if (!m_server) {
        m_server = new QLocalServer(this);
        m_server->setSocketOptions(QLocalServer::UserAccessOption);
        m_server->setMaxPendingConnections(maxPendingPeers);
        connect(m_server, &QLocalServer::newConnection, this, &LocalInstance::accept);
    }
    return m_server->listen(m_socketPath);
}

void LocalInstance::keepListening() {
    if (!m_server || m_server->isListening() || m_relistenScheduled)
        return;
    Log::info(
        QStringLiteral("%1's socket stopped listening (%2); listening again").arg(m_program, m_server->errorString()));
    // Only this instance holds the lock, so the socket file is ours to replace.
    QLocalServer::removeServer(m_socketPath);
    if (listen())
        return;
    Log::info(QStringLiteral("%1 cannot listen on %2 yet: %3").arg(m_program, m_socketPath, m_server->errorString()));
    m_relistenScheduled = true;
    QTimer::singleShot(relistenDelayMs, this, [this] {
        m_relistenScheduled = false;
        keepListening();
    });
}

void LocalInstance::accept() {
    // Connections beyond maxPeers wait in the server's queue, and beyond that
    // in the system's, until a peer is done.
    while (m_peers < maxPeers) {
        QLocalSocket* socket = m_server->nextPendingConnection();
        if (!socket)
            break;
        ++m_peers;
        connect(socket, &QObject::destroyed, this, [this] {
            --m_peers;
            accept();
        });
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { read(socket); });
        // A peer that never finishes its message is dropped.
        QTimer::singleShot(messageTimeoutMs, socket, [socket] { socket->abort(); });
        read(socket);
    }
    keepListening();
}

void LocalInstance::read(QLocalSocket* socket) {
    if (socket->property("answered").toBool() || socket->bytesAvailable() < headerBytes)
        return;
    char header[headerBytes];
    socket->peek(header, headerBytes);
    const quint32 length = qFromBigEndian<quint32>(header);
    if (length > maxMessageBytes) {
        socket->abort();
        return;
    }
    if (socket->bytesAvailable() < headerBytes + qsizetype(length))
        return;
    socket->skip(headerBytes);
    const QByteArray message = socket->read(length);
    socket->setProperty("answered", true);
    // Answer before handling: handling may open a modal window, and the other
    // start must not wait for the user.
    socket->putChar(answerByte);
    socket->disconnectFromServer();
    Q_EMIT messageReceived(message);
}

} // namespace sorvel
