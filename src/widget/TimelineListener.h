#pragma once

#include <QObject>

class QLocalServer;
class QLocalSocket;

namespace sorvel {

// Listens on the per-user local socket for the application's requests to
// read the data file again (sent after each of its saves).
class TimelineListener final : public QObject {
    Q_OBJECT
public:
    enum class Start {
        Listening,
        AlreadyRunning,  // another widget program answers on the socket
        Failed,          // logged
    };

    explicit TimelineListener(QObject* parent = nullptr);
    ~TimelineListener() override;

    // Claims the socket; a leftover socket file of an ended program is replaced.
    Start listen();

Q_SIGNALS:
    void reloadRequested();

private:
    void accept();
    void readFrom(QLocalSocket* socket);

    QLocalServer* m_server;
};

} // namespace sorvel
