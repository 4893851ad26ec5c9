#include "app/store/WidgetTimelines.h"

#include "core/WidgetChannel.h"
#include "instance/LocalInstance.h"

#include <QFile>

#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace sorvel::WidgetTimelines {

void reloadAll() {
    const QByteArray path = QFile::encodeName(WidgetChannel::socketPath());
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= qsizetype(sizeof(address.sun_path)))
        return;
    std::memcpy(address.sun_path, path.constData(), size_t(path.size()));

    // A plain non-blocking stream socket: connecting to a local socket either
    // succeeds at once or fails at once (nobody listening), so the caller never
    // waits, not even for the widget's answer, which nobody reads.
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return;
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0) {
        const QByteArray message = LocalInstance::frame(WidgetChannel::reloadMessage());
        [[maybe_unused]] const ssize_t sent = ::send(fd, message.constData(), size_t(message.size()), MSG_NOSIGNAL);
    }
    ::close(fd);
}

} // namespace sorvel::WidgetTimelines
