#include "widget/TimelineListener.h"

#include "core/Log.h"
#include "core/WidgetChannel.h"

#include <QLocalServer>
#include <QLocalSocket>

namespace sorvel {

namespace {
constexpr int answerWaitMs = 300;
constexpr qint64 maxRequestBytes = 4096;
const QByteArray showPrefix = QByteArrayLiteral("show-families ");
const QByteArray accentedWord = QByteArrayLiteral("accented");

// The sizes named in a show message; none when the line is something else.
QList<WidgetFamily> familiesIn(const QByteArray& line) {
    QList<WidgetFamily> families;
    if (!line.startsWith(showPrefix) || !line.endsWith('\n'))
        return families;
    const QByteArray names = line.mid(showPrefix.size()).trimmed().split(' ').first();
    for (const QByteArray& name : names.split(',')) {
        if (const std::optional<WidgetFamily> family = WidgetFamilies::fromName(QString::fromLatin1(name)))
            families.append(*family);
    }
    return families;
}

RenderingMode modeIn(const QByteArray& line) {
    return line.trimmed().endsWith(' ' + accentedWord) ? RenderingMode::Accented : RenderingMode::FullColor;
}
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

QByteArray TimelineListener::showMessage(const QList<WidgetFamily>& families, RenderingMode mode) {
    QStringList names;
    for (const WidgetFamily family : families)
        names.append(WidgetFamilies::name(family));
    const QByteArray look = mode == RenderingMode::Accented ? ' ' + accentedWord : QByteArray();
    return showPrefix + names.join(QLatin1Char(',')).toLatin1() + look + '\n';
}

bool TimelineListener::handOver(const QList<WidgetFamily>& families, RenderingMode mode) {
    QLocalSocket socket;
    socket.connectToServer(WidgetChannel::socketPath());
    if (!socket.waitForConnected(answerWaitMs))
        return false;
    socket.write(showMessage(families, mode));
    const bool sent = socket.waitForBytesWritten(answerWaitMs);
    socket.disconnectFromServer();
    return sent;
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
    QList<std::pair<QList<WidgetFamily>, RenderingMode>> shows;
    while (socket->canReadLine()) {
        const QByteArray line = socket->readLine();
        reload = line == expected || reload;
        if (const QList<WidgetFamily> families = familiesIn(line); !families.isEmpty())
            shows.append({families, modeIn(line)});
    }
    // Requests are a few bytes; anything longer without a line end is no request.
    if (socket->bytesAvailable() > maxRequestBytes)
        socket->abort();
    if (reload)
        Q_EMIT reloadRequested();
    for (const auto& [families, mode] : shows)
        Q_EMIT familiesRequested(families, mode);
}

} // namespace sorvel
