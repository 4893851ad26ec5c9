#include "StoreTestSupport.h"

#include "core/Storage.h"

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

} // namespace sorvel::test
