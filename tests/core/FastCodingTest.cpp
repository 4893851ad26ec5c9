#include "core/RecordCoding.h"
#include "core/ReferenceCoding.h"
#include "support/SampleRecords.h"

#include "../../bench/PythonStyleFile.h"
#include "../../bench/SampleLibrary.h"

#include <QTimeZone>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>

// The data file is written straight as text and read with simdjson; the bytes
// written and the verdicts and errors of reading must be those of the coding
// through QJsonDocument (ReferenceCoding) in every case.

namespace sorvel {
namespace {

namespace Reference = test::ReferenceCoding;

// Equal bytes, or the first place where they part, readable in a failure.
::testing::AssertionResult sameBytes(const QByteArray& actual, const QByteArray& expected) {
    if (actual == expected)
        return ::testing::AssertionSuccess();
    qsizetype at = 0;
    while (at < actual.size() && at < expected.size() && actual[at] == expected[at])
        ++at;
    const qsizetype from = std::max<qsizetype>(0, at - 80);
    return ::testing::AssertionFailure() << "sizes " << actual.size() << " and " << expected.size()
                                         << ", first difference at " << at
                                         << "\nwritten:   " << actual.mid(from, 160).toStdString()
                                         << "\nreference: " << expected.mid(from, 160).toStdString();
}

void expectSameEncoding(const Library& library) {
    EXPECT_TRUE(sameBytes(RecordCoding::encodeLibrary(library), Reference::encodeLibrary(library)));
}

template <typename Record>
void dropUnknownMembers(QList<Record>& records) {
    for (Record& record : records)
        record.unknown.clear();
}

// The reference reads no member a record does not: those are kept by the
// records' own tests, and left out of the comparison here.
std::optional<Library> withoutUnknownMembers(std::optional<Library> library) {
    if (!library)
        return library;
    library->unknown.clear();
    dropUnknownMembers(library->types);
    dropUnknownMembers(library->projects);
    for (AudioProject& project : library->projects) {
        dropUnknownMembers(project.items);
        dropUnknownMembers(project.log);
        for (Cue& cue : project.items)
            dropUnknownMembers(cue.versions);
    }
    return library;
}

// Both decoders on the same bytes: the same verdict, the same error text, the same records.
void expectSameDecoding(const QByteArray& bytes) {
    QString error;
    QString referenceError;
    const std::optional<Library> decoded =
        withoutUnknownMembers(RecordCoding::decodeLibrary(bytes, test::fileTime(), &error));
    const std::optional<Library> reference = Reference::decodeLibrary(bytes, test::fileTime(), &referenceError);
    const std::string shown = bytes.left(300).toStdString();
    ASSERT_EQ(decoded.has_value(), reference.has_value())
        << shown << "\n"
        << error.toStdString() << " | " << referenceError.toStdString();
    EXPECT_EQ(error.toStdString(), referenceError.toStdString()) << shown;
    if (decoded) {
        EXPECT_TRUE(*decoded == *reference) << shown;
        EXPECT_TRUE(sameBytes(RecordCoding::encodeLibrary(*decoded), Reference::encodeLibrary(*reference))) << shown;
    }
}

TEST(FastCodingTest, TheBenchmarksLibrariesAreWrittenAndReadAsBefore) {
    for (const int projects : {200, 2000}) {
        const Library library = bench::sampleLibrary(projects, 30, 10);
        const QByteArray written = RecordCoding::encodeLibrary(library);
        ASSERT_TRUE(sameBytes(written, Reference::encodeLibrary(library))) << projects << " projects";
        const std::optional<Library> read = RecordCoding::decodeLibrary(written, test::fileTime());
        ASSERT_TRUE(read);
        EXPECT_TRUE(*read == library);
        EXPECT_TRUE(*read == *Reference::decodeLibrary(written, test::fileTime()));
    }
}

// Other programs write a zero with a fraction (Python writes 0.0); only a
// number too small to tell from zero, which simdjson would read as 0 where
// QJsonDocument refuses it, sends a file to the slower QJsonDocument reading.
TEST(FastCodingTest, OnlyANumberThatUnderflowsLeavesTheFastPath) {
    Library library = bench::pythonStyleLibrary(20);
    // Digits, an E and a dash inside an identifier are no number.
    library.projects.first().id = *RecordCoding::parseID(QStringLiteral("6F9619FF-8B86-D011-123E-456789ABCDEF"));
    const QByteArray written = bench::PythonStyleFile::of(library);
    const QByteArray zeroProgress = "\"progress\": 0.0\n";
    ASSERT_TRUE(written.contains(zeroProgress));
    const auto slowDecodesOf = [](const QByteArray& bytes) {
        const quint64 before = RecordCoding::slowDecodeCount();
        expectSameDecoding(bytes);
        return RecordCoding::slowDecodeCount() - before;
    };

    const quint64 before = RecordCoding::slowDecodeCount();
    const std::optional<Library> read = RecordCoding::decodeLibrary(written, test::fileTime());
    EXPECT_EQ(RecordCoding::slowDecodeCount(), before);
    ASSERT_TRUE(read);
    EXPECT_TRUE(*read == library);

    const auto withProgress = [&](const QByteArray& number) {
        QByteArray file = written;
        const qsizetype at = file.indexOf(zeroProgress);
        return file.replace(at, zeroProgress.size(), "\"progress\": " + number + '\n');
    };
    const QByteArray tooSmall[] = {"1e-400", "-2.5E-330", "100e-330", "2e-324", "0." + QByteArray(400, '0') + "1"};
    for (const QByteArray& number : tooSmall) {
        SCOPED_TRACE(number.toStdString());
        EXPECT_EQ(slowDecodesOf(withProgress(number)), 1u);
    }
    const QByteArray notTooSmall[] = {"0e-5", "0.0e-400", "-0.0", "4.9e-324", "1e-310", "0.5e-300"};
    for (const QByteArray& number : notTooSmall) {
        SCOPED_TRACE(number.toStdString());
        EXPECT_EQ(slowDecodesOf(withProgress(number)), 0u);
    }
}

// Texts, numbers and dates that take the unusual paths of the writer.
class AwkwardValues {
public:
    explicit AwkwardValues(unsigned seed) : m_random(seed) {}

    QString text() {
        static const char16_t units[] = {0x00,   0x01,   0x08,   0x09,   0x0A,   0x0C,   0x0D,  0x1F,
                                         0x20,   '"',    '\\',   '/',    'a',    'Z',    0x7F,  0x80,
                                         0xE9,   0x7FF,  0x800,  0x2028, 0x202E, 0x2069, 0x5E9, 0x6C34,
                                         0xFEFF, 0xFFFE, 0xFFFF, 0xD83C, 0xDFB5, 0xD800, 0xDC00};
        const int length = pick(12);
        QString text;
        for (int i = 0; i < length; ++i) {
            if (pick(6) == 0) {
                text += QString::fromUcs4(U"\U0001F3B5"); // a valid pair
            } else {
                text += QChar(units[pick(int(std::size(units)))]);
            }
        }
        return text;
    }

    double number() {
        static const double special[] = {0.0,
                                         -0.0,
                                         0.5,
                                         -0.5,
                                         1.0,
                                         0.1,
                                         1.0 / 3,
                                         1e-7,
                                         2.5e-5,
                                         1e15,
                                         1e16,
                                         1e17,
                                         1e21,
                                         1e300,
                                         5e-324,
                                         9007199254740991.0,
                                         9007199254740992.0,
                                         9007199254740994.0,
                                         -9007199254740992.0,
                                         -9007199254740994.0,
                                         123456789012345678.0,
                                         std::numeric_limits<double>::quiet_NaN(),
                                         std::numeric_limits<double>::infinity(),
                                         -std::numeric_limits<double>::infinity(),
                                         100000.0,
                                         1234567.0};
        if (pick(3) == 0) {
            double value = 0;
            const quint64 bits = std::uniform_int_distribution<quint64>()(m_random);
            std::memcpy(&value, &bits, sizeof value);
            return value;
        }
        return special[pick(int(std::size(special)))];
    }

    qint64 whole() {
        static const qint64 special[] = {
            0, 1, -1, 90, std::numeric_limits<qint64>::max(), std::numeric_limits<qint64>::min(), 9007199254740993};
        return pick(2) == 0 ? special[pick(int(std::size(special)))]
                            : std::uniform_int_distribution<qint64>()(m_random);
    }

    QDateTime date() {
        switch (pick(8)) {
        case 0: return {};
        case 1: return QDateTime(QDate(1, 1, 1), QTime(0, 0), Qt::UTC).addMSecs(-pick(100000));
        case 2: return QDateTime(QDate(9999, 12, 31), QTime(23, 59, 59, 999), Qt::UTC).addSecs(pick(100000));
        case 3: return QDateTime(QDate(2024, 3, 31), QTime(2, 30, 15, pick(1000)), Qt::LocalTime);
        case 4: return QDateTime(QDate(1969, 12, 31), QTime(23, 59, 59, 500), Qt::UTC);
        case 5: return QDateTime(QDate(2024, 6, 1), QTime(12, 0), QTimeZone(pick(28800) - 14400));
        default: {
            const qint64 msecs = std::uniform_int_distribution<qint64>(-62135596800000LL, 253402300799999LL)(m_random);
            return QDateTime::fromMSecsSinceEpoch(msecs, Qt::UTC);
        }
        }
    }

    std::optional<QDateTime> maybeDate() {
        if (pick(3) == 0)
            return std::nullopt;
        return date();
    }

    int pick(int count) { return std::uniform_int_distribution<int>(0, count - 1)(m_random); }

private:
    std::mt19937_64 m_random;
};

Library awkwardLibrary(unsigned seed) {
    AwkwardValues values(seed);
    Library library;
    if (values.pick(2) == 0)
        library.types.clear();
    for (ProjectType& type : library.types)
        type.title = values.text();
    for (int p = 0; p < 40; ++p) {
        AudioProject project =
            AudioProject::make(values.text(), library.types.isEmpty() ? QUuid::createUuid() : library.types.first().id);
        project.createdAt = values.date();
        project.updatedAt = values.date();
        project.deadline = values.maybeDate();
        project.completedAt = values.maybeDate();
        project.archivedAt = values.maybeDate();
        if (values.pick(2) == 0)
            project.folderPath = values.text();
        project.notes = values.text();
        project.manualProgress = values.number();
        project.isFocused = values.pick(2) == 0;
        project.status = allProjectStatuses().at(values.pick(int(allProjectStatuses().size())));
        project.progressMode = values.pick(2) == 0 ? ProgressMode::Auto : ProgressMode::Manual;
        for (int c = values.pick(4); c > 0; --c) {
            Cue cue;
            cue.id = QUuid::createUuid();
            cue.number = values.text();
            cue.title = values.text();
            cue.stage = allCueStages().at(values.pick(int(allCueStages().size())));
            if (values.pick(2) == 0)
                cue.duration = values.whole();
            cue.startDate = values.maybeDate();
            cue.mixedAt = values.maybeDate();
            cue.deliveredAt = values.maybeDate();
            for (int v = values.pick(3); v > 0; --v)
                cue.versions.append(CueVersion{QUuid::createUuid(), values.whole(), values.date(), values.text()});
            project.items.append(cue);
        }
        for (int l = values.pick(3); l > 0; --l)
            project.log.append(LogEntry{QUuid::createUuid(), values.date(), values.text(), values.number()});
        library.projects.append(project);
    }
    return library;
}

TEST(FastCodingTest, AwkwardTextsNumbersAndDatesAreWrittenAsBefore) {
    for (unsigned seed = 1; seed <= 60; ++seed) {
        SCOPED_TRACE(seed);
        const Library library = awkwardLibrary(seed);
        expectSameEncoding(library);
        // What was written reads back the same way through both decoders.
        expectSameDecoding(RecordCoding::encodeLibrary(library));
    }
    expectSameEncoding(Library{});
    expectSameEncoding(Library{{}, {}});
}

// A save measures its text first and writes it into memory allocated once:
// a measure short of the text would move the whole text again, and one much
// longer would hold memory for nothing. Only a number that is not whole may
// count for more than it takes.
TEST(FastCodingTest, TheMeasuredSizeHoldsTheWholeTextAndLittleMore) {
    const auto numbersIn = [](const Library& library) {
        qsizetype count = 0;
        for (const AudioProject& project : library.projects)
            count += 1 + project.log.size();
        return count;
    };
    QList<Library> libraries{bench::sampleLibrary(200, 30, 10), Library{}, Library{{}, {}}};
    for (unsigned seed = 1; seed <= 60; ++seed)
        libraries.append(awkwardLibrary(seed));
    for (const Library& library : libraries) {
        const qsizetype written = RecordCoding::encodeLibrary(library).size();
        const qsizetype measured = RecordCoding::encodedSize(library);
        EXPECT_GE(measured, written);
        EXPECT_LE(measured, written + numbersIn(library) * 24);
    }

    Library wholeNumbers = awkwardLibrary(5);
    for (AudioProject& project : wholeNumbers.projects) {
        project.manualProgress = 1;
        for (LogEntry& entry : project.log)
            entry.progress = 0;
    }
    EXPECT_EQ(RecordCoding::encodedSize(wholeNumbers), RecordCoding::encodeLibrary(wholeNumbers).size());
}

TEST(FastCodingTest, IdentifiersAndDatesReadAndWriteAsBefore) {
    AwkwardValues values(7);
    for (int i = 0; i < 2000; ++i) {
        const QDateTime date = values.date();
        ASSERT_EQ(RecordCoding::dateText(date), Reference::dateText(date))
            << date.toString(Qt::ISODateWithMs).toStdString();
        const QUuid id = QUuid::createUuid();
        ASSERT_EQ(RecordCoding::idText(id), Reference::idText(id));
    }
    const char* const dates[] = {"2024-03-05T10:20:30Z",      "2024-03-05T10:20:30.123456Z",
                                 "2024-03-05T10:20:30+05:30", "2024-03-05T10:20:30-23:59",
                                 "0001-01-01T00:00:00+01:00", "9999-12-31T23:59:59-01:00",
                                 "2024-02-29T00:00:00Z",      "2023-02-29T00:00:00Z",
                                 "0000-01-01T00:00:00Z",      "2024-03-05T24:00:00Z",
                                 "2024-03-05T10:60:00Z",      "2024-03-05T10:20:60Z",
                                 "2024-03-05T10:20:30+24:00", "2024-03-05T10:20:30+05:60",
                                 "2024-03-05T10:20:30.Z",     "2024-03-05 10:20:30Z",
                                 "2024-03-05T10:20:30",       "2024-03-05T10:20:30z",
                                 "2024-03-05T10:20:30Zx",     "２024-03-05T10:20:30Z",
                                 "2024-03-05T10:20:30+0530",  ""};
    for (const char* text : dates) {
        const QString date = QString::fromUtf8(text);
        EXPECT_EQ(RecordCoding::parseDate(date), Reference::parseDate(date)) << text;
    }
    const char* const ids[] = {"6F9619FF-8B86-D011-B42D-00C04FC964FF",
                               "6f9619ff-8b86-d011-b42d-00c04fc964ff",
                               "{6F9619FF-8B86-D011-B42D-00C04FC964FF}",
                               "6F9619FF8B86D011B42D00C04FC964FF",
                               "6F9619FF-8B86-D011-B42D-00C04FC964FG",
                               "6F9619FF-8B86-D011-B42D_00C04FC964FF",
                               "6F9619FF-8B86-D011-B42D-00C04FC964Fé",
                               "00000000-0000-0000-0000-000000000000",
                               ""};
    for (const char* text : ids) {
        const QString id = QString::fromUtf8(text);
        EXPECT_EQ(RecordCoding::parseID(id), Reference::parseID(id)) << text;
    }
}

// A small good file with `member` spliced into its only project (or, with
// placeAtTop, into the top level).
QByteArray fileWith(const QByteArray& member, bool placeAtTop = false) {
    const QByteArray project = R"({"id": "6F9619FF-8B86-D011-B42D-00C04FC964FF", "name": "Film",
        "createdAt": "2024-01-01T00:00:00Z", "updatedAt": "2024-01-02T00:00:00Z",
        "items": [{"id": "11111111-2222-3333-4444-555555555555", "title": "A", "stage": "mixed", "duration": 90}])";
    if (placeAtTop)
        return R"({"version": 2, )" + member + R"(, "projects": [)" + project + "}]}";
    return R"({"version": 2, "projects": [)" + project + ", " + member + "}]}";
}

TEST(FastCodingTest, EveryEdgeOfTheJsonTextIsJudgedAsBefore) {
    const QByteArray numbers[] = {"0",
                                  "-0",
                                  "0.0",
                                  "-0.0",
                                  "0e5",
                                  "1e-400",
                                  "-1e-400",
                                  "2e-324",
                                  "1e-310",
                                  "4.9e-324",
                                  ".5",
                                  "5.",
                                  "01",
                                  "+1",
                                  "1e400",
                                  "-1e400",
                                  "1.8e308",
                                  "1e308",
                                  "1.0",
                                  "1E2",
                                  "1e+2",
                                  "0.1e1",
                                  "0.75",
                                  "-0.5",
                                  "3",
                                  "18446744073709551616",
                                  "9223372036854775807",
                                  "9223372036854775808",
                                  "-9223372036854775808",
                                  "-9223372036854775809",
                                  "12345678901234567890123",
                                  "1e18",
                                  "1e19",
                                  "2.5",
                                  "Infinity",
                                  "NaN",
                                  "tru",
                                  "nulll",
                                  "null",
                                  "true",
                                  "\"0.5\"",
                                  "[]",
                                  "{}"};
    for (const QByteArray& number : numbers) {
        SCOPED_TRACE(number.toStdString());
        expectSameDecoding(fileWith(R"("manualProgress": )" + number));
        expectSameDecoding(fileWith(R"("isFocused": )" + number));
        expectSameDecoding(
            fileWith(R"("items": [{"id": "11111111-2222-3333-4444-555555555555", "duration": )" + number + "}]"));
        expectSameDecoding(fileWith(
            R"("log": [{"id": "11111111-2222-3333-4444-555555555556", "date": "2024-01-01T00:00:00Z", "text": "", "progress": )"
            + number + "}]"));
        // Members nobody reads are still judged as JSON.
        expectSameDecoding(fileWith(R"("unknown": [[{"deep": )" + number + "}]]"));
        expectSameDecoding(fileWith(R"("version": )" + number, true));
    }
    const QByteArray strings[] = {R"("\ud800")",
                                  R"("\udc00x")",
                                  R"("\ud83c\udfb5")",
                                  "\"\t\"",
                                  "\"\x01\"",
                                  R"("\x")",
                                  R"("\u12")",
                                  R"("\u12G4")",
                                  "\"\xC0\x80\"",
                                  "\"\xED\xA0\x80\"",
                                  "\"\xF4\x90\x80\x80\"",
                                  "\"\xEF\xBF\xBE\"",
                                  "\"\xF0\x9F\x8E\xB5\"",
                                  R"("\u0000")",
                                  R"("\/")",
                                  "\"\x7F\"",
                                  QByteArray("\"a\0b\"", 5),
                                  R"("")",
                                  R"("名")"};
    for (const QByteArray& text : strings) {
        SCOPED_TRACE(text.toStdString());
        expectSameDecoding(fileWith(R"("notes": )" + text));
        expectSameDecoding(fileWith(R"("unknown": )" + text));
        expectSameDecoding(fileWith(text + R"(: 1)"));
        expectSameDecoding(fileWith(R"("deadline": )" + text));
        expectSameDecoding(fileWith(R"("typeID": )" + text));
    }
    // Repeated members: the last one counts, as it always has.
    for (
        const QByteArray& repeated :
        {QByteArray(R"("name": "Second")"), QByteArray(R"("id": "nope", "id": "6F9619FF-8B86-D011-B42D-00C04FC964FE")"),
         QByteArray(R"("id": "6F9619FF-8B86-D011-B42D-00C04FC964FE", "id": 5)"),
         QByteArray(
             R"("items": [], "items": [{"id": "11111111-2222-3333-4444-555555555557", "title": "B"}], "status": null)")}) {
        expectSameDecoding(fileWith(repeated));
    }
    const QByteArray good = fileWith(R"("notes": "")");
    const QByteArray documents[] = {good,
                                    "\xEF\xBB\xBF" + good,
                                    good + " x",
                                    good + good,
                                    good + QByteArray(1, '\0'),
                                    " \n\t\r" + good + " \n",
                                    "\v" + good,
                                    "",
                                    "   ",
                                    "[]",
                                    "[1, 2]",
                                    "\"text\"",
                                    "123",
                                    "null",
                                    R"({"version": 2, "projects": [], })",
                                    R"({'version': 2})",
                                    R"({"version": 2, "projects": [1,]})"};
    for (const QByteArray& document : documents)
        expectSameDecoding(document);
    for (const int depth : {1000, 1023, 1024, 1025, 1100}) {
        SCOPED_TRACE(depth);
        expectSameDecoding(fileWith(R"("unknown": )" + QByteArray(depth, '[') + QByteArray(depth, ']')));
    }
}

} // namespace
} // namespace sorvel
