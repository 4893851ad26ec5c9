#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace sorvel::test {

namespace {
constexpr int kCount = 4;
const char* const kVariables[kCount] = {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_RUNTIME_DIR", "XDG_STATE_HOME"};
const char* const kFolders[kCount] = {"data", "config", "runtime", "state"};
} // namespace

TestEnvironment::TestEnvironment() : m_root(std::make_unique<QTemporaryDir>()) {
    for (int i = 0; i < kCount; ++i) {
        m_previous[i] = qgetenv(kVariables[i]);
        const QString path = m_root->filePath(QString::fromLatin1(kFolders[i]));
        QDir().mkpath(path);
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        qputenv(kVariables[i], path.toLocal8Bit());
    }
    QDir().mkpath(scratch());
}

TestEnvironment::~TestEnvironment() {
    for (int i = 0; i < kCount; ++i) {
        if (m_previous[i].isNull())
            qunsetenv(kVariables[i]);
        else
            qputenv(kVariables[i], m_previous[i]);
    }
}

QString TestEnvironment::dataHome() const {
    return m_root->filePath(QStringLiteral("data"));
}
QString TestEnvironment::configHome() const {
    return m_root->filePath(QStringLiteral("config"));
}
QString TestEnvironment::runtimeDir() const {
    return m_root->filePath(QStringLiteral("runtime"));
}
QString TestEnvironment::stateHome() const {
    return m_root->filePath(QStringLiteral("state"));
}
QString TestEnvironment::dataFolder() const {
    return dataHome() + QStringLiteral("/Sorvel");
}
QString TestEnvironment::scratch() const {
    return m_root->filePath(QStringLiteral("scratch"));
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    ASSERT_EQ(file.write(bytes), bytes.size());
}

void setModified(const QString& path, const QDateTime& time) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite)) << path.toStdString();
    ASSERT_TRUE(file.setFileTime(time, QFileDevice::FileModificationTime)) << path.toStdString();
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

} // namespace sorvel::test
