#include "support/StoreTestSupport.h"
#include "support/UnknownMembersFile.h"

#include "app/store/ProjectStore.h"
#include "app/store/RescueCopy.h"
#include "app/store/SaveProblemText.h"
#include "core/RecordCoding.h"
#include "core/Storage.h"

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

// The store writes back what it does not read of the data file, and says
// where it kept a file whose repeated members its write dropped.

namespace sorvel::test {
namespace {

const QUuid filmID = *RecordCoding::parseID(QStringLiteral("6F9619FF-8B86-D011-B42D-00C04FC964FF"));

class ProjectStoreUnknownMembers : public StoreFixture {
protected:
    void SetUp() override { ASSERT_TRUE(QDir().mkpath(environment.dataFolder())); }
};

TEST_F(ProjectStoreUnknownMembers, AnEditWrittenKeepsEveryMemberNoRecordReads) {
    writeFile(Storage::filePath(), fileWithUnknownMembers);
    ProjectStore store(disk, desktop.seams());
    ASSERT_EQ(store.projects().size(), 1);

    store.update(filmID, [](AudioProject& project) { project.notes = QStringLiteral("edited"); });
    store.saveNow();
    const QByteArray written = readFile(Storage::filePath());
    ASSERT_TRUE(written.contains("\"notes\": \"edited\"")) << "the edit was not written";
    expectEveryUnknownMemberIn(written);

    // And again, over the store's own write.
    store.update(filmID, [](AudioProject& project) { project.name = QStringLiteral("Film, renamed"); });
    store.saveNow();
    const QByteArray rewritten = readFile(Storage::filePath());
    ASSERT_TRUE(rewritten.contains("Film, renamed"));
    expectEveryUnknownMemberIn(rewritten);
}

// A rescue copy holds the library as a data file with members of its own:
// merged at a start, it brings the rescued change and the file keeps its own
// members, but none of the copy's.
TEST_F(ProjectStoreUnknownMembers, ARescueCopyMergedIntoTheFileKeepsItsMembersAndAddsNoneOfItsOwn) {
    writeFile(Storage::filePath(), fileWithUnknownMembers);
    const Storage::ReadResult read = Storage::read(disk);
    ASSERT_EQ(read.kind, Storage::ReadResult::Kind::Decoded);
    Library unsaved = read.library;
    unsaved.projects.first().notes = QStringLiteral("rescued");
    ASSERT_TRUE(RescueCopy::write(disk, read.library, unsaved, QDateTime::currentDateTime()).done());

    EXPECT_EQ(RescueCopy::restoreAll(disk, FolderLock::patientFor(FolderLock::usualPatienceMs)), 1);
    const QByteArray written = readFile(Storage::filePath());
    ASSERT_TRUE(written.contains("\"notes\": \"rescued\"")) << "the copy was not merged";
    expectEveryUnknownMemberIn(written);
    const QJsonObject top = QJsonDocument::fromJson(written).object();
    EXPECT_EQ(top.keys(), (QStringList{"projects", "types", "userComment", "version"}));
}

TEST_F(ProjectStoreUnknownMembers, TheBannerNamesTheCopyOfAFileWhoseRepeatedMembersAWriteDropped) {
    const QByteArray repeated = R"({"version": 2,
        "projects": [{"id": "5F9619FF-8B86-D011-B42D-00C04FC964FF", "name": "From the first list"}],
        "projects": [{"id": "6F9619FF-8B86-D011-B42D-00C04FC964FF", "name": "Film"}]})";
    writeFile(Storage::filePath(), repeated);
    ProjectStore store(disk, desktop.seams());
    ASSERT_EQ(store.projects().size(), 1);
    EXPECT_TRUE(store.saveProblem().isEmpty()) << "nothing is dropped until a write";

    store.update(filmID, [](AudioProject& project) { project.notes = QStringLiteral("edited"); });
    store.saveNow();
    ASSERT_TRUE(readFile(Storage::filePath()).contains("\"notes\": \"edited\""));
    const SaveProblem problem = store.saveProblem();
    ASSERT_EQ(problem.kind, SaveProblem::Kind::RepeatsKeptAside);
    EXPECT_EQ(readFile(problem.error.context), repeated);
    EXPECT_TRUE(SaveProblemText::forBanner(problem, false).contains(problem.error.context));
}

} // namespace
} // namespace sorvel::test
