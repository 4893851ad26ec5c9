#pragma once

#include "widget/WidgetFamily.h"

#include <QList>
#include <QObject>

class QLocalServer;
class QLocalSocket;

namespace sorvel {

// Listens on the per-user local socket for the application's requests to
// read the data file again (sent after each of its saves), and for later
// starts of the widget program that hand their sizes over to this one.
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
    // Asks the widget program that listens to show these sizes too; false
    // when none answers.
    static bool handOver(const QList<WidgetFamily>& families);

    // "show-families small,large\n"
    static QByteArray showMessage(const QList<WidgetFamily>& families);

Q_SIGNALS:
    void reloadRequested();
    void familiesRequested(const QList<sorvel::WidgetFamily>& families);

private:
    void accept();
    void readFrom(QLocalSocket* socket);

    QLocalServer* m_server;
};

} // namespace sorvel
