#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QTemporaryDir>

#include <memory>

namespace sorvel::test {

// Points XDG_DATA_HOME, XDG_CONFIG_HOME, XDG_RUNTIME_DIR and XDG_STATE_HOME at fresh temporary
// folders for as long as the object lives, so no test ever touches a real home.
class TestEnvironment {
public:
    TestEnvironment();
    ~TestEnvironment();

    QString dataHome() const;
    QString configHome() const;
    QString runtimeDir() const;
    QString stateHome() const;
    // The application's data folder inside dataHome(), not created.
    QString dataFolder() const;
    // A scratch folder for a test's own files (project folders, archives).
    QString scratch() const;

private:
    std::unique_ptr<QTemporaryDir> m_root;
    QByteArray m_previous[4];
};

// Writes bytes to a file, creating its folder; fails the test on error.
void writeFile(const QString& path, const QByteArray& bytes);
QByteArray readFile(const QString& path);
// Sets when a file was last modified; fails the test on error.
void setModified(const QString& path, const QDateTime& time);

} // namespace sorvel::test
