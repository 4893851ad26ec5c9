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
    // Asks the widget program that listens to show these sizes too, in this
    // rendering mode; false when none answers.
    static bool handOver(const QList<WidgetFamily>& families, RenderingMode mode = RenderingMode::FullColor);

    // "show-families small,large\n", with " accented" before the line end
    // for the accented look.
    static QByteArray showMessage(const QList<WidgetFamily>& families,
                                  RenderingMode mode = RenderingMode::FullColor);

Q_SIGNALS:
    void reloadRequested();
    void familiesRequested(const QList<sorvel::WidgetFamily>& families, sorvel::RenderingMode mode);

private:
    void accept();
    void readFrom(QLocalSocket* socket);

    QLocalServer* m_server;
};

} // namespace sorvel
