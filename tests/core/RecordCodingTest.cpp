#include "core/RecordCoding.h"
#include "core/Clock.h"
#include "support/SampleRecords.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QRegularExpression>
#include <QSet>
#include <QTimeZone>

#include <gtest/gtest.h>

#include <limits>

namespace sorvel {
namespace {

using RecordCoding::decodeLibrary;
using RecordCoding::encodeLibrary;

const char* const projectID = "6F9619FF-8B86-D011-B42D-00C04FC964FF";

// A data file holding the given project objects (JSON text) and nothing else.
QByteArray fileWithProjects(const QString& projects, const QString& extra = {}) {
    return QStringLiteral(R"({"version": 2, "projects": [%1]%2})").arg(projects, extra).toUtf8();
}

QString minimalProject(const QString& members = {}) {
    return QStringLiteral(R"({"id": "%1", "name": "Film"%2})").arg(QLatin1String(projectID), members);
}

std::optional<Library> decode(const QByteArray& bytes) {
    QString error;
    std::optional<Library> library = decodeLibrary(bytes, test::fileTime(), &error);
    if (!library) {
        EXPECT_FALSE(error.isEmpty()) << "a failure must say why";
    }
    return library;
}

QDateTime utc(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) {
    return QDateTime(QDate(year, month, day), QTime(hour, minute, second), Qt::UTC);
}

QJsonObject firstProjectObject(const QByteArray& encoded) {
    return QJsonDocument::fromJson(encoded).object().value("projects").toArray().at(0).toObject();
}

TEST(RecordCodingTest, IdentifiersReadOnlyInTheHyphenatedFormAndWriteUpperCase) {
    const auto upper = RecordCoding::parseID(QString::fromLatin1(projectID));
    const auto lower = RecordCoding::parseID(QString::fromLatin1(projectID).toLower());
    ASSERT_TRUE(upper);
    ASSERT_TRUE(lower);
    EXPECT_EQ(*upper, *lower);
    EXPECT_EQ(RecordCoding::idText(*lower), QString::fromLatin1(projectID));

    for (const char* bad : {"{6F9619FF-8B86-D011-B42D-00C04FC964FF}", "6F9619FF8B86D011B42D00C04FC964FF",
                            "6F9619FF-8B86-D011-B42D-00C04FC964F", "6F9619FF-8B86-D011-B42D-00C04FC964FG",
                            "6F9619F-F8B86-D011-B42D-00C04FC964FF", " 6F9619FF-8B86-D011-B42D-00C04FC964F", ""})
        EXPECT_FALSE(RecordCoding::parseID(QString::fromLatin1(bad))) << bad;
}

TEST(RecordCodingTest, DatesReadOnlyAsInternetDateTimesWithAZone) {
    EXPECT_EQ(RecordCoding::parseDate("2024-03-05T10:20:30Z"), utc(2024, 3, 5, 10, 20, 30));
    EXPECT_EQ(RecordCoding::parseDate("2024-03-05T12:20:30+02:00"), utc(2024, 3, 5, 10, 20, 30));
    EXPECT_EQ(RecordCoding::parseDate("2024-03-05T05:50:30-04:30"), utc(2024, 3, 5, 10, 20, 30));
    EXPECT_EQ(RecordCoding::parseDate("2024-03-05T10:20:30.987Z"), utc(2024, 3, 5, 10, 20, 30));

    for (const char* bad :
         {"2024-03-05T10:20:30", "2024-03-05 10:20:30Z", "2024-03-05", "2024-13-05T10:20:30Z", "2023-02-29T10:20:30Z",
          "2024-03-05T24:00:00Z", "2024-03-05T10:20:30+0200", "2024-03-05T10:20:30.Z", "2024-03-05T10:20:30Zjunk",
          "2024-03-05t10:20:30Z", "+2024-03-05T10:20:30Z", "2024-03-05T10:20:60Z", ""})
        EXPECT_FALSE(RecordCoding::parseDate(QString::fromLatin1(bad))) << bad;
    // Digits of other scripts are not digits here.
    EXPECT_FALSE(RecordCoding::parseDate(QStringLiteral("٢٠٢٤-03-05T10:20:30Z")));
}

TEST(RecordCodingTest, DatesWriteInUtcWholeSecondsWithZ) {
    const QDateTime withOffset(QDate(2024, 3, 5), QTime(12, 20, 30, 999), QTimeZone(7200));
    EXPECT_EQ(RecordCoding::dateText(withOffset), "2024-03-05T10:20:30Z");
    // Years a four-digit text cannot hold are kept readable rather than written unreadable.
    const QString farFuture = RecordCoding::dateText(utc(12000, 1, 1));
    EXPECT_EQ(farFuture, "9999-12-31T23:59:59Z");
    EXPECT_TRUE(RecordCoding::parseDate(farFuture));
}

TEST(RecordCodingTest, MinimalProjectReadsWithDefaults) {
    const auto library = decode(fileWithProjects(minimalProject()));
    ASSERT_TRUE(library);
    ASSERT_EQ(library->projects.size(), 1);
    const AudioProject& project = library->projects.first();
    EXPECT_EQ(RecordCoding::idText(project.id), projectID);
    EXPECT_EQ(project.name, "Film");
    EXPECT_EQ(project.typeID, ProjectType::otherID);
    EXPECT_EQ(project.status, ProjectStatus::NotStarted);
    // The file's time, not the time of reading: the same file gives the same project in every process.
    EXPECT_EQ(project.createdAt, test::fileTime());
    EXPECT_EQ(project.updatedAt, test::fileTime());
    EXPECT_TRUE(project.items.isEmpty());
    EXPECT_TRUE(project.log.isEmpty());
    EXPECT_EQ(project.progressMode, ProgressMode::Auto);
    EXPECT_EQ(project.manualProgress, 0);
    EXPECT_FALSE(project.isFocused);
    EXPECT_FALSE(project.archivedAt);
    EXPECT_FALSE(project.deadline);
    EXPECT_FALSE(project.folderPath);
    EXPECT_EQ(library->types, ProjectType::defaults());
}

TEST(RecordCodingTest, NullMembersCountAsMissingButRequiredOnesFail) {
    const auto library =
        decode(fileWithProjects(minimalProject(R"(, "status": null, "deadline": null, "items": null)")));
    ASSERT_TRUE(library);
    EXPECT_EQ(library->projects.first().status, ProjectStatus::NotStarted);
    EXPECT_FALSE(decode(fileWithProjects(QStringLiteral(R"({"id": "%1", "name": null})").arg(projectID))));
    EXPECT_FALSE(decode(fileWithProjects(QStringLiteral(R"({"name": "Film"})"))));
}

TEST(RecordCodingTest, EarlierKindMapsToTypeOnlyWithoutTypeID) {
    const auto typeOf = [](const QString& members) {
        const auto library = decode(fileWithProjects(minimalProject(members)));
        return library ? library->projects.first().typeID : QUuid();
    };
    EXPECT_EQ(typeOf(R"(, "kind": "music")"), ProjectType::musicID);
    EXPECT_EQ(typeOf(R"(, "kind": "Music")"), ProjectType::otherID);
    EXPECT_EQ(typeOf(R"(, "kind": "podcast")"), ProjectType::otherID);
    EXPECT_EQ(typeOf(R"(, "kind": "music", "typeID": "00000000-0000-0000-0000-000000000002")"), ProjectType::sfxID);
}

TEST(RecordCodingTest, WrongTypesAndUnknownCasesFailTheWholeFile) {
    const QString good = minimalProject();
    for (const char* members : {R"(, "status": "paused")", R"(, "manualProgress": "0.5")", R"(, "isFocused": 1)",
                                R"(, "deadline": "2024-03-05")", R"(, "typeID": "not-an-id")", R"(, "items": {})",
                                R"(, "items": [null])", R"(, "progressMode": "Manual")", R"(, "notes": 3)"}) {
        EXPECT_FALSE(decode(fileWithProjects(good + ", " + minimalProject(QString::fromUtf8(members))))) << members;
    }
}

TEST(RecordCodingTest, DecodeErrorsNameThePlaceInTheFile) {
    QString error;
    EXPECT_FALSE(decodeLibrary(
        fileWithProjects(minimalProject() + ", " + minimalProject(R"(, "items": [{}, {"stage": "paused"}])")),
        test::fileTime(), &error));
    EXPECT_EQ(error, R"(projects[1].items[1].stage: "paused" names no case)");
    EXPECT_FALSE(decodeLibrary(R"({"projects": []})", test::fileTime(), &error));
    EXPECT_EQ(error, "version: missing");
}

TEST(RecordCodingTest, WholeNumbersMustBeWholeAndFitSixtyFourBits) {
    const auto withCue = [](const QString& cueMembers) {
        return fileWithProjects(
            minimalProject(QStringLiteral(R"(, "items": [{"title": "A", "stage": "composing"%1}])").arg(cueMembers)));
    };
    const auto big = decode(withCue(R"(, "duration": 9223372036854775807)"));
    ASSERT_TRUE(big);
    EXPECT_EQ(big->projects.first().items.first().duration, std::numeric_limits<qint64>::max());
    EXPECT_TRUE(decode(withCue(R"(, "duration": 3.0)")));
    EXPECT_FALSE(decode(withCue(R"(, "duration": 2.5)")));
    EXPECT_FALSE(decode(withCue(R"(, "duration": 9223372036854775808)")));
    EXPECT_FALSE(decode(withCue(R"(, "duration": 1e30)")));
    EXPECT_FALSE(decode(withCue(R"(, "duration": "90")")));

    EXPECT_TRUE(decode(R"({"version": 7, "projects": []})"));
    EXPECT_FALSE(decode(R"({"version": 2.5, "projects": []})"));
    EXPECT_FALSE(decode(R"({"version": 1e300, "projects": []})"));
    EXPECT_FALSE(decode(R"({"version": "2", "projects": []})"));
    EXPECT_FALSE(decode(R"({"projects": []})"));
    EXPECT_FALSE(decode(R"({"version": 2})"));
    EXPECT_FALSE(decode(R"([])"));
    EXPECT_FALSE(decode(R"({"version": 2, "projects": [)"));
}

// An empty number is the user's: it stays empty, so that what is written reads back the same.
TEST(RecordCodingTest, CuesWithoutNumberTakeTheirPositionAndAnEmptyNumberStaysEmpty) {
    const auto library = decode(fileWithProjects(minimalProject(
        R"(, "items": [{"number": "1M01"}, {"number": ""}, {"id": "11111111-2222-3333-4444-555555555555", "title": "Third"}])")));
    ASSERT_TRUE(library);
    const QList<Cue>& cues = library->projects.first().items;
    ASSERT_EQ(cues.size(), 3);
    EXPECT_EQ(cues[0].number, "1M01");
    EXPECT_EQ(cues[1].number, "");
    EXPECT_EQ(cues[2].number, "3");
    EXPECT_EQ(cues[2].title, "Third");
    EXPECT_EQ(cues[2].stage, CueStage::NotStarted);
    EXPECT_FALSE(cues[2].startDate);
}

// A block copied by hand repeats an id: each record of it, the first too,
// gets an id of its own, the same in every decoding, and kept by the next
// write. None keeps the plain id, which a record left alone with it in
// another program's write carries; a project stays on the type it showed.
TEST(RecordCodingTest, RepeatedIdsGetIdsOfTheirOwnTheSameInEveryDecoding) {
    const QString repeatedCueID = QStringLiteral("11111111-2222-3333-4444-555555555555");
    const QString repeatedTypeID = QStringLiteral("00000000-0000-0000-0000-000000000009");
    const QString cue = R"({"id": "11111111-2222-3333-4444-555555555555", "number": "%1"})";
    const QString project = minimalProject(QStringLiteral(R"(, "notes": "%1", "typeID": "%2", "items": [%3, %4])")
                                               .arg("%1", repeatedTypeID, cue.arg("1"), cue.arg("2")));
    const QByteArray bytes =
        fileWithProjects(project.arg("first") + ", " + project.arg("second") + ", " + project.arg("third"),
                         R"(, "types": [
        {"id": "00000000-0000-0000-0000-000000000009", "title": "B", "symbol": "b", "colorHex": "112233"},
        {"id": "00000000-0000-0000-0000-000000000009", "title": "B copy", "symbol": "b", "colorHex": "112233"}])");
    const std::optional<Library> library = decode(bytes);
    ASSERT_TRUE(library);
    ASSERT_EQ(library->projects.size(), 3);
    ASSERT_EQ(library->types.size(), 2);

    QSet<QString> projectIDs;
    for (const AudioProject& read : library->projects) {
        projectIDs.insert(RecordCoding::idText(read.id));
        ASSERT_EQ(read.items.size(), 2);
        EXPECT_NE(RecordCoding::idText(read.items.at(0).id), repeatedCueID) << "the first gets an id of its own too";
        EXPECT_NE(RecordCoding::idText(read.items.at(1).id), repeatedCueID);
        EXPECT_NE(read.items.at(1).id, read.items.at(0).id);
        EXPECT_EQ(read.typeID, library->types.at(0).id) << "on the first type of the repeated id, as it showed";
    }
    EXPECT_EQ(projectIDs.size(), 3);
    EXPECT_FALSE(projectIDs.contains(QString::fromLatin1(projectID))) << "the first gets an id of its own too";
    EXPECT_EQ(library->projects.at(0).notes, "first");
    EXPECT_EQ(library->projects.at(1).notes, "second");
    EXPECT_EQ(library->types.at(0).title, "B");
    EXPECT_NE(RecordCoding::idText(library->types.at(0).id), repeatedTypeID);
    EXPECT_NE(library->types.at(0).id, library->types.at(1).id);

    EXPECT_EQ(decode(bytes), library) << "the same in every decoding";
    EXPECT_EQ(decode(encodeLibrary(*library)), library) << "written as read";
}

// Three copies of a record share one id; another program drops the first.
// The two left keep the ids they read with, so that an edit of one of them
// is never taken for the other: projects, types, cues, versions, log entries.
TEST(RecordCodingTest, RecordsOfARepeatedIdKeepTheirIdsWhenAnotherOfThemIsDropped) {
    const QString sharedID = QStringLiteral("11111111-2222-3333-4444-555555555555");
    const QString date = QStringLiteral("2024-01-01T00:00:00Z");
    const auto fileWithCopies = [&](const QStringList& copies) {
        QJsonArray projects, types, cues, versions, log;
        for (const QString& copy : copies) {
            const int number = copy.at(0).unicode() - 'A' + 2;
            projects.append(QJsonObject{{"id", sharedID}, {"name", "Film " + copy}, {"createdAt", date}});
            types.append(
                QJsonObject{{"id", sharedID}, {"title", "Type " + copy}, {"symbol", "s"}, {"colorHex", "123"}});
            cues.append(QJsonObject{{"id", sharedID}, {"number", "1M0" + copy}, {"title", "Cue " + copy}});
            versions.append(QJsonObject{{"id", sharedID}, {"number", number}, {"date", date}, {"note", copy}});
            log.append(QJsonObject{{"id", sharedID}, {"date", date}, {"text", copy}, {"progress", 0}});
        }
        cues.append(
            QJsonObject{{"id", "22222222-2222-3333-4444-555555555555"}, {"title", "V"}, {"versions", versions}});
        projects.append(
            QJsonObject{{"id", QString::fromLatin1(projectID)}, {"name", "Holder"}, {"items", cues}, {"log", log}});
        return QJsonDocument(QJsonObject{{"version", 2}, {"projects", projects}, {"types", types}}).toJson();
    };
    // Each record's id by what it says: "project B", "cue C", ...
    const auto idsOf = [](const Library& library) {
        QMap<QString, QUuid> ids;
        for (const AudioProject& project : library.projects) {
            ids.insert("project " + project.name.section(' ', 1), project.id);
            for (const Cue& cue : project.items) {
                ids.insert("cue " + cue.title.section(' ', 1), cue.id);
                for (const CueVersion& version : cue.versions)
                    ids.insert("version " + version.note, version.id);
            }
            for (const LogEntry& entry : project.log)
                ids.insert("log " + entry.text, entry.id);
        }
        for (const ProjectType& type : library.types)
            ids.insert("type " + type.title.section(' ', 1), type.id);
        return ids;
    };

    const std::optional<Library> all = decode(fileWithCopies({"A", "B", "C"}));
    const std::optional<Library> firstDropped = decode(fileWithCopies({"B", "C"}));
    ASSERT_TRUE(all && firstDropped);
    const QMap<QString, QUuid> before = idsOf(*all);
    const QMap<QString, QUuid> after = idsOf(*firstDropped);
    for (const QString kind : {"project", "type", "cue", "version", "log"}) {
        SCOPED_TRACE(kind.toStdString());
        ASSERT_TRUE(before.contains(kind + " B") && before.contains(kind + " C"));
        EXPECT_NE(before.value(kind + " A"), before.value(kind + " B"));
        EXPECT_NE(before.value(kind + " B"), before.value(kind + " C"));
        EXPECT_EQ(after.value(kind + " B"), before.value(kind + " B")) << "B took the id another record read with";
        EXPECT_EQ(after.value(kind + " C"), before.value(kind + " C"));
    }

    // A project stored without a creation date reads with the file's time
    // there, which the next write of any program changes: its id does not.
    const QByteArray undated = fileWithProjects(
        QStringLiteral(R"({"id": "%1", "name": "Film"}, {"id": "%1", "name": "Film copy"})").arg(sharedID));
    const std::optional<Library> readNow = decodeLibrary(undated, test::fileTime());
    const std::optional<Library> readAfterAWrite = decodeLibrary(undated, test::fileTime().addSecs(60));
    ASSERT_TRUE(readNow && readAfterAWrite);
    EXPECT_NE(readNow->projects.at(0).id, readNow->projects.at(1).id);
    EXPECT_EQ(readAfterAWrite->projects.at(0).id, readNow->projects.at(0).id);
    EXPECT_EQ(readAfterAWrite->projects.at(1).id, readNow->projects.at(1).id);
}

TEST(RecordCodingTest, CueDatesFollowStageOrTheEarlierDoneFlag) {
    const auto library = decode(fileWithProjects(minimalProject(R"(, "items": [
        {"stage": "mixed", "mixedAt": "2024-01-02T03:04:05Z"},
        {"isDone": true, "doneAt": "2024-05-06T07:08:09Z", "startDate": "2020-01-01T00:00:00Z",
         "mixedAt": "2020-01-01T00:00:00Z", "deliveredAt": "2020-01-01T00:00:00Z"},
        {"isDone": false, "doneAt": "2024-05-06T07:08:09Z", "startDate": "2020-01-01T00:00:00Z"},
        {"isDone": true},
        {"stage": null, "startDate": "not a date"}
    ])")));
    ASSERT_TRUE(library);
    const QList<Cue>& cues = library->projects.first().items;
    ASSERT_EQ(cues.size(), 5);

    EXPECT_EQ(cues[0].stage, CueStage::Mixed);
    EXPECT_FALSE(cues[0].startDate);
    EXPECT_EQ(cues[0].mixedAt, utc(2024, 1, 2, 3, 4, 5));

    const QDateTime doneAt = utc(2024, 5, 6, 7, 8, 9);
    EXPECT_EQ(cues[1].stage, CueStage::Delivered);
    EXPECT_EQ(cues[1].mixedAt, doneAt);
    EXPECT_EQ(cues[1].deliveredAt, doneAt);
    EXPECT_FALSE(cues[1].startDate);

    EXPECT_EQ(cues[2].stage, CueStage::NotStarted);
    EXPECT_FALSE(cues[2].startDate || cues[2].mixedAt || cues[2].deliveredAt);

    EXPECT_EQ(cues[3].stage, CueStage::Delivered);
    EXPECT_FALSE(cues[3].mixedAt || cues[3].deliveredAt);

    // Without a stage the current date members are not read at all.
    EXPECT_EQ(cues[4].stage, CueStage::NotStarted);
}

// Another process reading the same bytes must find the same records, or a
// merge would take the difference for a change of the other program. A cue
// without an id is known by what it says, not by where it stands: cues put
// before it or taken away by another program leave it the cue it was, and
// cues that say the same are still told apart.
TEST(RecordCodingTest, CuesWithoutIdsKeepTheirIdsWhereverTheyStand) {
    const auto idsOfFirstProject = [](const QString& items) {
        const auto library = decode(fileWithProjects(minimalProject(R"(, "items": [)" + items + "]")));
        EXPECT_TRUE(library);
        QList<QUuid> ids;
        for (const Cue& cue : library ? library->projects.at(0).items : QList<Cue>())
            ids << cue.id;
        return ids;
    };
    const QByteArray bytes = fileWithProjects(
        minimalProject(
            R"(, "items": [{"title": "A"}, {"title": "B"}, {"id": "11111111-2222-3333-4444-555555555555"}, {"title": "D"}])")
        + QStringLiteral(
            R"(, {"id": "6F9619FF-8B86-D011-B42D-00C04FC96500", "name": "Other", "items": [{"title": "A"}]})"));
    const auto first = decode(bytes);
    const auto second = decode(bytes);
    ASSERT_TRUE(first && second);
    EXPECT_TRUE(*first == *second);

    const QList<Cue>& cues = first->projects.at(0).items;
    ASSERT_EQ(cues.size(), 4);
    QSet<QUuid> ids;
    for (const Cue& cue : cues) {
        EXPECT_FALSE(cue.id.isNull());
        ids.insert(cue.id);
    }
    ids.insert(first->projects.at(1).items.first().id);
    EXPECT_EQ(ids.size(), 5) << "each cue, in each project, has an id of its own";
    EXPECT_EQ(RecordCoding::idText(cues.at(2).id), "11111111-2222-3333-4444-555555555555");

    const QString alpha = R"({"number": "1M01", "title": "Alpha"})";
    const QString beta = R"({"number": "1M02", "title": "Beta"})";
    const QString earlier = R"({"title": "Gamma", "isDone": true})";
    const QList<QUuid> before = idsOfFirstProject(alpha + ", " + beta + ", " + earlier);
    ASSERT_EQ(before.size(), 3);
    const QList<QUuid> inserted =
        idsOfFirstProject(R"({"number": "1M00", "title": "Inserted"}, )" + alpha + ", " + beta + ", " + earlier);
    ASSERT_EQ(inserted.size(), 4);
    EXPECT_EQ(inserted.mid(1), before) << "a cue put at the top";
    EXPECT_FALSE(before.contains(inserted.at(0)));
    EXPECT_EQ(idsOfFirstProject(beta + ", " + earlier), before.mid(1)) << "the first cue taken away";
    EXPECT_NE(idsOfFirstProject(R"({"number": "1M01", "title": "Alpha 2"})").at(0), before.at(0))
        << "a cue that says something else is another cue";
    EXPECT_NE(idsOfFirstProject(R"({"number": "", "title": "Alpha"})").at(0),
              idsOfFirstProject(R"({"title": "Alpha"})").at(0))
        << "an empty number is not a missing one";

    const QList<QUuid> alike = idsOfFirstProject(alpha + ", " + alpha + ", " + beta);
    ASSERT_EQ(alike.size(), 3);
    EXPECT_NE(alike.at(0), alike.at(1)) << "cues that say the same are told apart";
    EXPECT_EQ(alike.at(2), before.at(1));
    EXPECT_EQ(idsOfFirstProject(alpha + ", " + alpha + ", " + beta), alike) << "the same at every reading";
    // Without a number, the number a cue shows is its position: it does not tell alike cues apart.
    const QList<QUuid> alikeWithoutNumbers = idsOfFirstProject(earlier + ", " + earlier);
    ASSERT_EQ(alikeWithoutNumbers.size(), 2);
    EXPECT_NE(alikeWithoutNumbers.at(0), alikeWithoutNumbers.at(1));
    EXPECT_EQ(idsOfFirstProject(alpha + ", " + earlier + ", " + earlier).mid(1), alikeWithoutNumbers)
        << "alike cues without numbers, a cue put before them";
}

TEST(RecordCodingTest, RecordsOfFourRequiredMembersFailWhenOneIsMissing) {
    const QString type =
        R"({"id": "00000000-0000-0000-0000-000000000009", "title": "T", "symbol": "s", "colorHex": "112233"})";
    EXPECT_TRUE(decode(fileWithProjects({}, ", \"types\": [" + type + "]")));
    for (const char* member : {"\"id\"", "\"title\"", "\"symbol\"", "\"colorHex\""}) {
        QString broken = type;
        broken.replace(QString::fromLatin1(member), QStringLiteral("\"other\""));
        EXPECT_FALSE(decode(fileWithProjects({}, ", \"types\": [" + broken + "]"))) << member;
    }
    const QString version =
        R"({"id": "00000000-0000-0000-0000-00000000000A", "number": 2, "date": "2024-01-01T00:00:00Z", "note": ""})";
    const QString entry =
        R"({"id": "00000000-0000-0000-0000-00000000000B", "date": "2024-01-01T00:00:00Z", "text": "", "progress": 0.5})";
    const auto withRecords = [](const QString& version, const QString& entry) {
        return fileWithProjects(
            minimalProject(QStringLiteral(R"(, "items": [{"stage": "revising", "versions": [%1]}], "log": [%2])")
                               .arg(version, entry)));
    };
    EXPECT_TRUE(decode(withRecords(version, entry)));
    EXPECT_FALSE(decode(withRecords(QString(version).replace("\"note\"", "\"other\""), entry)));
    EXPECT_FALSE(decode(withRecords(version, QString(entry).replace("\"progress\"", "\"other\""))));
}

TEST(RecordCodingTest, TypesMissingNullOrEmptyGiveTheDefaults) {
    for (const char* extra : {"", R"(, "types": null)", R"(, "types": [])"}) {
        const auto library = decode(fileWithProjects({}, QString::fromLatin1(extra)));
        ASSERT_TRUE(library) << extra;
        EXPECT_EQ(library->types, ProjectType::defaults()) << extra;
    }
    const auto library = decode(fileWithProjects({}, R"(, "types": [
        {"id": "00000000-0000-0000-0000-000000000009", "title": "B", "symbol": "b", "colorHex": "112233"},
        {"id": "00000000-0000-0000-0000-000000000008", "title": "A", "symbol": "a", "colorHex": "445566CC"}])"));
    ASSERT_TRUE(library);
    ASSERT_EQ(library->types.size(), 2);
    EXPECT_EQ(library->types[0].title, "B");
    EXPECT_EQ(library->types[1].colorHex, "445566CC");
}

TEST(RecordCodingTest, EarlierFormatWrittenBackIsTheCurrentFormat) {
    const auto library = decode(fileWithProjects(QStringLiteral(R"({
        "id": "%1", "name": "Old", "kind": "sfx", "createdAt": "2023-01-01T08:00:00+08:00",
        "items": [{"id": "aaaaaaaa-bbbb-cccc-dddd-eeeeeeeeeeee", "title": "Boom", "isDone": true, "doneAt": "2023-02-01T00:00:00Z"},
                  {"title": "Hiss", "number": ""}],
        "obsolete": 1})")
                                                     .arg(QString::fromLatin1(projectID).toLower()),
                                                 R"(, "extra": true)"));
    ASSERT_TRUE(library);
    const QByteArray written = encodeLibrary(*library);
    const QString text = QString::fromUtf8(written);

    for (const char* gone : {"kind", "isDone", "doneAt", "null"})
        EXPECT_FALSE(text.contains(QString::fromLatin1(gone))) << gone;
    // Members no record reads stay, as they were.
    EXPECT_TRUE(text.contains(QStringLiteral("\"obsolete\": 1")));
    EXPECT_TRUE(text.contains(QStringLiteral("\"extra\": true")));
    // Keys are sorted, so the top level reads projects, types, version.
    const qsizetype projects = text.indexOf("\"projects\"");
    const qsizetype types = text.indexOf("\"types\"");
    const qsizetype version = text.indexOf("\"version\": 2");
    EXPECT_TRUE(projects >= 0 && projects < types && types < version);

    const QJsonObject project = firstProjectObject(written);
    EXPECT_EQ(project.value("id").toString(), projectID);
    EXPECT_EQ(project.value("typeID").toString(), "00000000-0000-0000-0000-000000000002");
    EXPECT_EQ(project.value("createdAt").toString(), "2023-01-01T00:00:00Z");
    for (const char* optional : {"deadline", "folderPath", "completedAt", "archivedAt"})
        EXPECT_FALSE(project.contains(QLatin1String(optional))) << optional;
    const QJsonArray items = project.value("items").toArray();
    ASSERT_EQ(items.size(), 2);
    const QJsonObject boom = items.at(0).toObject();
    EXPECT_EQ(boom.value("id").toString(), "AAAAAAAA-BBBB-CCCC-DDDD-EEEEEEEEEEEE");
    EXPECT_EQ(boom.value("stage").toString(), "delivered");
    EXPECT_EQ(boom.value("deliveredAt").toString(), "2023-02-01T00:00:00Z");
    EXPECT_EQ(boom.value("number").toString(), "1");
    const QJsonObject hiss = items.at(1).toObject();
    EXPECT_EQ(hiss.value("stage").toString(), "notStarted");
    EXPECT_EQ(hiss.value("number").toString(), "");
    for (const char* optional : {"duration", "startDate", "mixedAt", "deliveredAt"})
        EXPECT_FALSE(hiss.contains(QLatin1String(optional))) << optional;

    // Every date in the file is UTC whole seconds with Z.
    const QRegularExpression anyDate(R"re("(\d{4}-\d\d-\d\d[^"]*)")re");
    const QRegularExpression storedDate(R"(^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\dZ$)");
    for (auto match = anyDate.globalMatch(text); match.hasNext();) {
        const QString date = match.next().captured(1);
        EXPECT_TRUE(storedDate.match(date).hasMatch()) << date.toStdString();
    }

    // And it reads back to the same records.
    const auto again = decode(written);
    ASSERT_TRUE(again);
    EXPECT_EQ(*again, *library);
}

TEST(RecordCodingTest, FullLibraryRoundTrips) {
    AudioProject project;
    project.id = QUuid::createUuid();
    project.name = "Score \"quoted\" 配乐";
    project.typeID = ProjectType::voiceID;
    project.status = ProjectStatus::Review;
    project.createdAt = utc(2024, 1, 1, 9);
    project.updatedAt = utc(2024, 2, 1, 9);
    project.deadline = utc(2024, 3, 1);
    project.folderPath = "/home/user/Film";
    project.notes = "line\nline";
    project.progressMode = ProgressMode::Manual;
    project.manualProgress = 0.3;
    project.completedAt = utc(2024, 2, 2);
    project.archivedAt = utc(2024, 2, 3);
    project.isFocused = true;
    Cue cue;
    cue.id = QUuid::createUuid();
    cue.number = "1M09";
    cue.title = "Main";
    cue.duration = 125;
    cue.stage = CueStage::Revising;
    cue.startDate = utc(2024, 1, 2);
    cue.versions = {CueVersion{QUuid::createUuid(), 2, utc(2024, 1, 3), "tempo"}};
    project.items = {cue};
    project.log = {LogEntry{QUuid::createUuid(), utc(2024, 1, 4), "half", 0.5}};
    Library library;
    library.projects = {project};
    library.types = {ProjectType{QUuid::createUuid(), "Trailer", "film", "AABBCC80"}};

    const auto decoded = decode(encodeLibrary(library));
    ASSERT_TRUE(decoded);
    EXPECT_EQ(*decoded, library);
}

TEST(RecordCodingTest, FractionsThatAreNotFiniteWriteZeroAndOthersStay) {
    Library library;
    AudioProject project = AudioProject::make("A", ProjectType::musicID);
    project.manualProgress = std::numeric_limits<double>::quiet_NaN();
    project.log = {LogEntry{QUuid::createUuid(), Clock::now(), "x", std::numeric_limits<double>::infinity()}};
    AudioProject handEdited = AudioProject::make("B", ProjectType::musicID);
    handEdited.manualProgress = 5;
    handEdited.log = {LogEntry{QUuid::createUuid(), Clock::now(), "y", -3}};
    library.projects = {project, handEdited};

    const QByteArray written = encodeLibrary(library);
    EXPECT_FALSE(written.contains("null"));
    const auto decoded = decode(written);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->projects[0].manualProgress, 0);
    EXPECT_EQ(decoded->projects[0].log.first().progress, 0);
    EXPECT_EQ(decoded->projects[1].manualProgress, 5);
    EXPECT_EQ(decoded->projects[1].log.first().progress, -3);
}

TEST(RecordCodingTest, UnsetProjectDatesAreLeftOutRatherThanWrittenUnreadable) {
    Library library;
    AudioProject project;
    project.id = QUuid::createUuid();
    project.name = "No dates";
    project.deadline = QDateTime();
    library.projects = {project};
    const QByteArray written = encodeLibrary(library);
    const QJsonObject object = firstProjectObject(written);
    EXPECT_FALSE(object.contains("createdAt"));
    EXPECT_FALSE(object.contains("deadline"));
    EXPECT_TRUE(decode(written));
}

} // namespace
} // namespace sorvel
