#include "support/StoreTestSupport.h"

#include "core/FileSystem.h"
#include "core/Storage.h"
#include "support/ChildProcess.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace sorvel::test {

ProjectStore::Desktop FakeDesktop::seams() {
    return {
        [this]() -> std::optional<QString> {
            ++chooseCalls;
            return nextChoice;
        },
        [this](const QString& directory) { opened << directory; },
        [this] { ++reloads; },
    };
}

void writeDataFile(const QList<AudioProject>& projects) {
    PosixFileSystem disk;
    ASSERT_TRUE(Storage::save(disk, Library{projects, ProjectType::defaults()}));
}

QList<AudioProject> projectsInFile() {
    PosixFileSystem disk;
    const Storage::ReadResult read = Storage::read(disk);
    EXPECT_EQ(read.kind, Storage::ReadResult::Kind::Decoded);
    return read.library.projects;
}

void expectOnlyProjectInFile(const QUuid& id, const QString& notes, const ProjectStore& store) {
    const QList<AudioProject> written = projectsInFile();
    ASSERT_EQ(written.size(), 1);
    EXPECT_EQ(written.first().id, id);
    EXPECT_EQ(written.first().notes, notes);
    EXPECT_EQ(store.projects(), written);
}

namespace {

int inAnotherProgram(const std::function<bool()>& body) {
    return runInChild([&] {
        rlimit descriptors{};
        ::getrlimit(RLIMIT_NOFILE, &descriptors);
        descriptors.rlim_cur = descriptors.rlim_max;
        ::setrlimit(RLIMIT_NOFILE, &descriptors);
        return body() ? 0 : 1;
    });
}

} // namespace

void runInAnotherProgram(const std::function<void()>& body) {
    ASSERT_EQ(inAnotherProgram([&] {
                  body();
                  return true;
              }),
              0);
}

void changeInAnotherProgram(const std::function<void(Library&)>& change) {
    PosixFileSystem disk;
    ASSERT_EQ(inAnotherProgram([&] { return Storage::mutate(disk, change); }), 0);
}

bool waitUntilIdle(const ProjectStore& store) {
    return waitUntil([&] { return store.isIdle(); }, 20000);
}

void breakDataFile(const TestEnvironment& environment) {
    ASSERT_TRUE(QDir().mkpath(environment.dataFolder()));
    ASSERT_TRUE(QFile::link(environment.scratch() + QStringLiteral("/gone/projects.json"),
                            environment.dataFolder() + QStringLiteral("/projects.json")));
}

void mendDataFile(const TestEnvironment& environment) {
    ASSERT_TRUE(QFile::remove(environment.dataFolder() + QStringLiteral("/projects.json")));
}

void quitUnwritten(UnsavedChangesGuard& guard, bool bySignal) {
    if (bySignal)
        EXPECT_FALSE(guard.writeBeforeSignalQuit());
    else
        EXPECT_TRUE(guard.writeBeforeQuit());
}

} // namespace sorvel::test
