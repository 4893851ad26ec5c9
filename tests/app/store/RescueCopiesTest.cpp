#include "support/MemoryFileSystem.h"
#include "support/SampleRecords.h"
#include "support/StoreTestSupport.h"

#include "app/store/rescue/RescueCopies.h"
#include "app/store/sync/RealSyncSeams.h"
#include "core/DataFolder.h"
#include "core/RecordCoding.h"
#include "core/Storage.h"
#include "core/WidgetIntents.h"

#include <QDateTime>
#include <QUuid>

#include <gtest/gtest.h>

#include <cerrno>
#include <memory>

namespace sorvel::test {
namespace {

constexpr int kPatience = 5000;

// A copy an earlier run's quit kept, which the next start cannot mark in the
// state folder (a rename there refused once), and the changes that run then
// writes to the same fields. The disk is in memory; the calls are those of a
// start and of a write of the sync.
class RescueCopiesLeftWaiting : public StoreFixture {
protected:
    MemoryFileSystem memory;
    AudioProject tape = manualTape();
    const FolderLock::Waiter waiter = FolderLock::patientFor(kPatience);
    bool stateFolderRefuses = false;
    int refusedRenames = 0;

    void SetUp() override {
        memory.outside().makeFolders(DataFolder::directory());
        memory.outside().makeFolders(DataFolder::stateHome());
        memory.outside().makeFolders(DataFolder::runtimeDirectory());
        memory.before = [this](const MemoryFileSystem::Operation& operation) {
            using Kind = MemoryFileSystem::Operation::Kind;
            const bool renames = operation.kind == Kind::Rename || operation.kind == Kind::Renameat2;
            if (stateFolderRefuses && renames && operation.path.startsWith(RescueCopy::folder())) {
                ++refusedRenames;
                MemoryFileSystem::failThisCall(EACCES);
            }
        };
        ASSERT_TRUE(
            memory.outside().writeAtomically(DataFolder::filePath(), RecordCoding::encodeLibrary({{tape}, {}})));
    }

    Library fileLibrary() const {
        const std::optional<QByteArray> bytes = memory.contents(DataFolder::filePath());
        EXPECT_TRUE(bytes);
        const std::optional<Library> library = RecordCoding::decodeLibrary(bytes.value_or(QByteArray()), fileTime());
        EXPECT_TRUE(library);
        return library.value_or(Library{});
    }
    AudioProject tapeInFile() const {
        const Library library = fileLibrary();
        EXPECT_EQ(library.projects.size(), 1);
        return library.projects.value(0);
    }
    QStringList copiesWaiting() const {
        QStringList names = memory.names(RescueCopy::folder()).value_or(QStringList());
        names.removeIf([](const QString& name) { return !name.startsWith(QStringLiteral("projects-rescued-")); });
        return names;
    }

    // The earlier run's quit: the tape renamed, notes written and a step of
    // 0.1 taken, none of it in the data file.
    void keepEarlierCopy() {
        const Library base{{tape}, {}};
        Library unsaved = base;
        unsaved.projects.first().name = QStringLiteral("Tape-rescued");
        unsaved.projects.first().notes = QStringLiteral("earlier");
        unsaved.projects.first().manualProgress = AdjustProgressIntent::steppedProgress(tape.manualProgress, 0.1);
        RescueCopy::KeptSteps steps{QUuid::createUuid(), 1, {}};
        steps.steps.add(tape.id, 0.1, 1);
        ASSERT_TRUE(RescueCopy::write(memory, base, unsaved, QDateTime::currentDateTimeUtc(), steps).done());
    }

    // A write of this run as the sync makes it: its changes up to
    // `revision`, merged onto whatever the file holds from `base`.
    Storage::SaveResult write(RescueCopies& copies, quint64 revision, const Library& base, const Library& sent) {
        const std::unique_ptr<RescueCopies::Carrier> carried = copies.carrierOf(revision, waiter);
        DiskFiles files(memory);
        return files.save(
            [&](const Library* found) { return found ? ProgressSteps{}.merge(base, *found, sent) : sent; }, false,
            waiter, carried.get(), std::nullopt);
    }
};

// The start cannot mark the copy; this run then writes newer notes. The copy
// comes back before that write, once: its name and step stay, and the notes
// written later win over its older ones, at this start and every later one.
TEST_F(RescueCopiesLeftWaiting, ACopyTheStartCouldNotMarkNeverUndoesWhatThisRunWroteLater) {
    keepEarlierCopy();

    stateFolderRefuses = true;
    RescueCopies thisRun(std::make_shared<DiskFiles>(memory));
    const RescueCopies::Files::RescuesMerged atStart = thisRun.mergeEarlier(waiter);
    stateFolderRefuses = false;
    ASSERT_GE(refusedRenames, 1);
    EXPECT_EQ(atStart.merged, 0);
    EXPECT_EQ(atStart.notCarried.number, EACCES);
    EXPECT_TRUE(atStart.notWritten.isEmpty()) << "the copy is not taken in";
    ASSERT_EQ(copiesWaiting().size(), 1);
    EXPECT_TRUE(thisRun.leftWaiting());

    const Storage::ReadResult read = Storage::read(memory, waiter);
    ASSERT_EQ(read.kind, Storage::ReadResult::Kind::Decoded);
    Library sent = read.library;
    sent.projects.first().notes = QStringLiteral("later");
    ASSERT_TRUE(write(thisRun, 1, read.library, sent).written);
    EXPECT_FALSE(thisRun.leftWaiting());
    EXPECT_TRUE(copiesWaiting().isEmpty()) << "retired as it came back";

    RescueCopies laterRun(std::make_shared<DiskFiles>(memory));
    const RescueCopies::Files::RescuesMerged later = laterRun.mergeEarlier(waiter);
    EXPECT_EQ(later.merged, 0) << "it came back once";
    EXPECT_TRUE(later.notCarried.isEmpty());
    const AudioProject held = tapeInFile();
    EXPECT_EQ(held.notes, QStringLiteral("later")) << "the user's later change stays";
    EXPECT_EQ(held.name, QStringLiteral("Tape-rescued"));
    EXPECT_DOUBLE_EQ(held.manualProgress, AdjustProgressIntent::steppedProgress(tape.manualProgress, 0.1))
        << "the copy's step counts once";
}

// While the state folder still refuses, this run's change is written as
// usual and the copy waits as it was, still said to wait.
TEST_F(RescueCopiesLeftWaiting, WhileTheStateFolderStillRefusesThisRunWritesAndTheCopyWaits) {
    keepEarlierCopy();
    const QStringList before = copiesWaiting();
    ASSERT_EQ(before.size(), 1);
    const std::optional<QByteArray> copyBytes = memory.contents(RescueCopy::folder() + u'/' + before.first());

    stateFolderRefuses = true;
    RescueCopies thisRun(std::make_shared<DiskFiles>(memory));
    EXPECT_EQ(thisRun.mergeEarlier(waiter).notCarried.number, EACCES);
    const int refusedAtStart = refusedRenames;

    const Storage::ReadResult read = Storage::read(memory, waiter);
    ASSERT_EQ(read.kind, Storage::ReadResult::Kind::Decoded);
    Library sent = read.library;
    sent.projects.first().notes = QStringLiteral("later");
    ASSERT_TRUE(write(thisRun, 1, read.library, sent).written);
    EXPECT_GT(refusedRenames, refusedAtStart) << "the write tried the copy again first";
    EXPECT_TRUE(thisRun.leftWaiting());
    EXPECT_EQ(copiesWaiting(), before);
    EXPECT_EQ(memory.contents(RescueCopy::folder() + u'/' + before.first()), copyBytes);
    EXPECT_EQ(tapeInFile().notes, QStringLiteral("later"));
    EXPECT_EQ(tapeInFile().name, tape.name);
}

} // namespace
} // namespace sorvel::test
