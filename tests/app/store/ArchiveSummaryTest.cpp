#include "app/store/ArchiveSummary.h"

#include <gtest/gtest.h>

namespace sorvel::test {
namespace {

using ArchiveSummary::DatePrecision;

QDateTime at(int day, int hour, int minute) {
    return QDateTime(QDate(2025, 3, day), QTime(hour, minute), Qt::UTC);
}
QString withTime(const QDateTime& date) {
    return ArchiveSummary::dateText(date, DatePrecision::DateAndTime);
}
QString dateOnly(const QDateTime& date) {
    return ArchiveSummary::dateText(date, DatePrecision::DateOnly);
}

class ArchiveSummaryText : public ::testing::Test {
protected:
    // The summary names the type the store resolved for the project.
    static QString markdown(const AudioProject& project) {
        return ArchiveSummary::markdown(project, ProjectType::find(ProjectType::defaults(), project.typeID));
    }
};

TEST(ArchiveSummaryDate, DatesAreNumericWithAShortTimeInEveryLocale) {
    // Noon local time, so the day is the same in every time zone.
    const QDateTime noon(QDate(2026, 10, 29), QTime(12, 5, 42), Qt::LocalTime);
    const QLocale c = QLocale::c();
    EXPECT_EQ(ArchiveSummary::dateText(noon, DatePrecision::DateAndTime, c), QStringLiteral("2026-10-29 12:05"));
    EXPECT_EQ(ArchiveSummary::dateText(noon, DatePrecision::DateOnly, c), QStringLiteral("2026-10-29"));
    const QLocale chinese(QLocale::Chinese, QLocale::China);
    const QString text = ArchiveSummary::dateText(noon, DatePrecision::DateAndTime, chinese);
    EXPECT_TRUE(text.startsWith(QStringLiteral("2026/10/29"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("12:05"))) << text.toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral("42"))) << text.toStdString();
}

TEST_F(ArchiveSummaryText, FullProjectGivesTheExactMarkdown) {
    AudioProject project;
    project.id = QUuid::createUuid();
    project.name = QStringLiteral("Night Drive");
    project.typeID = ProjectType::sfxID;
    project.status = ProjectStatus::Done;
    project.createdAt = at(1, 9, 5);
    project.updatedAt = at(20, 18, 0);
    project.completedAt = at(20, 17, 30);
    project.deadline = at(22, 0, 0);
    project.folderPath = QStringLiteral("/music/Night Drive");
    project.notes = QStringLiteral("第一行\n第二行");

    Cue delivered;
    delivered.id = QUuid::createUuid();
    delivered.number = QStringLiteral("1M1");
    delivered.title = QStringLiteral("Opening");
    delivered.duration = 75;
    delivered.stage = CueStage::Delivered;
    delivered.versions = {CueVersion{QUuid::createUuid(), 2, at(10, 10, 0), QStringLiteral("tempo")}};
    delivered.startDate = at(2, 10, 0);
    delivered.mixedAt = at(12, 10, 0);
    delivered.deliveredAt = at(15, 10, 0);
    Cue fresh;
    fresh.id = QUuid::createUuid();
    fresh.number = QStringLiteral("1M2");
    fresh.title = QStringLiteral("Chase | alt");
    project.items = {delivered, fresh};

    project.log = {
        LogEntry{QUuid::createUuid(), at(20, 18, 0), QStringLiteral("归档"), 1.0},
        LogEntry{QUuid::createUuid(), at(20, 17, 30), QStringLiteral("完成"), 1.0},
        LogEntry{QUuid::createUuid(), at(3, 8, 0), QStringLiteral("开工"), 0.25},
    };

    const QString expected = QStringLiteral("# Night Drive\n"
                                            "\n"
                                            "- 类型：音效\n"
                                            "- 创建：")
        + withTime(at(1, 9, 5))
        + QStringLiteral("\n"
                         "- 完成：")
        + withTime(at(20, 17, 30))
        + QStringLiteral("\n"
                         "- 截止：")
        + dateOnly(at(22, 0, 0))
        + QStringLiteral("\n"
                         "- 工程文件夹：/music/Night Drive\n"
                         "\n"
                         "## Cue（交付 1/2 · 录混 1/2 · 1′15″）\n"
                         "\n"
                         "| 编号 | 名称 | 时长 | 阶段 | 版本 | 开始 | 录混 | 交付 |\n"
                         "|---|---|---|---|---|---|---|---|\n"
                         "| 1M1 | Opening | 01:15 | 已交付 | v2 | ")
        + dateOnly(at(2, 10, 0)) + QStringLiteral(" | ") + dateOnly(at(12, 10, 0)) + QStringLiteral(" | ")
        + dateOnly(at(15, 10, 0))
        + QStringLiteral(" |\n"
                         "| 1M2 | Chase | alt |  | 未开始 | v1 |  |  |  |\n"
                         "\n"
                         "## 备注\n"
                         "\n"
                         "第一行\n"
                         "第二行\n"
                         "\n"
                         "## 进度记录\n"
                         "\n"
                         "- ")
        + withTime(at(3, 8, 0))
        + QStringLiteral("  开工（25%）\n"
                         "- ")
        + withTime(at(20, 17, 30))
        + QStringLiteral("  完成（100%）\n"
                         "- ")
        + withTime(at(20, 18, 0)) + QStringLiteral("  归档（100%）\n");
    EXPECT_EQ(markdown(project).toStdString(), expected.toStdString());
}

TEST_F(ArchiveSummaryText, BareProjectHasOnlyTheAlwaysPresentParts) {
    AudioProject project = AudioProject::make(QStringLiteral("Bare"), QUuid::createUuid());
    project.folderPath = QString();
    const QString expected = QStringLiteral("# Bare\n\n- 类型：配乐\n- 创建：") + withTime(project.createdAt)
        + QStringLiteral("\n- 工程文件夹：\n\n## 进度记录\n\n");
    EXPECT_EQ(markdown(project), expected);
}

TEST_F(ArchiveSummaryText, ANameWithLineBreaksHeadsTheSummaryOnOneLine) {
    AudioProject project = AudioProject::make(QStringLiteral("Night\nDrive\tTwo"), QUuid::createUuid());
    EXPECT_TRUE(markdown(project).startsWith(QStringLiteral("# Night Drive Two\n\n- 类型：")));
    EXPECT_EQ(
        ArchiveSummary::fileName(QStringLiteral("Night\r\nDrive\vTwo") + QChar(0x85) + QStringLiteral("Three")).text(),
        QStringLiteral("Night  Drive Two Three 归档.md"));
}

TEST(ArchiveSummaryName, SlashAndNulCannotLeaveTheFolder) {
    EXPECT_EQ(ArchiveSummary::fileName(QStringLiteral("Mix")).text(), QStringLiteral("Mix 归档.md"));
    QString name = QStringLiteral("../AC/DC");
    name.append(QChar(u'\0')).append(QStringLiteral("x"));
    const QString file = ArchiveSummary::fileName(name).text();
    EXPECT_EQ(file, QStringLiteral(".._AC_DC_x 归档.md"));
    EXPECT_FALSE(file.contains(QLatin1Char('/')));
}

} // namespace
} // namespace sorvel::test
