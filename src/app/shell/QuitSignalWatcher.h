#pragma once

#include <QObject>

class QSocketNotifier;

namespace sorvel {

// Turns SIGTERM, SIGINT and SIGHUP into a Qt signal on the main thread, so that
// a quit by signal takes the ordinary way out (and writes pending changes).
// The handler only writes the signal number into a socket pair; everything
// else happens in the event loop. One watcher per process; the previous
// handlers come back when it is destroyed.
class QuitSignalWatcher final : public QObject {
    Q_OBJECT
public:
    explicit QuitSignalWatcher(QObject* parent = nullptr);
    ~QuitSignalWatcher() override;

    bool isWatching() const { return m_notifier != nullptr; }

Q_SIGNALS:
    void quitRequested(int signalNumber);

private:
    void drain();

    int m_fds[2] = {-1, -1};
    QSocketNotifier* m_notifier = nullptr;
};

} // namespace sorvel
