#include "app/store/sync/FolderWatch.h"

#include "core/Storage.h"

#include <QDir>
#include <QFileInfo>
#include <QFileSystemWatcher>

namespace sorvel {

FolderWatch::FolderWatch(const QString& folder, std::function<void()> changed)
    : m_folder(folder), m_changed(std::move(changed)) {
    QDir().mkpath(m_folder);
    auto watcher = std::make_unique<QFileSystemWatcher>();
    if (!watcher->addPath(m_folder))
        return; // no watcher: changes of other programs show at the next start
    connect(watcher.get(), &QFileSystemWatcher::directoryChanged, this, &FolderWatch::folderChanged);
    connect(watcher.get(), &QFileSystemWatcher::fileChanged, this, &FolderWatch::folderChanged);
    m_watcher = std::move(watcher);
    watchLinkedFolder();
    watchFile();
}

FolderWatch::~FolderWatch() = default;

bool FolderWatch::isWatching() const {
    return m_watcher && m_watcher->directories().contains(m_folder);
}

void FolderWatch::watchFile() {
    // A program that rewrites the file in place changes no entry of the folder.
    // A rename puts another file in its place: the watch moves to it at the
    // folder's event (the old one may still be watched until it is freed).
    const QString file = Storage::filePath();
    if (m_watcher->files().contains(file))
        m_watcher->removePath(file);
    if (QFileInfo::exists(file))
        m_watcher->addPath(file);
}

void FolderWatch::watchLinkedFolder() {
    // A data file that is a link is written (atomically) in its target's folder,
    // which the data folder's own events never show.
    const QString target = QFileInfo(Storage::filePath()).canonicalFilePath();
    const QString folder = target.isEmpty() ? QString() : QFileInfo(target).path();
    if (folder == m_linkedFolder)
        return;
    if (!m_linkedFolder.isEmpty())
        m_watcher->removePath(m_linkedFolder);
    m_linkedFolder.clear();
    if (!folder.isEmpty() && folder != QFileInfo(m_folder).canonicalFilePath() && m_watcher->addPath(folder))
        m_linkedFolder = folder;
}

void FolderWatch::folderChanged() {
    // A removed data folder ends its watch; the folder is made again and watched anew.
    if (!m_watcher->directories().contains(m_folder) && QDir().mkpath(m_folder))
        m_watcher->addPath(m_folder);
    if (!m_linkedFolder.isEmpty() && !m_watcher->directories().contains(m_linkedFolder))
        m_linkedFolder.clear(); // removed: watched again when it is back
    watchLinkedFolder();
    watchFile();
    m_changed();
}

} // namespace sorvel
