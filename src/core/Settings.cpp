#include "core/Settings.h"

#include "core/DataFolder.h"
#include "core/RegularFile.h"

#include <QSettings>

#include <cmath>

namespace sorvel {

namespace {

// Texts, truth values and numbers: the kinds an INI file keeps as plain text.
bool isPlain(const QVariant& value) {
    switch (value.typeId()) {
    case QMetaType::QString:
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float: return true;
    default: return false;
    }
}

bool isNumber(const QVariant& value) {
    return isPlain(value) && value.typeId() != QMetaType::QString && value.typeId() != QMetaType::Bool;
}

// A value read back from the file is text even when a number or truth value was
// stored, so plain values that print alike are the same stored value.
bool sameStoredValue(const QVariant& stored, const QVariant& value) {
    if (stored.typeId() != value.typeId() && isPlain(stored) && isPlain(value))
        return stored.toString() == value.toString();
    return stored == value;
}

} // namespace

namespace {

// QSettings also opens "<file>.lock" beside the file while it writes.
bool settingsFilesUsable(FileSystem& files, const QString& filePath) {
    return RegularFile::isMissingOrRegular(files, filePath, QStringLiteral("the settings file"))
        && RegularFile::isMissingOrRegular(files, filePath + QStringLiteral(".lock"),
                                           QStringLiteral("the settings lock"));
}

} // namespace

Settings::Settings(FileSystem& files, const QString& filePath, QObject* parent)
    : QObject(parent), m_files(files), m_filePath(filePath) {
    if (settingsFilesUsable(files, filePath))
        m_settings = std::make_unique<QSettings>(filePath, QSettings::IniFormat);
}

bool Settings::fileUsable() {
    if (!m_settings)
        return false;
    if (settingsFilesUsable(m_files, m_filePath))
        return true;
    // Every change is written at once, so nothing unwritten is left to lose
    // here, and the QSettings being dropped has nothing to write on its way out.
    for (const QString& key : m_settings->allKeys())
        m_memory.insert(key, m_settings->value(key));
    m_settings.reset();
    return false;
}

Settings::~Settings() = default;

QString Settings::applicationFilePath() {
    return DataFolder::configHome() + QStringLiteral("/sorvel/sorvel.conf");
}

QString Settings::legacyFilePath() {
    return DataFolder::configHome() + QStringLiteral("/pinwale/pinwale.conf");
}

QString Settings::string(const QString& key, const QString& fallback) const {
    const QVariant stored = value(key);
    return stored.typeId() == QMetaType::QString ? stored.toString() : fallback;
}

bool Settings::boolean(const QString& key, bool fallback) const {
    const QVariant stored = value(key);
    if (stored.typeId() == QMetaType::Bool)
        return stored.toBool();
    if (stored.typeId() == QMetaType::QString) {
        const QString text = stored.toString();
        if (text == QLatin1String("true"))
            return true;
        if (text == QLatin1String("false"))
            return false;
    }
    return fallback;
}

double Settings::real(const QString& key, double fallback) const {
    const QVariant stored = value(key);
    bool ok = false;
    double number = 0;
    if (isNumber(stored)) {
        number = stored.toDouble(&ok);
    } else if (stored.typeId() == QMetaType::QString) {
        number = stored.toString().trimmed().toDouble(&ok);
    }
    return ok && std::isfinite(number) ? number : fallback;
}

bool Settings::contains(const QString& key) const {
    return m_settings ? m_settings->contains(key) : m_memory.contains(key);
}

QVariant Settings::value(const QString& key) const {
    return m_settings ? m_settings->value(key) : m_memory.value(key);
}

QStringList Settings::keys() const {
    return m_settings ? m_settings->allKeys() : m_memory.keys();
}

void Settings::setValue(const QString& key, const QVariant& value) {
    if (contains(key) && sameStoredValue(this->value(key), value))
        return;
    if (fileUsable()) {
        m_settings->setValue(key, value);
        // Written at once: the widget program reads the same file, and nothing waits for exit.
        m_settings->sync();
    } else {
        m_memory.insert(key, value);
    }
    Q_EMIT changed(key);
}

void Settings::remove(const QString& key) {
    if (!contains(key))
        return;
    if (fileUsable()) {
        m_settings->remove(key);
        m_settings->sync();
    } else {
        m_memory.remove(key);
    }
    Q_EMIT changed(key);
}

void Settings::sync() {
    if (fileUsable())
        m_settings->sync();
}

} // namespace sorvel
