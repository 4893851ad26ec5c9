#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <memory>

class QSettings;

namespace sorvel {

class FileSystem;

// The user's settings (an INI file under $XDG_CONFIG_HOME). A stored value of
// the wrong type reads as the caller's default. When the file's place holds
// something that is not a regular file (a FIFO, a device, a link to one), it is
// never opened nor written: the settings live in memory only, and the log says so.
class Settings final : public QObject {
    Q_OBJECT
public:
    // The settings kept in `filePath`: the application's own
    // (applicationFilePath()) or another, such as the earlier product's.
    // What is at the path is looked at through `files`, which must outlive
    // the settings, before the file is opened.
    Settings(FileSystem& files, const QString& filePath, QObject* parent = nullptr);
    ~Settings() override;

    static QString applicationFilePath(); // $XDG_CONFIG_HOME/sorvel/sorvel.conf
    static QString legacyFilePath(); // $XDG_CONFIG_HOME/pinwale/pinwale.conf

    QString string(const QString& key, const QString& fallback = {}) const;
    bool boolean(const QString& key, bool fallback) const;
    double real(const QString& key, double fallback) const;
    bool contains(const QString& key) const;
    QVariant value(const QString& key) const;
    QStringList keys() const;

    // changed(key) fires only when the stored value really changes. Changes are
    // written to the file at once.
    void setValue(const QString& key, const QVariant& value);
    void remove(const QString& key);
    // Re-reads the file (another process may have written it).
    void sync();

Q_SIGNALS:
    void changed(const QString& key);

private:
    // Checks the file before QSettings reads or writes it; on the first sign of
    // trouble the values move to memory for good.
    bool fileUsable();

    FileSystem& m_files;
    QString m_filePath;
    std::unique_ptr<QSettings> m_settings;
    QVariantMap m_memory;
};

} // namespace sorvel
