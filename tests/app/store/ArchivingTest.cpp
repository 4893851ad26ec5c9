#include "support/StoreTestSupport.h"

#include "app/store/ArchiveSummary.h"
#include "app/store/FolderMover.h"
#include "app/store/FreeName.h"
#include "app/store/ProjectStore.h"
#include "core/RegularFile.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>

#include <cerrno>
#include <sys/stat.h>

namespace sorvel::test {
namespace {

class Archiving : public ::testing::Test {
protected:
    TestEnvironment environment;
    PosixFileSystem disk;
    FakeDesktop desktop;
    std::unique_ptr<ProjectStore> store;
    std::optional<QString> archiveFolder; // none: the summaries go into the project folders

    void open(const QList<AudioProject>& projects) {
        writeDataFile(projects);
        store = std::make_unique<ProjectStore>(disk, desktop.seams());
    }
    // Archives into `base` from now on; returns this month's folder inside it.
    QString archiveTo(const QString& base) {
        archiveFolder = base;
        return base + QLatin1Char('/') + QDate::currentDate().toString(QStringLiteral("yyyy-MM"));
    }
    // A project folder holding one file, so that a move can be checked.
    QString makeFolder(const QString& relative) {
        const QString path = environment.scratch() + QLatin1Char('/') + relative;
        writeFile(path + QStringLiteral("/take.wav"), QByteArray(1000, 'w'));
        return path;
    }
    AudioProject projectIn(const QString& name, const std::optional<QString>& folder) {
        AudioProject project = projectWithCue(name, CueStage::Composing);
        project.folderPath = folder;
        return project;
    }
    QStringList archive(const QSet<QUuid>& ids, const ProjectStore::ArchiveOptions& options) {
        return store->archive(ids, options, archiveFolder);
    }
    const AudioProject& stored(const AudioProject& project) const { return *store->project(project.id); }
    static QStringList entries(const QString& folder) {
        return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                      QDir::Name);
    }
};

TEST_F(Archiving, WithoutArchiveDirectoryTheSummaryGoesIntoTheProjectFolder) {
    const QString folder = makeFolder(QStringLiteral("Tape"));
    const AudioProject tape = projectIn(QStringLiteral("Tape"), folder);
    open({tape});

    EXPECT_EQ(archive({tape.id}, {true, true}), QStringList());
    const AudioProject& archived = stored(tape);
    EXPECT_EQ(archived.status, ProjectStatus::Done);
    EXPECT_TRUE(archived.archivedAt.has_value());
    ASSERT_EQ(archived.log.size(), 2);
    EXPECT_EQ(archived.log.at(0).text, QStringLiteral("归档"));
    EXPECT_EQ(archived.log.at(1).text, QStringLiteral("完成"));
    EXPECT_DOUBLE_EQ(archived.log.at(0).progress, 1.0);
    EXPECT_EQ(archived.folderPath, folder) << "nothing is moved without an archive directory";

    const QString summary = folder + QStringLiteral("/Tape 归档.md");
    EXPECT_EQ(QString::fromUtf8(readFile(summary)),
              ArchiveSummary::markdown(archived, store->registry().type(archived.typeID)));
    EXPECT_TRUE(ArchiveSummary::markdown(archived, store->registry().type(archived.typeID))
                    .endsWith(QStringLiteral("  归档（100%）\n")));
    EXPECT_TRUE(store->isDirty());
}

TEST_F(Archiving, MonthFolderIsMadeEvenForNoProjects) {
    const QString month = archiveTo(environment.scratch() + QStringLiteral("/Archive"));
    open({});
    EXPECT_TRUE(archive({}, {false, false}).isEmpty());
    EXPECT_TRUE(QFileInfo(month).isDir());
    EXPECT_TRUE(QRegularExpression(QStringLiteral("/\\d{4}-\\d{2}$")).match(month).hasMatch());
}

TEST_F(Archiving, FoldersAndSummariesTakeFreeNamesInStoreOrder) {
    const QString month = archiveTo(environment.scratch() + QStringLiteral("/Archive"));
    writeFile(month + QStringLiteral("/Demo.take"), "already here");
    QList<AudioProject> tapes;
    QSet<QUuid> ids;
    for (const char* parent : {"a", "b", "c", "d", "e"}) {
        tapes << projectIn(QStringLiteral("Tape"), makeFolder(QLatin1String(parent) + QStringLiteral("/Tape")));
        ids << tapes.last().id;
    }
    const AudioProject demo = projectIn(QStringLiteral("Demo"), makeFolder(QStringLiteral("f/Demo.take")));
    const AudioProject untouched = projectIn(QStringLiteral("Other"), makeFolder(QStringLiteral("g/Other")));
    open(tapes + QList<AudioProject>{demo, untouched});
    ids << demo.id;

    // Whatever order the set iterates in, the store's order decides the names.
    EXPECT_EQ(archive(ids, {true, true}), QStringList());
    EXPECT_EQ(stored(tapes[0]).folderPath, month + QStringLiteral("/Tape"));
    for (int i = 1; i < tapes.size(); ++i) {
        const QString moved = month + QStringLiteral("/Tape ") + QString::number(i + 1);
        EXPECT_EQ(stored(tapes[i]).folderPath, moved);
        const QString summary = month + QStringLiteral("/Tape 归档 ") + QString::number(i + 1) + QStringLiteral(".md");
        EXPECT_TRUE(
            QString::fromUtf8(readFile(summary)).contains(QStringLiteral("- 工程文件夹：") + moved + QLatin1Char('\n')))
            << summary.toStdString();
    }
    EXPECT_EQ(stored(demo).folderPath, month + QStringLiteral("/Demo 2.take"));
    EXPECT_EQ(readFile(month + QStringLiteral("/Tape 2/take.wav")).size(), 1000);
    EXPECT_FALSE(QFileInfo::exists(environment.scratch() + QStringLiteral("/b/Tape")));
    EXPECT_EQ(readFile(month + QStringLiteral("/Demo.take")), QByteArray("already here"));
    EXPECT_FALSE(stored(untouched).archivedAt.has_value());
    EXPECT_EQ(entries(month).size(), 2 + 5 + 5 + 1); // Demo.take, Demo 2.take, tapes, their summaries, Demo's

    // Archived again this month: the folder stays, the summary takes the next free name.
    EXPECT_EQ(archive({tapes[0].id}, {true, true}), QStringList());
    EXPECT_EQ(stored(tapes[0]).folderPath, month + QStringLiteral("/Tape"));
    EXPECT_TRUE(QFileInfo::exists(month + QStringLiteral("/Tape 归档 6.md")));
}

TEST_F(Archiving, AMoveNeverReplacesAnEmptyFolder) {
    const QString month = archiveTo(environment.scratch() + QStringLiteral("/Archive"));
    QDir().mkpath(month + QStringLiteral("/Tape"));
    const AudioProject tape = projectIn(QStringLiteral("Tape"), makeFolder(QStringLiteral("a/Tape")));
    open({tape});
    EXPECT_EQ(archive({tape.id}, {true, false}), QStringList());
    EXPECT_EQ(stored(tape).folderPath, month + QStringLiteral("/Tape 2"));
    EXPECT_TRUE(entries(month + QStringLiteral("/Tape")).isEmpty());

    const QString source = makeFolder(QStringLiteral("b/Tape"));
    EXPECT_EQ(RegularFile::renameNoReplace(disk, source, month + QStringLiteral("/Tape")), EEXIST);
    EXPECT_TRUE(QFileInfo::exists(source + QStringLiteral("/take.wav")));
}

TEST_F(Archiving, FailuresAreReportedPerProjectAndTheProjectsAreArchivedAllTheSame) {
    // The archive directory lies below a plain file: no month folder can be made.
    writeFile(environment.scratch() + QStringLiteral("/blocker"), "file");
    archiveTo(environment.scratch() + QStringLiteral("/blocker/Archive"));
    const QString folder = makeFolder(QStringLiteral("A"));
    const AudioProject a = projectIn(QStringLiteral("A"), folder);
    const AudioProject b = projectIn(QStringLiteral("B"), environment.scratch() + QStringLiteral("/missing"));
    open({a, b});

    const QStringList errors = archive({b.id, a.id}, {true, true});
    ASSERT_EQ(errors.size(), 4) << errors.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(errors.at(0), QStringLiteral("「A」移动文件夹失败：路径中的某一项不是文件夹"));
    EXPECT_EQ(errors.at(1), QStringLiteral("「A」写入清单失败：路径中的某一项不是文件夹"));
    EXPECT_TRUE(errors.at(2).startsWith(QStringLiteral("「B」移动文件夹失败：")));
    EXPECT_TRUE(errors.at(3).startsWith(QStringLiteral("「B」写入清单失败：")));
    EXPECT_EQ(stored(a).folderPath, folder);
    EXPECT_TRUE(stored(a).archivedAt.has_value());
    EXPECT_TRUE(stored(b).archivedAt.has_value());
    EXPECT_TRUE(QFileInfo::exists(folder + QStringLiteral("/take.wav")));
}

TEST_F(Archiving, MissingProjectFolderIsReportedWithTheReasonInChinese) {
    const QString month = archiveTo(environment.scratch() + QStringLiteral("/Archive"));
    const AudioProject gone = projectIn(QStringLiteral("Gone"), environment.scratch() + QStringLiteral("/nowhere"));
    open({gone});
    EXPECT_EQ(archive({gone.id}, {true, true}),
              QStringList{QStringLiteral("「Gone」移动文件夹失败：文件或文件夹不存在")});
    EXPECT_TRUE(QFileInfo::exists(month + QStringLiteral("/Gone 归档.md")));
}

TEST_F(Archiving, AFolderGoneFromTheMonthFolderIsReportedWhenArchivedAgain) {
    const QString month = archiveTo(environment.scratch() + QStringLiteral("/Archive"));
    const AudioProject tape = projectIn(QStringLiteral("Tape"), makeFolder(QStringLiteral("a/Tape")));
    open({tape});
    ASSERT_EQ(archive({tape.id}, {true, false}), QStringList());
    const QString moved = month + QStringLiteral("/Tape");
    ASSERT_EQ(stored(tape).folderPath, moved);

    store->unarchive(tape.id);
    ASSERT_TRUE(QDir(moved).removeRecursively());
    EXPECT_EQ(archive({tape.id}, {true, false}),
              QStringList{QStringLiteral("「Tape」移动文件夹失败：文件或文件夹不存在")});
    EXPECT_EQ(stored(tape).folderPath, moved);
    EXPECT_TRUE(stored(tape).archivedAt.has_value());
    EXPECT_TRUE(entries(month).isEmpty()) << "nothing stands in for the folder";
}

TEST_F(Archiving, ANameWithLineBreaksIsOneLineInTheFileNameTheHeadingAndTheErrorLine) {
    const QString month = archiveTo(environment.scratch() + QStringLiteral("/Archive"));
    const QString name = QStringLiteral("Night\nDrive\r\nTwo") + QChar(0x2028) + QStringLiteral("Final");
    const AudioProject tape = projectIn(name, environment.scratch() + QStringLiteral("/nowhere"));
    open({tape});
    const QString line = QStringLiteral("Night Drive  Two Final");
    EXPECT_EQ(archive({tape.id}, {true, true}),
              QStringList{QStringLiteral("「") + line + QStringLiteral("」移动文件夹失败：文件或文件夹不存在")});
    ASSERT_EQ(entries(month), QStringList{line + QStringLiteral(" 归档.md")});
    const QString summary = QString::fromUtf8(readFile(month + QLatin1Char('/') + line + QStringLiteral(" 归档.md")));
    EXPECT_TRUE(summary.startsWith(QStringLiteral("# ") + line + QStringLiteral("\n\n- 类型：")))
        << summary.toStdString();
    EXPECT_EQ(stored(tape).name, name) << "the stored name keeps its breaks";
}

TEST_F(Archiving, AFolderCannotBeMovedIntoItself) {
    const QString folder = makeFolder(QStringLiteral("Tape"));
    archiveTo(folder + QStringLiteral("/Archive"));
    const AudioProject tape = projectIn(QStringLiteral("Tape"), folder);
    open({tape});
    const QStringList errors = archive({tape.id}, {true, false});
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors.first().startsWith(QStringLiteral("「Tape」移动文件夹失败：")));
    EXPECT_EQ(stored(tape).folderPath, folder);
    EXPECT_TRUE(QFileInfo::exists(folder + QStringLiteral("/take.wav")));
}

TEST_F(Archiving, NameWithSlashOrNulStaysInsideTheMonthFolder) {
    const QString month = archiveTo(environment.scratch() + QStringLiteral("/Archive"));
    QString name = QStringLiteral("../AC/DC");
    name.append(QChar(u'\0'));
    const AudioProject odd = projectIn(name, std::nullopt);
    open({odd});
    EXPECT_EQ(archive({odd.id}, {false, true}), QStringList());
    EXPECT_EQ(entries(month), QStringList{QStringLiteral(".._AC_DC_ 归档.md")});
    EXPECT_EQ(entries(environment.scratch()), QStringList{QStringLiteral("Archive")});
}

TEST_F(Archiving, NamesLongerThanAFileNameMayBeAreShortenedAndStayApart) {
    const QString month = archiveTo(environment.scratch() + QStringLiteral("/Archive"));
    // 150 characters of Chinese, Latin and an emoji: over 255 bytes once " 归档.md" follows.
    const QString phrase = QStringLiteral("远山的回声交响诗 Echoes 🎻 第一乐章慢板与快板的对话，森林里的风声 ");
    const QString longName = phrase.repeated(5).left(150);
    ASSERT_GT(longName.toUtf8().size(), 300);
    QList<AudioProject> tapes;
    QSet<QUuid> ids;
    for (const QString& name : {QStringLiteral("片头曲"), QStringLiteral("Rain"), longName, QStringLiteral("Chase"),
                                QStringLiteral("尾声"), QStringLiteral("Spot")}) {
        tapes << projectIn(name, std::nullopt);
        ids << tapes.last().id;
    }
    open(tapes);

    EXPECT_EQ(archive(ids, {false, true}), QStringList());
    EXPECT_EQ(archive({tapes[2].id}, {false, true}), QStringList()) << "archived again: the next free name";
    QStringList longSummaries;
    for (const QString& entry : entries(month)) {
        EXPECT_LE(QFile::encodeName(entry).size(), 255) << entry.toStdString();
        if (entry.startsWith(longName.left(20)))
            longSummaries << entry;
    }
    ASSERT_EQ(longSummaries.size(), 2) << entries(month).join(QLatin1Char('\n')).toStdString();
    const auto endingIn = [&](const QString& ending) {
        const auto found = std::find_if(longSummaries.cbegin(), longSummaries.cend(),
                                        [&](const QString& entry) { return entry.endsWith(ending); });
        return found == longSummaries.cend() ? QString() : *found;
    };
    const QString first = endingIn(QStringLiteral(" 归档.md"));
    const QString second = endingIn(QStringLiteral(" 归档 2.md"));
    ASSERT_FALSE(first.isEmpty());
    ASSERT_FALSE(second.isEmpty());
    // As much of the name as fits, cut where a character ends (none here takes more than 4 bytes).
    EXPECT_TRUE(longName.startsWith(first.chopped(QStringLiteral(" 归档.md").size())));
    EXPECT_TRUE(longName.startsWith(second.chopped(QStringLiteral(" 归档 2.md").size())));
    EXPECT_GE(QFile::encodeName(first).size(), 255 - 3);
    EXPECT_GE(QFile::encodeName(second).size(), 255 - 3);
    EXPECT_EQ(QString::fromUtf8(readFile(month + QLatin1Char('/') + first)).section(QLatin1Char('\n'), 0, 0),
              QStringLiteral("# ") + longName);
    EXPECT_EQ(QString::fromUtf8(readFile(month + QLatin1Char('/') + second)).section(QLatin1Char('\n'), 0, 0),
              QStringLiteral("# ") + longName);
}

TEST_F(Archiving, AFolderWhoseNameIsAsLongAsAllowedStillFindsAFreeName) {
    const QString month = archiveTo(environment.scratch() + QStringLiteral("/Archive"));
    const QString name = QString(85, QChar(u'声')); // 255 bytes
    QDir().mkpath(month + QLatin1Char('/') + name);
    const AudioProject tape = projectIn(QStringLiteral("Tape"), makeFolder(QStringLiteral("a/") + name));
    open({tape});
    EXPECT_EQ(archive({tape.id}, {true, false}), QStringList());
    EXPECT_EQ(stored(tape).folderPath, month + QLatin1Char('/') + name.left(84) + QStringLiteral(" 2"));
    EXPECT_EQ(readFile(*stored(tape).folderPath + QStringLiteral("/take.wav")).size(), 1000);
}

TEST_F(Archiving, EmptyOrRelativeFolderPathCountsAsNoFolder) {
    const AudioProject relative = projectIn(QStringLiteral("Relative"), QStringLiteral("Tape"));
    const AudioProject empty = projectIn(QStringLiteral("Empty"), QString());
    open({relative, empty});
    const QString cwd = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(environment.scratch()));
    QDir().mkpath(QStringLiteral("Tape"));
    EXPECT_EQ(archive({relative.id, empty.id}, {true, true}), QStringList());
    EXPECT_TRUE(entries(environment.scratch() + QStringLiteral("/Tape")).isEmpty());
    EXPECT_EQ(entries(environment.scratch()), QStringList{QStringLiteral("Tape")});

    const QString month = archiveTo(environment.scratch() + QStringLiteral("/Archive"));
    EXPECT_EQ(archive({relative.id}, {true, true}), QStringList());
    EXPECT_EQ(stored(relative).folderPath, QStringLiteral("Tape"));
    EXPECT_TRUE(QFileInfo::exists(environment.scratch() + QStringLiteral("/Tape")));
    EXPECT_EQ(entries(month), QStringList{QStringLiteral("Relative 归档.md")});
    QDir::setCurrent(cwd);
}

TEST_F(Archiving, MoveAcrossFileSystemsCopiesChecksAndThenRemoves) {
    QTemporaryDir elsewhere(QStringLiteral("/dev/shm/sorvel-test-XXXXXX"));
    struct stat here {
    }, there{};
    if (!elsewhere.isValid() || ::stat(QFile::encodeName(environment.scratch()).constData(), &here) != 0
        || ::stat(QFile::encodeName(elsewhere.path()).constData(), &there) != 0 || here.st_dev == there.st_dev)
        GTEST_SKIP() << "needs a second file system at /dev/shm";

    const QString source = elsewhere.path() + QStringLiteral("/Tape");
    writeFile(source + QStringLiteral("/take.wav"), QByteArray(200000, 'a'));
    writeFile(source + QStringLiteral("/stems/.hidden"), "h");
    QDir().mkpath(source + QStringLiteral("/empty"));
    ASSERT_TRUE(QFile::link(QStringLiteral("take.wav"), source + QStringLiteral("/latest")));
    const QString month = archiveTo(environment.scratch() + QStringLiteral("/Archive"));
    QDir().mkpath(month + QStringLiteral("/Tape"));
    const AudioProject tape = projectIn(QStringLiteral("Tape"), source);
    open({tape});

    EXPECT_EQ(archive({tape.id}, {true, false}), QStringList());
    const QString moved = month + QStringLiteral("/Tape 2");
    EXPECT_EQ(stored(tape).folderPath, moved);
    EXPECT_FALSE(QFileInfo::exists(source));
    EXPECT_EQ(readFile(moved + QStringLiteral("/take.wav")), QByteArray(200000, 'a'));
    EXPECT_EQ(readFile(moved + QStringLiteral("/stems/.hidden")), QByteArray("h"));
    EXPECT_TRUE(QFileInfo(moved + QStringLiteral("/empty")).isDir());
    EXPECT_EQ(QFileInfo(moved + QStringLiteral("/latest")).symLinkTarget(), moved + QStringLiteral("/take.wav"));
}

TEST_F(Archiving, TreeCopyRefusesAnExistingTargetAndTheCheckSeesSizes) {
    const QString source = makeFolder(QStringLiteral("Tape"));
    const QString taken = environment.scratch() + QStringLiteral("/Taken");
    writeFile(taken + QStringLiteral("/keep.txt"), "keep");
    EXPECT_EQ(FolderMover::copyTree(source, taken), EEXIST);
    EXPECT_EQ(entries(taken), QStringList{QStringLiteral("keep.txt")});

    const QString copy = environment.scratch() + QStringLiteral("/Copy");
    ASSERT_EQ(FolderMover::copyTree(source, copy), 0);
    EXPECT_TRUE(FolderMover::sameTree(source, copy));
    writeFile(copy + QStringLiteral("/take.wav"), QByteArray(999, 'w'));
    EXPECT_FALSE(FolderMover::sameTree(source, copy));
    writeFile(copy + QStringLiteral("/take.wav"), QByteArray(1000, 'w'));
    writeFile(copy + QStringLiteral("/extra"), "");
    EXPECT_FALSE(FolderMover::sameTree(source, copy));
}

TEST(FreeNameRules, SuffixGoesBeforeTheExtension) {
    TestEnvironment environment;
    const QString folder = environment.scratch();
    EXPECT_EQ(FreeName::path(folder + QStringLiteral("/Tape")), folder + QStringLiteral("/Tape"));
    QDir().mkpath(folder + QStringLiteral("/Tape"));
    QDir().mkpath(folder + QStringLiteral("/Tape 2"));
    EXPECT_EQ(FreeName::path(folder + QStringLiteral("/Tape")), folder + QStringLiteral("/Tape 3"));
    writeFile(folder + QStringLiteral("/Mix 归档.md"), "");
    EXPECT_EQ(FreeName::path(folder + QStringLiteral("/Mix 归档.md")), folder + QStringLiteral("/Mix 归档 2.md"));
    writeFile(folder + QStringLiteral("/.hidden"), "");
    EXPECT_EQ(FreeName::path(folder + QStringLiteral("/.hidden")), folder + QStringLiteral("/.hidden 2"));
    ASSERT_TRUE(QFile::link(folder + QStringLiteral("/nowhere"), folder + QStringLiteral("/Dangling")));
    EXPECT_EQ(FreeName::path(folder + QStringLiteral("/Dangling")), folder + QStringLiteral("/Dangling 2"));
}

TEST(FreeNameRules, ACutEndsWhereACharacterEnds) {
    const QString violin = QStringLiteral("🎻"); // a surrogate pair, 4 bytes
    const QString family = QStringLiteral("👨\u200D👩\u200D👧"); // joined into one, 18 bytes
    const QString flag = QStringLiteral("🇨🇳"); // two regional indicators, 8 bytes
    const QString accented = QStringLiteral("e\u0301"); // e with a combining acute, 3 bytes
    const QString text = QStringLiteral("ab") + violin + family + flag + accented + QStringLiteral("中");
    EXPECT_EQ(FreeName::startWithin(text, 1000), text);
    EXPECT_EQ(FreeName::startWithin(text, 2), QStringLiteral("ab"));
    for (int bytes = 3; bytes < 6; ++bytes)
        EXPECT_EQ(FreeName::startWithin(text, bytes), QStringLiteral("ab")) << bytes;
    EXPECT_EQ(FreeName::startWithin(text, 6), QStringLiteral("ab") + violin);
    for (int bytes = 7; bytes < 24; ++bytes)
        EXPECT_EQ(FreeName::startWithin(text, bytes), QStringLiteral("ab") + violin) << bytes;
    EXPECT_EQ(FreeName::startWithin(text, 24), QStringLiteral("ab") + violin + family);
    EXPECT_EQ(FreeName::startWithin(text, 31), QStringLiteral("ab") + violin + family);
    EXPECT_EQ(FreeName::startWithin(text, 33), QStringLiteral("ab") + violin + family + flag);
    EXPECT_EQ(FreeName::startWithin(text, 34), QStringLiteral("ab") + violin + family + flag);
    EXPECT_EQ(FreeName::startWithin(text, 35), QStringLiteral("ab") + violin + family + flag + accented);
    EXPECT_EQ(FreeName::startWithin(text, 0), QString());

    // Flags side by side pair from the first indicator on.
    const QString flags = flag + QStringLiteral("🇯🇵🇫🇷");
    EXPECT_EQ(FreeName::startWithin(flags, 12), flag);
    EXPECT_EQ(FreeName::startWithin(flags, 20), flag + QStringLiteral("🇯🇵"));
    EXPECT_EQ(FreeName::startWithin(QStringLiteral("a") + flags, 13), QStringLiteral("a") + flag);
}

TEST(FreeNameRules, EveryTryFitsAFileNameAndKeepsTheMark) {
    TestEnvironment environment;
    const QString folder = environment.scratch();
    const FreeName::Name summary{QString(100, QChar(u'远')), QStringLiteral(" 归档"), QStringLiteral(".md")};
    const QString first = FreeName::path(folder, summary);
    const QString kept = QString(81, QChar(u'远')); // 243 + 7 bytes of " 归档" and 3 of ".md"
    EXPECT_EQ(first, folder + QLatin1Char('/') + kept + QStringLiteral(" 归档.md"));
    for (int n = 2; n <= 9; ++n) {
        writeFile(FreeName::path(folder, summary), "");
        EXPECT_EQ(FreeName::path(folder, summary),
                  folder + QLatin1Char('/') + kept + QStringLiteral(" 归档 ") + QString::number(n)
                      + QStringLiteral(".md"));
    }
    // A number of two digits leaves room for one character less.
    writeFile(FreeName::path(folder, summary), "");
    EXPECT_EQ(FreeName::path(folder, summary),
              folder + QLatin1Char('/') + QString(80, QChar(u'远')) + QStringLiteral(" 归档 10.md"));
}

} // namespace
} // namespace sorvel::test
