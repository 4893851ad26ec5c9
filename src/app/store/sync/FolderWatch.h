#pragma once

#include "app/store/sync/FileStampPoller.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class QFileSystemWatcher;

namespace sorvel {

// Watches the data folder, the data file and, when the file is a link, the
// folder it points into (or, while that is missing, the nearest folder above
// it); calls `changed` at each of their events. Where the system refuses a
// watch, it looks at the data file's stamp every second instead.
class FolderWatch final : public QObject {
public:
    FolderWatch(const QString& folder, std::function<void()> changed);
    ~FolderWatch() override;

    bool isWatching() const;

private:
    void folderChanged();
    void watchLinkedFolder();
    void watchFile();
    void pollInstead(const QString& place);

    QString m_folder;
    QString m_linkedFolder; // the folder of the data file's link target, when elsewhere
    std::function<void()> m_changed;
    std::unique_ptr<QFileSystemWatcher> m_watcher;
    FileStampPoller m_poller;
};

} // namespace sorvel
