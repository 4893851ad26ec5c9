#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class QFileSystemWatcher;

namespace sorvel {

// Watches the data folder, the data file and, when the file is a link, the
// folder it points into; calls `changed` at each of their events.
class FolderWatch final : public QObject {
public:
    FolderWatch(const QString& folder, std::function<void()> changed);
    ~FolderWatch() override;

    bool isWatching() const;

private:
    void folderChanged();
    void watchLinkedFolder();
    void watchFile();

    QString m_folder;
    QString m_linkedFolder; // the folder of the data file's link target, when elsewhere
    std::function<void()> m_changed;
    std::unique_ptr<QFileSystemWatcher> m_watcher;
};

} // namespace sorvel
