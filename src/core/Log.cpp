#include "core/Log.h"

#include <QByteArray>

#include <cstdio>
#include <mutex>
#include <syslog.h>

namespace sorvel::Log {

namespace {

void emitLine(int priority, const QString& line) {
    static std::once_flag opened;
    std::call_once(opened, [] { openlog("sorvel", LOG_PID, LOG_USER); });
    const QByteArray bytes = line.toUtf8();
    syslog(priority, "%s", bytes.constData());
    std::fprintf(stderr, "%s\n", bytes.constData());
    std::fflush(stderr);
}

} // namespace

void storageError(const QString& description) {
    emitLine(LOG_ERR, QStringLiteral("Sorvel storage error: ") + description);
}

void writeError(const QString& description) {
    emitLine(LOG_ERR, QStringLiteral("Sorvel write error: ") + description);
}

void decodeError(const QString& description) {
    emitLine(LOG_ERR, QStringLiteral("Sorvel decode error: ") + description);
}

void info(const QString& line) {
    emitLine(LOG_INFO, line);
}

} // namespace sorvel::Log
