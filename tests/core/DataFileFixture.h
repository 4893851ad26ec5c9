#pragma once

#include "core/FileSystem.h"
#include "core/Storage.h"
#include "support/TestEnvironment.h"

#include <QDateTime>
#include <QDir>
#include <QStringList>
#include <QThread>

namespace sorvel::test {

// Every test gets its own empty data folder (not created yet).
class DataFileFixture {
protected:
    TestEnvironment environment;
    PosixFileSystem disk;

    QString dataFolder() const { return environment.dataFolder(); }
    QString dataFile() const { return dataFolder() + QStringLiteral("/projects.json"); }

    // Stamps and names taken from the clock's seconds differ after this.
    static void waitForNextSecond() {
        const qint64 start = QDateTime::currentSecsSinceEpoch();
        while (QDateTime::currentSecsSinceEpoch() == start)
            QThread::msleep(20);
    }

    // Copies made of undecodable or unreadable data files, sorted by name.
    QStringList asideCopies() const {
        return QDir(dataFolder())
            .entryList({QStringLiteral("projects-unreadable-*.json")}, QDir::AllEntries | QDir::Hidden | QDir::System,
                       QDir::Name);
    }

    // Everything in the data folder but "." and "..".
    QStringList folderEntries() const {
        return QDir(dataFolder())
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    }
};

} // namespace sorvel::test
