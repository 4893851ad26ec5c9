#include "core/DataFileFixture.h"
#include "core/LibraryMerge.h"
#include "core/RecordCoding.h"
#include "core/Storage.h"
#include "core/WidgetIntents.h"
#include "support/HeapBytes.h"
#include "support/SampleRecords.h"
#include "support/UnknownMembersFile.h"

#include <QDir>
#include <QFile>
#include <QUuid>

#include <cstring>

#include <gtest/gtest.h>

// Members of the data file that no record reads (a newer version's fields, a
// user's own notes) go through every write where they stood, their values
// byte for byte; a file whose objects repeat a key with other values is kept
// aside before a write drops the earlier ones.

namespace sorvel {
namespace {

using test::fileWithUnknownMembers;
using test::readFile;
using test::unknownMembers;
using test::writeFile;

// Where `member` stands in `text`, among the lines of its object.
qsizetype at(const QByteArray& text, const char* member) {
    const qsizetype found = text.indexOf(member);
    EXPECT_GE(found, 0) << member;
    return found;
}

std::optional<Library> decode(const QByteArray& bytes, QStringList* overridden = nullptr) {
    return RecordCoding::decodeLibrary(bytes, test::fileTime(), nullptr, overridden);
}

class UnknownMembersTest : public ::testing::Test, protected test::DataFileFixture {
protected:
    void SetUp() override {
        ASSERT_TRUE(QDir().mkpath(dataFolder()));
        writeFile(dataFile(), fileWithUnknownMembers);
    }
};

TEST_F(UnknownMembersTest, AWriteKeepsEveryMemberNoRecordReadsWhereItStoodByteForByte) {
    const std::optional<Library> library = decode(fileWithUnknownMembers);
    ASSERT_TRUE(library);
    const QByteArray written = RecordCoding::encodeLibrary(*library);
    test::expectEveryUnknownMemberIn(written);

    // After the member each followed, or first; the known members keep their sorted order.
    EXPECT_LT(at(written, "\"userComment\": \"kept"), at(written, "\"projects\""));
    EXPECT_LT(at(written, "\"types\""), at(written, "\"userComment\": \"a second"));
    EXPECT_LT(at(written, "\"userComment\": \"a second"), at(written, "\"version\""));
    EXPECT_LT(at(written, "\"name\""), at(written, "\"colorLabel\""));
    EXPECT_LT(at(written, "\"colorLabel\""), at(written, "\"notes\""));
    EXPECT_LT(at(written, "\"stage\""), at(written, "\"tempo\""));
    EXPECT_LT(at(written, "\"tempo\""), at(written, "\"title\": \"Opening\""));
    EXPECT_LT(at(written, "\"mood\""), at(written, "\"date\": \"2024-01-04"));
    EXPECT_LT(at(written, "\"isFocused\""), at(written, "\"rating\""));
    EXPECT_LT(at(written, "\"colorHex\""), at(written, "\"hidden\""));

    // Read again, the records are the same, and a second write is the first.
    const std::optional<Library> reread = decode(written);
    ASSERT_TRUE(reread);
    EXPECT_EQ(RecordCoding::encodeLibrary(*reread), written);
    EXPECT_EQ(RecordCoding::encodedSize(*library), written.size());
}

TEST_F(UnknownMembersTest, AWidgetTapKeepsEveryMemberNoRecordReads) {
    const AdjustProgressIntent step{QStringLiteral("6F9619FF-8B86-D011-B42D-00C04FC964FF"), 0.1};
    ASSERT_EQ(step.perform(disk), IntentOutcome::Done);
    const QByteArray written = readFile(dataFile());
    ASSERT_NE(written, fileWithUnknownMembers) << "the tap wrote nothing";
    test::expectEveryUnknownMemberIn(written);
}

TEST_F(UnknownMembersTest, AMergeKeepsTheMembersOfEachSideAndTakesTheOnesTheOtherProgramChanged) {
    const std::optional<Library> base = decode(fileWithUnknownMembers);
    ASSERT_TRUE(base);
    // Another program (a newer version) changes a label and adds a project with a field of its own.
    QByteArray theirText = fileWithUnknownMembers;
    theirText.replace(R"("colorLabel": "te\u0061l")", R"("colorLabel": "amber")");
    theirText.replace(R"("rating": -0
  }
 ],)",
                      R"("rating": -0
  },
  {"id": "7F9619FF-8B86-D011-B42D-00C04FC964FF", "name": "New", "budget": {"eur": 1200.00}}
 ],)");
    const std::optional<Library> theirs = decode(theirText);
    ASSERT_TRUE(theirs);
    ASSERT_EQ(theirs->projects.size(), 2);
    // Here, the notes of the film change.
    Library mine = *base;
    mine.projects.first().notes = QStringLiteral("mine");

    const Library merged = LibraryMerge::merge(*base, *theirs, mine);
    ASSERT_EQ(merged.projects.size(), 2);
    EXPECT_EQ(merged.projects.first().notes, QStringLiteral("mine"));
    const QByteArray written = RecordCoding::encodeLibrary(merged);
    EXPECT_TRUE(written.contains(R"("colorLabel": "amber")")) << written.toStdString();
    EXPECT_TRUE(written.contains(R"("budget": {"eur": 1200.00})")) << written.toStdString();
    for (const QByteArray& member : unknownMembers) {
        if (!member.startsWith("\"colorLabel\"")) {
            EXPECT_EQ(written.count(member), 1) << member.toStdString();
        }
    }
}

// One project of many cues, each with a date under `key`, as a newer version
// adding a field to cues writes it.
QByteArray fileWithAMemberInEveryCue(const char* key, int cues) {
    QByteArray text =
        R"({"version": 2, "projects": [{"id": "6F9619FF-8B86-D011-B42D-00C04FC964FF", "name": "Film", "items": [)";
    for (int cue = 0; cue < cues; ++cue) {
        text += cue == 0 ? "\n" : ",\n";
        text += R"(  {"id": ")" + QUuid::createUuid().toByteArray(QUuid::WithoutBraces) + R"(", "title": "Cue )"
            + QByteArray::number(cue) + R"(", ")" + key + R"(": "2024-03-01T10:00:00Z", "stage": "mixed"})";
    }
    return text + "]}]}";
}

// The heap a decoded library holds.
size_t heldByDecoding(const QByteArray& bytes) {
    const size_t before = test::heapBytesInUse();
    const std::optional<Library> library = decode(bytes);
    EXPECT_TRUE(library);
    return test::heapBytesInUse() - before;
}

TEST_F(UnknownMembersTest, AMemberInEveryCueCostsLittleMoreThanItsText) {
    constexpr int cues = 2000;
    const QByteArray withMembers = fileWithAMemberInEveryCue("mixDate", cues);
    // The control: the same member under a name a cue reads, and leaves unset without "isDone".
    const QByteArray control = fileWithAMemberInEveryCue("doneAt", cues);
    // The parser's buffers, kept between decodes, are not the library's.
    QString error;
    ASSERT_TRUE(RecordCoding::decodeLibrary(withMembers, test::fileTime(), &error)) << error.toStdString();
    ASSERT_TRUE(decode(control));

    const std::optional<Library> library = decode(withMembers);
    ASSERT_TRUE(library);
    ASSERT_EQ(library->projects.first().items.size(), cues);
    const UnknownMembers& kept = library->projects.first().items.last().unknown;
    ASSERT_EQ(kept.size(), 1);
    EXPECT_EQ(kept.toList().first(),
              (UnknownMember{QStringLiteral("mixDate"), QByteArrayLiteral("\"2024-03-01T10:00:00Z\""),
                             QByteArrayLiteral("title")}));

    const qsizetype text = cues * qsizetype(std::strlen(R"("mixDate": "2024-03-01T10:00:00Z")"));
    const auto extra = qint64(heldByDecoding(withMembers)) - qint64(heldByDecoding(control));
    EXPECT_LT(extra, 2 * text) << "the members' text is " << text << " bytes";
}

// A hand merge left two "projects" members and a project with two names: the
// records read hold the last of each, so the first write keeps the file first.
const QByteArray fileWithRepeatedKeys = R"({"version": 2,
    "projects": [{"id": "5F9619FF-8B86-D011-B42D-00C04FC964FF", "name": "Lost otherwise"}],
    "projects": [{"id": "6F9619FF-8B86-D011-B42D-00C04FC964FF", "name": "First name", "name": "Second name"}]})";

TEST_F(UnknownMembersTest, KeysRepeatedWithOtherValuesAreNamedWhenRead) {
    QStringList overridden;
    const std::optional<Library> library = decode(fileWithRepeatedKeys, &overridden);
    ASSERT_TRUE(library);
    EXPECT_EQ(library->projects.size(), 1);
    EXPECT_EQ(overridden, (QStringList{"projects", "name"}));

    // The same value twice loses nothing.
    overridden = {QStringLiteral("not cleared")};
    ASSERT_TRUE(decode(R"({"version": 2, "version": 2, "projects": []})", &overridden));
    EXPECT_TRUE(overridden.isEmpty());
}

TEST_F(UnknownMembersTest, TheStoresWriteKeepsAFileWithRepeatedKeysAsideFirst) {
    writeFile(dataFile(), fileWithRepeatedKeys);
    const Storage::SaveResult saved = Storage::save(
        disk, [](const Library* found) { return *found; }, false);
    ASSERT_TRUE(saved.written);
    ASSERT_EQ(asideCopies().size(), 1);
    EXPECT_EQ(saved.repeatsKeptAs, dataFolder() + QLatin1Char('/') + asideCopies().first());
    EXPECT_EQ(readFile(saved.repeatsKeptAs), fileWithRepeatedKeys);
    EXPECT_FALSE(readFile(dataFile()).contains("First name"));

    // The file written holds no repeats: the next write keeps nothing more.
    const Storage::SaveResult again = Storage::save(
        disk, [](const Library* found) { return *found; }, false);
    ASSERT_TRUE(again.written);
    EXPECT_TRUE(again.repeatsKeptAs.isEmpty());
    EXPECT_EQ(asideCopies().size(), 1);
}

TEST_F(UnknownMembersTest, AWidgetTapKeepsAFileWithRepeatedKeysAsideFirst) {
    writeFile(dataFile(), fileWithRepeatedKeys);
    const AdjustProgressIntent step{QStringLiteral("6F9619FF-8B86-D011-B42D-00C04FC964FF"), 0.1};
    ASSERT_EQ(step.perform(disk), IntentOutcome::Done);
    EXPECT_FALSE(readFile(dataFile()).contains("First name")) << "the tap wrote nothing";
    ASSERT_EQ(asideCopies().size(), 1);
    EXPECT_EQ(readFile(dataFolder() + QLatin1Char('/') + asideCopies().first()), fileWithRepeatedKeys);
}

} // namespace
} // namespace sorvel
