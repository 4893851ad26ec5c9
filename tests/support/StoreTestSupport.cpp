#include "support/StoreTestSupport.h"

#include "core/Storage.h"

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
    ASSERT_TRUE(Storage::save(Library{projects, ProjectType::defaults()}));
}

QList<AudioProject> projectsInFile() {
    const Storage::ReadResult read = Storage::read();
    EXPECT_EQ(read.kind, Storage::ReadResult::Kind::Decoded);
    return read.library.projects;
}

void breakDataFile(const TestEnvironment& environment) {
    ASSERT_TRUE(QDir().mkpath(environment.dataFolder()));
    ASSERT_TRUE(QFile::link(environment.scratch() + QStringLiteral("/gone/projects.json"),
                            environment.dataFolder() + QStringLiteral("/projects.json")));
}

void mendDataFile(const TestEnvironment& environment) {
    ASSERT_TRUE(QFile::remove(environment.dataFolder() + QStringLiteral("/projects.json")));
}

} // namespace sorvel::test
