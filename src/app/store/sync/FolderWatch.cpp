#include "app/store/sync/FolderWatch.h"

#include "core/Log.h"
#include "core/Storage.h"
#include "core/SystemErrorText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>

#include <cerrno>
#include <sys/inotify.h>
#include <unistd.h>

namespace sorvel {

namespace {

// Why the system refuses to watch `place`, in its own words.
QString whyUnwatchable(const QString& place) {
    const int fd = ::inotify_init1(IN_CLOEXEC);
    if (fd < 0)
        return SystemErrorText::inEnglish(errno);
    const int error = ::inotify_add_watch(fd, QFile::encodeName(place).constData(), IN_MODIFY) < 0 ? errno : 0;
    ::close(fd);
    switch (error) {
    case 0: return QStringLiteral("the watcher refused it");
    case ENOSPC: return QStringLiteral("the user's limit of inotify watches is reached (fs.inotify.max_user_watches)");
    default: return SystemErrorText::inEnglish(error);
    }
}

// Where the changes of a linked data file show: its target's folder, or
// while that is missing (a synced folder not there yet) the nearest folder
// above it that exists, whose events tell when it comes. Empty when the data
// file is no link.
QString linkedFolderToWatch(const QString& file) {
    QFileInfo link(file);
    if (!link.isSymLink())
        return {};
    const QString target = link.canonicalFilePath();
    if (!target.isEmpty())
        return QFileInfo(target).path();
    // Dangling: follow the chain of links as far as it goes.
    for (int depth = 0; depth < 40 && link.isSymLink(); ++depth)
        link.setFile(link.symLinkTarget());
    QDir folder(link.absolutePath());
    while (!folder.exists() && !folder.isRoot())
        folder.setPath(QFileInfo(folder.absolutePath()).path());
    return folder.canonicalPath();
}

} // namespace

FolderWatch::FolderWatch(const QString& folder, std::function<void()> changed)
    : m_folder(folder),
      m_changed(std::move(changed)),
      m_watcher(std::make_unique<QFileSystemWatcher>()),
      m_poller(Storage::filePath()) {
    QDir().mkpath(m_folder);
    connect(m_watcher.get(), &QFileSystemWatcher::directoryChanged, this, &FolderWatch::folderChanged);
    connect(m_watcher.get(), &QFileSystemWatcher::fileChanged, this, &FolderWatch::folderChanged);
    connect(&m_poller, &FileStampPoller::changed, this, &FolderWatch::folderChanged);
    if (!m_watcher->addPath(m_folder))
        pollInstead(m_folder);
    watchLinkedFolder();
    watchFile();
}

FolderWatch::~FolderWatch() = default;

bool FolderWatch::isWatching() const {
    return m_watcher->directories().contains(m_folder);
}

void FolderWatch::pollInstead(const QString& place) {
    if (m_poller.isRunning())
        return;
    Log::info(QStringLiteral("Sorvel: cannot watch %1 for changes of other programs: %2; looking at the data file "
                             "every %3 ms instead")
                  .arg(place, whyUnwatchable(place))
                  .arg(FileStampPoller::intervalMs));
    m_poller.start();
}

void FolderWatch::watchFile() {
    // A program that rewrites the file in place changes no entry of the folder.
    // A rename puts another file in its place: the watch moves to it at the
    // folder's event (the old one may still be watched until it is freed).
    const QString file = Storage::filePath();
    if (m_watcher->files().contains(file))
        m_watcher->removePath(file);
    if (QFileInfo::exists(file) && !m_watcher->addPath(file))
        pollInstead(file);
}

void FolderWatch::watchLinkedFolder() {
    // A data file that is a link is written (atomically) in its target's folder,
    // which the data folder's own events never show.
    const QString folder = linkedFolderToWatch(Storage::filePath());
    if (folder == m_linkedFolder)
        return;
    if (!m_linkedFolder.isEmpty())
        m_watcher->removePath(m_linkedFolder);
    m_linkedFolder.clear();
    if (folder.isEmpty() || folder == QFileInfo(m_folder).canonicalFilePath())
        return;
    if (m_watcher->addPath(folder))
        m_linkedFolder = folder;
    else
        pollInstead(folder);
}

void FolderWatch::folderChanged() {
    // A removed data folder ends its watch; the folder is made again and watched anew.
    if (!m_watcher->directories().contains(m_folder) && QDir().mkpath(m_folder) && !m_watcher->addPath(m_folder))
        pollInstead(m_folder);
    if (!m_linkedFolder.isEmpty() && !m_watcher->directories().contains(m_linkedFolder))
        m_linkedFolder.clear(); // removed: watched again when it is back
    watchLinkedFolder();
    watchFile();
    m_changed();
}

} // namespace sorvel
