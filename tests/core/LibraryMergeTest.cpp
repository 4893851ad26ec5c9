#include "core/LibraryMerge.h"
#include "core/RecordCoding.h"
#include "core/RecordFields.h"
#include "support/SampleRecords.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <type_traits>
#include <utility>

namespace sorvel {
namespace {

using test::projectWithCue;

QStringList names(const Library& library) {
    QStringList result;
    for (const AudioProject& project : library.projects)
        result << project.name + QLatin1Char(':') + project.notes;
    return result;
}

class LibraryMergeTest : public ::testing::Test {
protected:
    LibraryMergeTest() {
        base.projects = {projectWithCue("A"), projectWithCue("B"), projectWithCue("C")};
        theirs = base;
        mine = base;
    }
    AudioProject& in(Library& library, const QString& name) {
        for (AudioProject& project : library.projects) {
            if (project.name == name)
                return project;
        }
        ADD_FAILURE() << "no project " << name.toStdString();
        return library.projects.first();
    }
    void remove(Library& library, const QString& name) {
        library.projects.removeIf([&](const AudioProject& p) { return p.name == name; });
    }

    Library base;
    Library theirs;
    Library mine;
};

TEST_F(LibraryMergeTest, ChangesOfEachSideAreTakenFromThatSide) {
    in(theirs, "A").notes = "theirs";
    in(mine, "B").notes = "mine";
    EXPECT_EQ(names(LibraryMerge::merge(base, theirs, mine)), (QStringList{"A:theirs", "B:mine", "C:"}));
}

TEST_F(LibraryMergeTest, ProjectChangedOnBothSidesTakesEachFieldFromTheSideThatChangedIt) {
    const QDateTime later = in(base, "A").updatedAt.addSecs(60);
    AudioProject& their = in(theirs, "A");
    their.notes = "theirs";
    their.deadline = QDateTime(QDate(2030, 5, 1), QTime(0, 0), Qt::UTC);
    their.manualProgress = 0.4;
    their.updatedAt = later;
    AudioProject& my = in(mine, "A");
    my.name = "A renamed";
    my.status = ProjectStatus::Review;
    my.isFocused = true;
    my.folderPath = QStringLiteral("/music/A");
    my.updatedAt = later.addSecs(-30);

    testing::internal::CaptureStderr();
    const AudioProject merged = LibraryMerge::merge(base, theirs, mine).projects.first();
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_EQ(merged.notes, "theirs");
    EXPECT_EQ(merged.deadline, their.deadline);
    EXPECT_EQ(merged.manualProgress, 0.4);
    EXPECT_EQ(merged.name, "A renamed");
    EXPECT_EQ(merged.status, ProjectStatus::Review);
    EXPECT_TRUE(merged.isFocused);
    EXPECT_EQ(merged.folderPath, my.folderPath);
    EXPECT_EQ(merged.updatedAt, later) << "the later of the two change dates";
    EXPECT_EQ(merged.items, base.projects.first().items);
    EXPECT_EQ(log, "") << "nothing was set aside";
}

TEST_F(LibraryMergeTest, SameFieldChangedOnBothSidesKeepsMineAndLogsTheValueSetAside) {
    in(theirs, "B").notes = "their notes\nsecond line";
    in(theirs, "B").progressMode = ProgressMode::Manual;
    in(mine, "B").notes = "my notes";
    in(mine, "B").progressMode = ProgressMode::Manual; // the same change on both sides is no conflict

    testing::internal::CaptureStderr();
    Library merged = LibraryMerge::merge(base, theirs, mine);
    const QString text = QString::fromStdString(testing::internal::GetCapturedStderr());
    EXPECT_EQ(in(merged, "B").notes, "my notes");
    EXPECT_EQ(in(merged, "B").progressMode, ProgressMode::Manual);
    // The merge succeeded: what it set aside is information, not an error.
    EXPECT_TRUE(text.startsWith("Sorvel merge: ")) << text.toStdString();
    EXPECT_FALSE(text.contains("error")) << text.toStdString();
    EXPECT_TRUE(text.contains("\"B\"")) << text.toStdString();
    EXPECT_TRUE(text.contains(RecordCoding::idText(in(base, "B").id))) << text.toStdString();
    EXPECT_TRUE(text.contains("notes")) << text.toStdString();
    EXPECT_TRUE(text.contains("set aside \"their notes\\nsecond line\"")) << text.toStdString();
    EXPECT_FALSE(text.contains("progress mode")) << text.toStdString();
    EXPECT_EQ(text.count('\n'), 1) << text.toStdString();
}

TEST_F(LibraryMergeTest, CuesOfOneProjectMergeByIdAndFieldByField) {
    Library start = base;
    AudioProject& project = in(start, "A");
    project.items = {test::sampleCue("1", "One", CueStage::NotStarted),
                     test::sampleCue("2", "Two", CueStage::Composing), test::sampleCue("3", "Three", CueStage::Mixed)};
    theirs = mine = start;
    const QDateTime at(QDate(2024, 3, 1), QTime(9, 0), Qt::UTC);

    QList<Cue>& their = in(theirs, "A").items;
    their[0].title = "One, retitled there";
    their[1].setStage(CueStage::Revising, at);
    their[2].versions.append(CueVersion{QUuid::createUuid(), 2, at, "their take"});
    their.append(test::sampleCue("4", "Added there", CueStage::NotStarted));
    QList<Cue>& my = in(mine, "A").items;
    my[1].title = "Two, retitled here";
    my[1].duration = 95;
    my[2].versions.append(CueVersion{QUuid::createUuid(), 2, at.addSecs(5), "my take"});
    my.prepend(test::sampleCue("0", "Added here", CueStage::NotStarted));

    Library result = LibraryMerge::merge(start, theirs, mine);
    const QList<Cue>& merged = in(result, "A").items;
    ASSERT_EQ(merged.size(), 5);
    EXPECT_EQ(merged[0].title, "Added here");
    EXPECT_EQ(merged[1].title, "One, retitled there");
    EXPECT_EQ(merged[2].title, "Two, retitled here");
    EXPECT_EQ(merged[2].duration, 95);
    EXPECT_EQ(merged[2].stage, CueStage::Revising);
    ASSERT_EQ(merged[3].versions.size(), 2) << "versions added on both sides are kept";
    EXPECT_TRUE(merged[3].versions.contains(in(mine, "A").items[3].versions.first()));
    EXPECT_TRUE(merged[3].versions.contains(in(theirs, "A").items[2].versions.first()));
    EXPECT_EQ(merged[4].title, "Added there");
}

TEST_F(LibraryMergeTest, CueDeletedOnOneSideAndChangedOnTheOtherFollowsThisProgram) {
    Library start = base;
    in(start, "A").items = {
        test::sampleCue("1", "One", CueStage::NotStarted), test::sampleCue("2", "Two", CueStage::NotStarted),
        test::sampleCue("3", "Three", CueStage::NotStarted), test::sampleCue("4", "Four", CueStage::NotStarted)};
    theirs = mine = start;
    in(theirs, "A").items.removeAt(0); // unchanged here: gone
    in(theirs, "A").items[1].title = "Three, edited there"; // deleted here: the deletion stands
    in(theirs, "A").items.removeAt(2); // edited here: kept
    in(mine, "A").items.removeAt(2);
    in(mine, "A").items[2].title = "Four, edited here";
    in(mine, "A").notes = "mine";

    testing::internal::CaptureStderr();
    const Library merged = LibraryMerge::merge(start, theirs, mine);
    const QString log = QString::fromStdString(testing::internal::GetCapturedStderr());
    QStringList titles;
    for (const Cue& cue : merged.projects.first().items)
        titles << cue.title;
    EXPECT_EQ(titles, (QStringList{"Two", "Four, edited here"}));
    EXPECT_EQ(merged.projects.first().notes, "mine");
    EXPECT_TRUE(log.contains("cue \"3\" \"Three, edited there\" was deleted here and changed by another program; "
                             "kept the deletion, set aside its change of title \"Three, edited there\""))
        << log.toStdString();
    EXPECT_TRUE(
        log.contains("cue \"4\" \"Four, edited here\" was deleted by another program and changed here; kept it"))
        << log.toStdString();
    EXPECT_EQ(log.count('\n'), 2) << log.toStdString();
}

TEST_F(LibraryMergeTest, LogEntriesOfBothSidesAreKeptNewestFirst) {
    const QDateTime at(QDate(2024, 3, 1), QTime(9, 0), Qt::UTC);
    Library start = base;
    in(start, "A").log = {LogEntry{QUuid::createUuid(), at, "first", 0}};
    theirs = mine = start;
    // The other program wrote its note before this one's, but it is new to the merge.
    in(theirs, "A").log.prepend(LogEntry{QUuid::createUuid(), at.addSecs(60), "theirs", 0.1});
    in(mine, "A").log.prepend(LogEntry{QUuid::createUuid(), at.addSecs(120), "mine", 0.2});
    in(mine, "A").log.prepend(LogEntry{QUuid::createUuid(), at.addSecs(30 * 60), "mine later", 0.3});

    const Library merged = LibraryMerge::merge(start, theirs, mine);
    QStringList texts;
    for (const LogEntry& entry : merged.projects.first().log)
        texts << entry.text;
    EXPECT_EQ(texts, (QStringList{"mine later", "mine", "theirs", "first"}));
}

TEST_F(LibraryMergeTest, CueOrderComesFromTheSideThatChangedIt) {
    Library start = base;
    in(start, "A").items = {test::sampleCue("1", "One", CueStage::NotStarted),
                            test::sampleCue("2", "Two", CueStage::NotStarted),
                            test::sampleCue("3", "Three", CueStage::NotStarted)};
    const auto titles = [&](const Library& library) {
        QStringList result;
        for (const Cue& cue : library.projects.first().items)
            result << cue.title;
        return result;
    };

    // Reordered there, a cue edited and one added here.
    theirs = mine = start;
    std::reverse(in(theirs, "A").items.begin(), in(theirs, "A").items.end());
    in(mine, "A").items[0].title = "One edited";
    in(mine, "A").items.insert(2, test::sampleCue("2a", "Two and a half", CueStage::NotStarted));
    EXPECT_EQ(titles(LibraryMerge::merge(start, theirs, mine)),
              (QStringList{"Three", "Two", "Two and a half", "One edited"}));

    // Reordered here, a cue edited there.
    theirs = mine = start;
    in(mine, "A").items.move(0, 2);
    in(theirs, "A").items[1].title = "Two edited";
    EXPECT_EQ(titles(LibraryMerge::merge(start, theirs, mine)), (QStringList{"Two edited", "Three", "One"}));

    // Reordered on both sides: mine.
    theirs = mine = start;
    in(mine, "A").items.move(0, 2);
    in(theirs, "A").items.move(2, 0);
    EXPECT_EQ(titles(LibraryMerge::merge(start, theirs, mine)), (QStringList{"Two", "Three", "One"}));
}

TEST_F(LibraryMergeTest, TwoFocusChoicesLeaveOnlyMineFocusedAndTheOtherLogged) {
    in(base, "C").isFocused = true;
    theirs = mine = base;
    in(theirs, "C").isFocused = false;
    in(theirs, "A").isFocused = true;
    in(mine, "C").isFocused = false;
    in(mine, "B").isFocused = true;

    testing::internal::CaptureStderr();
    Library merged = LibraryMerge::merge(base, theirs, mine);
    const QString log = QString::fromStdString(testing::internal::GetCapturedStderr());
    EXPECT_FALSE(in(merged, "A").isFocused);
    EXPECT_TRUE(in(merged, "B").isFocused);
    EXPECT_FALSE(in(merged, "C").isFocused);
    const QString setAside = QStringLiteral("project \"A\" (%1)").arg(RecordCoding::idText(in(base, "A").id));
    EXPECT_TRUE(log.contains(setAside) && log.contains("focus")) << log.toStdString();

    // Only the other side chose: its choice stands, and the one focused before lets go there.
    mine = base;
    in(mine, "B").notes = "mine";
    merged = LibraryMerge::merge(base, theirs, mine);
    EXPECT_TRUE(in(merged, "A").isFocused);
    EXPECT_FALSE(in(merged, "C").isFocused);
}

TEST_F(LibraryMergeTest, SeveralFocusedInAFileKeepTheChosenOrTheFirstAndSaySo) {
    // A hand edit focused A and C: neither side chose either.
    in(base, "A").isFocused = true;
    in(base, "C").isFocused = true;
    theirs = mine = base;
    in(mine, "B").notes = "mine";

    QStringList notes;
    Library merged = LibraryMerge::merge(base, theirs, mine, &notes);
    EXPECT_TRUE(in(merged, "A").isFocused);
    EXPECT_FALSE(in(merged, "C").isFocused);
    const auto named = [&](const char* name) {
        return QStringLiteral("project \"%1\" (%2)").arg(QLatin1String(name), RecordCoding::idText(in(base, name).id));
    };
    EXPECT_EQ(notes,
              QStringList{QStringLiteral("the file held several focused projects, where only one may be; ") + named("A")
                          + QStringLiteral(" keeps the focus, taken from ") + named("C")});

    // Another program's file focused B beside the C it had: its choice keeps the focus.
    in(theirs, "A").isFocused = false;
    in(theirs, "B").isFocused = true;
    notes.clear();
    merged = LibraryMerge::merge(base, theirs, mine, &notes);
    EXPECT_TRUE(in(merged, "B").isFocused);
    EXPECT_FALSE(in(merged, "C").isFocused);
    EXPECT_FALSE(in(merged, "A").isFocused);
    ASSERT_EQ(notes.size(), 1);
    EXPECT_TRUE(notes.first().endsWith(named("B") + QStringLiteral(" keeps the focus, taken from ") + named("C")))
        << notes.first().toStdString();
}

TEST_F(LibraryMergeTest, DeletedOnOneSideAndUnchangedOnTheOtherStaysDeleted) {
    remove(theirs, "A");
    remove(mine, "C");
    in(mine, "B").notes = "mine";
    EXPECT_EQ(names(LibraryMerge::merge(base, theirs, mine)), (QStringList{"B:mine"}));
}

// This program's choice wins: its deletion beats the other program's change,
// its change beats the other program's deletion; the log names what was set aside.
TEST_F(LibraryMergeTest, DeletedOnOneSideAndChangedOnTheOtherFollowsThisProgram) {
    remove(theirs, "A");
    in(mine, "A").notes = "mine";
    remove(mine, "C");
    in(theirs, "C").notes = "theirs";
    in(theirs, "C").items.first().title = "retitled there";

    testing::internal::CaptureStderr();
    const Library merged = LibraryMerge::merge(base, theirs, mine);
    const QString log = QString::fromStdString(testing::internal::GetCapturedStderr());
    EXPECT_EQ(names(merged), (QStringList{"A:mine", "B:"}));
    const QString a = RecordCoding::idText(in(base, "A").id);
    const QString c = RecordCoding::idText(in(base, "C").id);
    EXPECT_TRUE(log.contains(QStringLiteral("Sorvel merge: project \"A\" (%1) was deleted by another program "
                                            "and changed here; kept it")
                                 .arg(a)))
        << log.toStdString();
    EXPECT_TRUE(log.contains(QStringLiteral("Sorvel merge: project \"C\" (%1) was deleted here and changed by "
                                            "another program; kept the deletion, set aside its change of notes "
                                            "\"theirs\", cues: cue \"1\" \"Opening\" (title \"retitled there\")")
                                 .arg(c)))
        << log.toStdString();
}

TEST_F(LibraryMergeTest, VersionsAndLogEntriesDeletedHereStayDeletedWhateverTheOtherSideChanged) {
    const QDateTime at(QDate(2024, 3, 1), QTime(9, 0), Qt::UTC);
    in(base, "A").items.first().versions = {CueVersion{QUuid::createUuid(), 2, at, "take two"}};
    in(base, "A").log = {LogEntry{QUuid::createUuid(), at, "note", 0.5}};
    theirs = mine = base;
    in(theirs, "A").items.first().versions.first().note = "take two, annotated";
    in(theirs, "A").log.first().text = "note, reworded";
    in(mine, "A").items.first().versions.clear();
    in(mine, "A").log.clear();

    testing::internal::CaptureStderr();
    Library merged = LibraryMerge::merge(base, theirs, mine);
    const QString log = QString::fromStdString(testing::internal::GetCapturedStderr());
    EXPECT_TRUE(in(merged, "A").items.first().versions.isEmpty());
    EXPECT_TRUE(in(merged, "A").log.isEmpty());
    EXPECT_TRUE(log.contains("version 2 was deleted here and changed by another program; kept the deletion, set aside "
                             "its change of note \"take two, annotated\""))
        << log.toStdString();
    EXPECT_TRUE(log.contains("was deleted here and changed by another program; kept the deletion, set aside its change "
                             "of text \"note, reworded\""))
        << log.toStdString();
}

TEST_F(LibraryMergeTest, NewRecordsOfBothSidesAreKeptNearTheirNeighbours) {
    mine.projects.prepend(projectWithCue("Mine new"));
    theirs.projects.insert(2, projectWithCue("Theirs new"));
    theirs.projects.prepend(projectWithCue("Theirs first"));
    EXPECT_EQ(names(LibraryMerge::merge(base, theirs, mine)),
              (QStringList{"Theirs first:", "Mine new:", "A:", "B:", "Theirs new:", "C:"}));
}

TEST_F(LibraryMergeTest, OneSideUnchangedGivesTheOtherExactly) {
    std::swap(mine.projects[0], mine.projects[2]);
    remove(mine, "B");
    EXPECT_EQ(LibraryMerge::merge(base, theirs, mine), mine);
    theirs.types.removeLast();
    EXPECT_EQ(LibraryMerge::merge(base, theirs, base), theirs);
}

TEST_F(LibraryMergeTest, TypesMergeByIdLikeProjects) {
    theirs.types[0].title = "Renamed there";
    mine.types.removeLast();
    ProjectType added{QUuid::createUuid(), "Mine", "tag", "FF0000"};
    mine.types.append(added);
    const Library merged = LibraryMerge::merge(base, theirs, mine);
    ASSERT_EQ(merged.types.size(), base.types.size());
    EXPECT_EQ(merged.types.first().title, "Renamed there");
    EXPECT_EQ(merged.types.last(), added);
    EXPECT_FALSE(merged.types.contains(base.types.last()));
}

// A hand-edited file may hold two records with one id (a project copied to
// start another); both are the user's and neither may vanish in a merge.
TEST_F(LibraryMergeTest, RecordsSharingAnIdAreAllKept) {
    AudioProject copy = base.projects.at(1);
    copy.name = "B copy";
    base.projects.append(copy);
    theirs = base;
    mine = base;
    in(theirs, "A").notes = "theirs";
    in(mine, "C").notes = "mine";
    EXPECT_EQ(names(LibraryMerge::merge(base, theirs, mine)), (QStringList{"A:theirs", "B:", "C:mine", "B copy:"}));

    in(theirs, "B copy").notes = "theirs";
    in(mine, "B").notes = "mine";
    EXPECT_EQ(names(LibraryMerge::merge(base, theirs, mine)),
              (QStringList{"A:theirs", "B:mine", "C:mine", "B copy:theirs"}));

    remove(theirs, "B copy");
    EXPECT_EQ(names(LibraryMerge::merge(base, theirs, mine)), (QStringList{"A:theirs", "B:mine", "C:mine"}));
}

TEST_F(LibraryMergeTest, ProjectLeftOnATypeTheOtherSideDeletedFollowsThatSidesMove) {
    const QString ambience = QStringLiteral("\"环境声\"");
    in(base, "B").typeID = ProjectType::sfxID;
    theirs = mine = base;
    const auto deleteSfx = [&](Library& side, const QUuid& movedTo) {
        side.types.removeIf([](const ProjectType& type) { return type.id == ProjectType::sfxID; });
        in(side, "B").typeID = movedTo;
    };

    // Deleted there, chosen here.
    deleteSfx(theirs, ProjectType::ambienceID);
    in(mine, "A").typeID = ProjectType::sfxID;
    testing::internal::CaptureStderr();
    Library merged = LibraryMerge::merge(base, theirs, mine);
    QString log = QString::fromStdString(testing::internal::GetCapturedStderr());
    EXPECT_EQ(in(merged, "A").typeID, ProjectType::ambienceID);
    EXPECT_EQ(in(merged, "B").typeID, ProjectType::ambienceID);
    EXPECT_TRUE(log.contains(QStringLiteral("project \"A\" (%1): its type \"音效\" was deleted by another program; "
                                            "moved it to %2")
                                 .arg(RecordCoding::idText(in(base, "A").id), ambience)))
        << log.toStdString();

    // Deleted here, chosen there.
    theirs = mine = base;
    deleteSfx(mine, ProjectType::voiceID);
    in(theirs, "C").typeID = ProjectType::sfxID;
    testing::internal::CaptureStderr();
    merged = LibraryMerge::merge(base, theirs, mine);
    log = QString::fromStdString(testing::internal::GetCapturedStderr());
    EXPECT_EQ(in(merged, "C").typeID, ProjectType::voiceID);
    EXPECT_TRUE(log.contains("its type \"音效\" was deleted here; moved it to \"对白\"")) << log.toStdString();

    // The deleting side had no project on it: nothing says where it sent them.
    theirs = mine = base;
    in(base, "B").typeID = in(theirs, "B").typeID = in(mine, "B").typeID = ProjectType::musicID;
    theirs.types.removeIf([](const ProjectType& type) { return type.id == ProjectType::sfxID; });
    in(mine, "A").typeID = ProjectType::sfxID;
    testing::internal::CaptureStderr();
    merged = LibraryMerge::merge(base, theirs, mine);
    log = QString::fromStdString(testing::internal::GetCapturedStderr());
    EXPECT_EQ(in(merged, "A").typeID, ProjectType::otherID);
    EXPECT_TRUE(log.contains("moved it to \"其他\"")) << log.toStdString();
}

// Every member of each record must take part in the merge: a field added to a
// record but not to its shape is lost whenever the other program changed it.

// Stands for a value of any type, to count the members of an aggregate.
struct AnyValue {
    template <typename T>
    operator T() const;
};

template <typename Record, typename... Values>
constexpr std::size_t memberCount() {
    if constexpr (requires { Record{Values{}..., AnyValue{}}; })
        return memberCount<Record, Values..., AnyValue>();
    else
        return sizeof...(Values);
}

template <typename Record>
constexpr std::size_t shapedCount() {
    return std::tuple_size_v<std::remove_const_t<
               decltype(RecordShape<Record>::
                            fields)>> + std::tuple_size_v<std::remove_const_t<decltype(RecordShape<Record>::lists)>>;
}

template <typename Tuple, typename Visit>
void forEachIndexed(const Tuple& tuple, Visit visit) {
    [&]<std::size_t... index>(std::index_sequence<index...>) {
        (visit(index, std::get<index>(tuple)), ...);
    }
    (std::make_index_sequence<std::tuple_size_v<Tuple>>{});
}

// A value other than `value`.
QString otherValue(const QString& value) {
    return value + QStringLiteral(" (changed)");
}
QUuid otherValue(const QUuid&) {
    return QUuid::createUuid();
}
bool otherValue(bool value) {
    return !value;
}
double otherValue(double value) {
    return value + 0.25;
}
qint64 otherValue(qint64 value) {
    return value + 7;
}
QDateTime otherValue(const QDateTime& value) {
    return value.isValid() ? value.addDays(3) : QDateTime(QDate(2031, 2, 3), QTime(4, 5), Qt::UTC);
}
UnknownMembers otherValue(const UnknownMembers& value) {
    UnknownMembers other = value;
    other.append({QStringLiteral("colorLabel"), QByteArrayLiteral("\"teal\""), QByteArrayLiteral("id")});
    return other;
}
template <typename Enum>
requires std::is_enum_v<Enum> Enum otherValue(Enum value) {
    return Enum(int(value) == 0 ? 1 : 0);
}
template <typename Value>
std::optional<Value> otherValue(const std::optional<Value>& value) {
    return otherValue(value.value_or(Value{}));
}

// A new record for a list.
template <typename Record>
Record newRecord() {
    const QDateTime at(QDate(2030, 1, 1), QTime(12, 0), Qt::UTC);
    if constexpr (std::is_same_v<Record, Cue>)
        return test::sampleCue("9", "Added there", CueStage::Mixed);
    else if constexpr (std::is_same_v<Record, CueVersion>)
        return CueVersion{QUuid::createUuid(), 5, at, "added there"};
    else
        return LogEntry{QUuid::createUuid(), at, "added there", 0.5};
}

// Changes each field and list of the record `locate` finds on the other side
// only, while this side changes another field of the same record (so that the
// record is merged field by field): the merge must keep both changes.
template <typename Record>
void expectEveryMemberMerged(const Library& base, const std::function<Record&(Library&)>& locate,
                             std::size_t unshapedMembers) {
    SCOPED_TRACE(typeid(Record).name());
    EXPECT_EQ(memberCount<Record>(), shapedCount<Record>() + unshapedMembers)
        << "a member of the record is missing from its shape in core/RecordFields.h";

    const auto& fields = RecordShape<Record>::fields;
    constexpr std::size_t fieldCount = std::tuple_size_v<std::remove_const_t<decltype(RecordShape<Record>::fields)>>;
    const auto changeField = [&](Library& side, std::size_t wanted) {
        forEachIndexed(fields, [&](std::size_t index, const auto& field) {
            if (index == wanted)
                locate(side).*field.member = otherValue(locate(side).*field.member);
        });
    };
    forEachIndexed(fields, [&](std::size_t index, const auto& field) {
        Library theirs = base;
        Library mine = base;
        changeField(theirs, index);
        changeField(mine, (index + 1) % fieldCount);
        Library merged = LibraryMerge::merge(base, theirs, mine);
        EXPECT_TRUE(locate(merged).*field.member == locate(theirs).*field.member)
            << field.name << " changed by the other side was lost";
    });
    forEachOf(RecordShape<Record>::lists, [&](const auto& list) {
        Library theirs = base;
        Library mine = base;
        (locate(theirs).*list.member)
            .append(newRecord<typename std::remove_cvref_t<decltype(locate(theirs).*list.member)>::value_type>());
        changeField(mine, 0);
        Library merged = LibraryMerge::merge(base, theirs, mine);
        EXPECT_TRUE(locate(merged).*list.member == locate(theirs).*list.member)
            << list.name << " changed by the other side were lost";
    });
}

TEST_F(LibraryMergeTest, EveryMemberOfEveryRecordChangedOnTheOtherSideOnlyIsKept) {
    const QDateTime at(QDate(2024, 3, 1), QTime(9, 0), Qt::UTC);
    AudioProject& a = in(base, "A");
    a.items.first().versions = {CueVersion{QUuid::createUuid(), 2, at, "take two"}};
    a.log = {LogEntry{QUuid::createUuid(), at, "note", 0.5}};

    expectEveryMemberMerged<AudioProject>(
        base, [](Library& library) -> AudioProject& { return library.projects.first(); }, 2); // id, change date
    expectEveryMemberMerged<Cue>(
        base, [](Library& library) -> Cue& { return library.projects.first().items.first(); }, 1);
    expectEveryMemberMerged<CueVersion>(
        base, [](Library& library) -> CueVersion& { return library.projects.first().items.first().versions.first(); },
        1);
    expectEveryMemberMerged<LogEntry>(
        base, [](Library& library) -> LogEntry& { return library.projects.first().log.first(); }, 1);
    expectEveryMemberMerged<ProjectType>(
        base, [](Library& library) -> ProjectType& { return library.types.first(); }, 1);
}

} // namespace
} // namespace sorvel
