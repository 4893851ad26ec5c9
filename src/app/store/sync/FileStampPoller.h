#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

#include <sys/stat.h>

namespace sorvel {

// Looks at a file every interval, as the stat of its path (through links)
// gives it: device, inode, size and times. Where a folder cannot be watched
// (the system's limit of watches is reached), this is how changes of other
// programs still show, a little later.
class FileStampPoller final : public QObject {
    Q_OBJECT
public:
    static constexpr int intervalMs = 1000;

    explicit FileStampPoller(QString path, QObject* parent = nullptr);

    bool isRunning() const { return m_timer.isActive(); }
    // Takes the file as it is now and looks again every interval.
    void start();

Q_SIGNALS:
    // The file is another, or it changed, appeared or went since the last look.
    void changed();

private:
    struct Stamp {
        bool exists = false;
        struct stat status {};
        bool operator==(const Stamp& other) const;
    };
    static Stamp stampOf(const QString& path);
    void look();

    QString m_path;
    QTimer m_timer;
    Stamp m_last;
};

} // namespace sorvel
