#include "app/store/sync/FileStampPoller.h"

#include <QFile>

namespace sorvel {

namespace {

bool sameTime(const timespec& a, const timespec& b) {
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

} // namespace

FileStampPoller::FileStampPoller(QString path, QObject* parent) : QObject(parent), m_path(std::move(path)) {
    m_timer.setInterval(intervalMs);
    connect(&m_timer, &QTimer::timeout, this, &FileStampPoller::look);
}

void FileStampPoller::start() {
    m_last = stampOf(m_path);
    m_timer.start();
}

bool FileStampPoller::Stamp::operator==(const Stamp& other) const {
    if (exists != other.exists)
        return false;
    // A rename puts another inode in place; a rewrite in place changes the
    // size or the modification time, and any change the status change time.
    return !exists
        || (status.st_dev == other.status.st_dev && status.st_ino == other.status.st_ino
            && status.st_size == other.status.st_size && sameTime(status.st_mtim, other.status.st_mtim)
            && sameTime(status.st_ctim, other.status.st_ctim));
}

FileStampPoller::Stamp FileStampPoller::stampOf(const QString& path) {
    Stamp stamp;
    stamp.exists = ::stat(QFile::encodeName(path).constData(), &stamp.status) == 0;
    return stamp;
}

void FileStampPoller::look() {
    Stamp now = stampOf(m_path);
    if (now == m_last)
        return;
    m_last = now;
    Q_EMIT changed();
}

} // namespace sorvel
