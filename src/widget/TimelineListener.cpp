#include "widget/TimelineListener.h"

#include "core/Log.h"
#include "core/WidgetChannel.h"

#include <QLocalServer>
#include <QLocalSocket>

namespace sorvel {

namespace {
constexpr int answerWaitMs = 300;
constexpr qint64 maxRequestBytes = 4096;
} // namespace

TimelineListener::TimelineListener(QObject* parent)
    : QObject(parent), m_server(new QLocalServer(this)) {
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &TimelineListener::accept);
}

TimelineListener::~TimelineListener() = default;

TimelineListener::Start TimelineListener::listen() {
    const QString path = WidgetChannel::socketPath();
    QLocalSocket probe;
    probe.connectToServer(path);
    if (probe.waitForConnected(answerWaitMs)) {
        probe.disconnectFromServer();
        return Start::AlreadyRunning;
    }
    // Nobody answers: whatever is left there belongs to no running program.
    QLocalServer::removeServer(path);
    if (!m_server->listen(path)) {
        Log::info(QStringLiteral("Sorvel widget cannot listen on %1: %2").arg(path, m_server->errorString()));
        return Start::Failed;
    }
    return Start::Listening;
}

void TimelineListener::accept() {
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readFrom(socket); });
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        readFrom(socket);
    }
}

void TimelineListener::readFrom(QLocalSocket* socket) {
    const QByteArray expected = WidgetChannel::reloadMessage();
    bool reload = false;
    while (socket->canReadLine())
        reload = socket->readLine() == expected || reload;
    // Requests are a few bytes; anything longer without a line end is no request.
    if (socket->bytesAvailable() > maxRequestBytes)
        socket->abort();
    if (reload)
        Q_EMIT reloadRequested();
}

} // namespace sorvel
