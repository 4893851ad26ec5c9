#include "core/DataFileFixture.h"
#include "core/RecordCoding.h"
#include "core/Storage.h"
#include "support/ChildProcess.h"
#include "support/SampleRecords.h"

#include "../../bench/SampleLibrary.h"

#include <QDateTime>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QThread>

#include <gtest/gtest.h>

// Reading the data file: every byte of a file of any size, the same records
// for the same bytes, and one reading of every text whichever way the file
// is parsed.

namespace sorvel {
namespace {

using test::projectWithCue;
using test::readFile;
using test::writeFile;
using Kind = Storage::ReadResult::Kind;

class StorageReadingTest : public ::testing::Test, protected test::DataFileFixture {
protected:
    // The library the data file holds now; fails the test when it does not decode.
    Library readBack() {
        const Storage::ReadResult result = Storage::read(disk);
        EXPECT_EQ(result.kind, Kind::Decoded) << result.error.text().toStdString();
        return result.library;
    }
};

// A data file of exactly `size` bytes: one project whose notes, all "n", fill it up.
struct FileOfSize {
    explicit FileOfSize(qsizetype size) {
        const QByteArray head =
            R"({"version": 2, "projects": [{"id": "6F9619FF-8B86-D011-B42D-00C04FC964FF", "name": "A", "notes": ")";
        const QByteArray tail = R"("}]})";
        notesLength = size - head.size() - tail.size();
        bytes = head + QByteArray(notesLength, 'n') + tail;
    }
    QByteArray bytes;
    qsizetype notesLength;
};

TEST_F(StorageReadingTest, FilesOfEverySizeAroundTheReadingBuffersEdgesReadWhole) {
    const qsizetype sizes[] = {120, 127, 128, 129, 4095, 4096, 4097, 65535, 65536, 65537, 1 << 20, (1 << 20) + 63};
    for (const qsizetype size : sizes) {
        SCOPED_TRACE(size);
        const FileOfSize file(size);
        ASSERT_EQ(file.bytes.size(), size);
        writeFile(dataFile(), file.bytes);
        const Library library = readBack();
        ASSERT_EQ(library.projects.size(), 1);
        EXPECT_EQ(library.projects.first().notes, QString(file.notesLength, QLatin1Char('n')));
    }
}

// A library whose texts begin (or end, or are made) of U+FEFF, beside
// characters that need escapes.
Library libraryWithMarks() {
    const QChar mark(0xFEFF);
    AudioProject project = projectWithCue("name");
    project.name = QString(mark);
    project.notes = mark + QStringLiteral("Notes");
    project.items.first().title = QString(2, mark) + QStringLiteral("\"quoted\"\n");
    project.items.first().number = QStringLiteral("1M") + mark;
    project.log.append(
        LogEntry{QUuid::createUuid(), project.updatedAt, QStringLiteral("mid") + mark + QStringLiteral("dle"), 0.5});
    Library library;
    library.projects = {project, projectWithCue("plain")};
    library.types.first().title = mark + library.types.first().title;
    return library;
}

TEST_F(StorageReadingTest, TextsBeginningWithAByteOrderMarkKeepItThroughASaveAndARereadWhicheverWayTheFileIsParsed) {
    const Library library = libraryWithMarks();
    ASSERT_TRUE(Storage::save(disk, library));
    EXPECT_EQ(readBack(), library);
    const QByteArray saved = readFile(dataFile());

    // A number written as a fractional zero is read through QJsonDocument,
    // which on its own drops a U+FEFF at the start of a string.
    QByteArray rereadByQt = saved;
    rereadByQt.insert(saved.indexOf('{') + 1, R"("spare": 0.0,)");
    const QJsonObject plain = QJsonDocument::fromJson(rereadByQt).object();
    ASSERT_EQ(plain.value("version").toInt(), 2);
    ASSERT_NE(plain.value("projects").toArray().at(0).toObject().value("notes").toString(),
              library.projects.first().notes);
    writeFile(dataFile(), rereadByQt);
    const Library reread = readBack();
    Library withSpare = library;
    withSpare.unknown = {{QStringLiteral("spare"), QByteArrayLiteral("0.0"), {}}};
    EXPECT_EQ(reread, withSpare);

    // Saved again, the text is what it was, with the member no record reads where it stood.
    ASSERT_TRUE(Storage::save(disk, reread));
    QByteArray savedWithSpare = saved;
    savedWithSpare.insert(saved.indexOf('{') + 1, "\n    \"spare\": 0.0,");
    EXPECT_EQ(readFile(dataFile()), savedWithSpare);
}

// A file in the earlier format: a cue without an id and a project without
// dates, which every decoding fills in afresh.
const QByteArray earlierFormat = R"({"version": 2, "projects": [
    {"id": "6F9619FF-8B86-D011-B42D-00C04FC964FF", "name": "Kept", "items": [{"title": "A", "isDone": true}, {"title": "B"}]}]})";

TEST_F(StorageReadingTest, TheSameBytesOfTheEarlierFormatGiveTheSameRecords) {
    writeFile(dataFile(), earlierFormat);
    const Library first = readBack();
    ASSERT_EQ(first.projects.size(), 1);
    ASSERT_EQ(first.projects.first().items.size(), 2);
    EXPECT_FALSE(first.projects.first().items.first().id.isNull());
    EXPECT_TRUE(first.projects.first().createdAt.isValid());

    waitForNextSecond(); // a fresh reading time would differ now
    EXPECT_EQ(readBack(), first);
    // The same bytes written again are the same records, dated by the new write.
    writeFile(dataFile(), earlierFormat);
    const Library again = readBack();
    ASSERT_EQ(again.projects.size(), 1);
    EXPECT_EQ(again.projects.first().items, first.projects.first().items);
    EXPECT_EQ(again.projects.first().createdAt,
              QDateTime::fromSecsSinceEpoch(QFileInfo(dataFile()).lastModified().toSecsSinceEpoch(), Qt::UTC));
}

// A project without dates reads with the time its file was written, in every
// process, until a write stores that date.
TEST_F(StorageReadingTest, UndatedProjectsReadWithTheFilesModificationTime) {
    writeFile(dataFile(), R"({"version": 2, "projects": [
        {"id": "6F9619FF-8B86-D011-B42D-00C04FC964FF", "name": "Undated"},
        {"id": "6F9619FF-8B86-D011-B42D-00C04FC96500", "name": "Created", "createdAt": "2020-01-02T03:04:05Z"}]})");
    const QDateTime modified(QDate(2025, 3, 4), QTime(5, 6, 7), Qt::UTC);
    test::setModified(dataFile(), modified.addMSecs(450));
    const Library read = readBack();
    ASSERT_EQ(read.projects.size(), 2);
    EXPECT_EQ(read.projects.at(0).createdAt, modified);
    EXPECT_EQ(read.projects.at(0).updatedAt, modified);
    EXPECT_EQ(read.projects.at(1).createdAt, QDateTime(QDate(2020, 1, 2), QTime(3, 4, 5), Qt::UTC));
    EXPECT_EQ(read.projects.at(1).updatedAt, modified);

    EXPECT_EQ(test::runInChild([&] { return Storage::read(disk).library == read ? 0 : 1; }), 0);

    // A change of another project (as the widget makes one) stores the dates.
    ASSERT_TRUE(Storage::mutate(disk, [](Library& library) { library.projects[1].notes = QStringLiteral("changed"); }));
    const QJsonArray projects = QJsonDocument::fromJson(readFile(dataFile())).object().value("projects").toArray();
    EXPECT_EQ(projects.at(0).toObject().value("createdAt").toString(), "2025-03-04T05:06:07Z");
    EXPECT_EQ(projects.at(0).toObject().value("updatedAt").toString(), "2025-03-04T05:06:07Z");
    EXPECT_EQ(readBack().projects.at(0), read.projects.at(0));
}

TEST_F(StorageReadingTest, AReloadOfUnchangedBytesGivesAnEqualLibrary) {
    const Library library = bench::sampleLibrary(30, 30, 10);
    ASSERT_TRUE(Storage::save(disk, library));
    const Library first = readBack();
    EXPECT_EQ(first, library);
    EXPECT_EQ(readBack(), first);
    writeFile(dataFile(), readFile(dataFile()));
    EXPECT_EQ(readBack(), first);
}

} // namespace
} // namespace sorvel
