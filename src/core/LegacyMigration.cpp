#include "core/LegacyMigration.h"

#include "core/DataFolder.h"
#include "core/FolderLock.h"
#include "core/RegularFile.h"
#include "core/Settings.h"
#include "core/Storage.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <climits>
#include <unistd.h>

namespace sorvel::LegacyMigration {

namespace {

const QString migratedFlag = QStringLiteral("migratedFromPinwale");

bool isCopiedSetting(const QString& key) {
    return key.startsWith(QLatin1String("appearance.")) || key.startsWith(QLatin1String("archive"))
        || key.startsWith(QLatin1String("edgePanel"));
}

bool occupied(const QString& path) {
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

QFileInfoList entriesOf(const QString& folder) {
    return QDir(folder).entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

// Copies one entry, folders with everything inside; an existing target is never
// replaced, and a failure inside a folder does not stop the rest of it.
void copyEntry(const QFileInfo& source, const QString& target) {
    if (occupied(target))
        return;
    if (source.isSymLink()) {
        // The link's own text: a relative link keeps pointing into the copy,
        // never back into the old folder, which must stay as it was.
        QByteArray link(PATH_MAX, '\0');
        const ssize_t length = ::readlink(QFile::encodeName(source.filePath()).constData(), link.data(), link.size());
        if (length > 0 && length < link.size())
            ::symlink(link.left(length).constData(), QFile::encodeName(target).constData());
    } else if (source.isDir()) {
        if (!QDir().mkdir(target))
            return;
        for (const QFileInfo& child : entriesOf(source.filePath()))
            copyEntry(child, target + QLatin1Char('/') + child.fileName());
    } else {
        RegularFile::copyNew(source.filePath(), target);
    }
}

// A kept-aside copy means this program has had data of its own, even when the
// data file itself is gone: the old product's data must not take its place.
bool holdsOwnData() {
    return occupied(DataFolder::filePath()) || Storage::hasKeptAsideCopy();
}

} // namespace

void migrateData(const FolderLock::Waiter& waiter) {
    const QString folder = DataFolder::directory();
    const QString legacyFolder = DataFolder::legacyDirectory();
    if (holdsOwnData() || !QFileInfo::exists(legacyFolder + QStringLiteral("/projects.json")))
        return;
    QDir().mkpath(folder);
    // Held so that a running widget never reads a half-copied data file.
    const FolderLock lock(folder, FolderLock::Mode::Write, waiter);
    if (!lock.isLocked() || holdsOwnData())
        return;
    for (const QFileInfo& entry : entriesOf(legacyFolder))
        copyEntry(entry, folder + QLatin1Char('/') + entry.fileName());
}

void migrateSettings(Settings& settings) {
    // A missing file reads as an empty set of settings.
    const Settings legacy(Settings::legacyFilePath());
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
