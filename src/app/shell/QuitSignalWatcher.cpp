#include "app/shell/QuitSignalWatcher.h"

#include "core/Log.h"
#include "core/SystemErrorText.h"

#include <QSocketNotifier>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace sorvel {

namespace {

constexpr int watchedSignals[] = {SIGTERM, SIGINT, SIGHUP};
constexpr int watchedCount = int(sizeof(watchedSignals) / sizeof(watchedSignals[0]));

std::atomic<int> writeEnd{-1};
struct sigaction previousActions[watchedCount];

void onSignal(int number) {
    const int saved = errno;
    const int fd = writeEnd.load();
    if (fd >= 0) {
        const unsigned char byte = static_cast<unsigned char>(number);
        [[maybe_unused]] const ssize_t written = ::write(fd, &byte, 1);
    }
    errno = saved;
}

} // namespace

QuitSignalWatcher::QuitSignalWatcher(QObject* parent) : QObject(parent) {
    if (writeEnd.load() >= 0) {
        Log::info(QStringLiteral("Sorvel: quit signals are already watched"));
        return;
    }
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, m_fds) != 0) {
        Log::info(QStringLiteral("Sorvel: cannot watch quit signals: %1").arg(SystemErrorText::inEnglish(errno)));
        m_fds[0] = m_fds[1] = -1;
        return;
    }
    writeEnd.store(m_fds[0]);
    m_notifier = new QSocketNotifier(m_fds[1], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &QuitSignalWatcher::drain);

    for (int i = 0; i < watchedCount; ++i) {
        struct sigaction action {};
        action.sa_handler = onSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        ::sigaction(watchedSignals[i], &action, &previousActions[i]);
    }
}

QuitSignalWatcher::~QuitSignalWatcher() {
    if (!m_notifier)
        return;
    for (int i = 0; i < watchedCount; ++i)
        ::sigaction(watchedSignals[i], &previousActions[i], nullptr);
    writeEnd.store(-1);
    delete m_notifier;
    ::close(m_fds[0]);
    ::close(m_fds[1]);
}

void QuitSignalWatcher::drain() {
    unsigned char byte = 0;
    int last = 0;
    while (::read(m_fds[1], &byte, 1) == 1)
        last = byte;
    if (last != 0)
        Q_EMIT quitRequested(last);
}

} // namespace sorvel
