#include "core/LegacyMigration.h"

#include "core/DataFolder.h"
#include "core/FileSystem.h"
#include "core/FolderLock.h"
#include "core/RegularFile.h"
#include "core/Settings.h"
#include "core/Storage.h"

#include <QFile>

#include <climits>
#include <sys/stat.h>

namespace sorvel::LegacyMigration {

namespace {

const QString migratedFlag = QStringLiteral("migratedFromPinwale");

bool isCopiedSetting(const QString& key) {
    return key.startsWith(QLatin1String("appearance.")) || key.startsWith(QLatin1String("archive"))
        || key.startsWith(QLatin1String("edgePanel"));
}

// Whether anything is at `path`, a dangling link too.
bool occupied(FileSystem& files, const QString& path) {
    struct stat info {};
    return files.lstat(QFile::encodeName(path).constData(), &info) == 0;
}

// Copies one entry, folders with everything inside; an existing target is never
// replaced, and a failure inside a folder does not stop the rest of it.
void copyEntry(FileSystem& files, const QString& source, const QString& target) {
    if (occupied(files, target))
        return;
    const QByteArray sourceName = QFile::encodeName(source);
    struct stat info {};
    if (files.lstat(sourceName.constData(), &info) == 0 && S_ISLNK(info.st_mode)) {
        // The link's own text: a relative link keeps pointing into the copy,
        // never back into the old folder, which must stay as it was.
        QByteArray link(PATH_MAX, '\0');
        const ssize_t length = files.readlink(sourceName.constData(), link.data(), link.size());
        if (length > 0 && length < link.size())
            files.symlink(link.left(length).constData(), QFile::encodeName(target).constData());
    } else if (RegularFile::isFolder(files, source)) {
        if (files.mkdir(QFile::encodeName(target).constData(), 0777) != 0)
            return;
        for (const QString& name : RegularFile::namesIn(files, source))
            copyEntry(files, source + QLatin1Char('/') + name, target + QLatin1Char('/') + name);
    } else {
        RegularFile::copyNew(files, source, target);
    }
}

// A kept-aside copy means this program has had data of its own, even when the
// data file itself is gone: the old product's data must not take its place.
bool holdsOwnData(FileSystem& files) {
    return occupied(files, DataFolder::filePath()) || Storage::hasKeptAsideCopy(files);
}

} // namespace

void migrateData(FileSystem& files, const FolderLock::Waiter& waiter) {
    const QString folder = DataFolder::directory();
    const QString legacyFolder = DataFolder::legacyDirectory();
    struct stat legacyFile {};
    if (holdsOwnData(files)
        || files.stat(QFile::encodeName(legacyFolder + QStringLiteral("/projects.json")).constData(), &legacyFile) != 0)
        return;
    RegularFile::makePath(files, folder);
    // Held so that a running widget never reads a half-copied data file.
    const FolderLock lock(files, folder, FolderLock::Mode::Write, waiter);
    if (!lock.isLocked() || holdsOwnData(files))
        return;
    for (const QString& name : RegularFile::namesIn(files, legacyFolder))
        copyEntry(files, legacyFolder + QLatin1Char('/') + name, folder + QLatin1Char('/') + name);
}

void migrateSettings(FileSystem& files, Settings& settings) {
    // A missing file reads as an empty set of settings.
    const Settings legacy(files, Settings::legacyFilePath());
    migrateSettings(settings, legacy);
}

void migrateSettings(Settings& settings, const Settings& legacy) {
    if (settings.boolean(migratedFlag, false))
        return;
    for (const QString& key : legacy.keys()) {
        if (isCopiedSetting(key))
            settings.setValue(key, legacy.value(key));
    }
    settings.setValue(migratedFlag, true);
    settings.sync();
}

} // namespace sorvel::LegacyMigration
