#include "app/store/ArchiveSummary.h"

#include "core/CueStage.h"
#include "core/CueTime.h"
#include "core/StudioText.h"
#include "core/UserText.h"

#include <QLocale>
#include <QRegularExpression>
#include <QStringList>

namespace sorvel::ArchiveSummary {

namespace {

QString optionalDate(const std::optional<QDateTime>& date) {
    return date ? dateText(*date, DatePrecision::DateOnly) : QString();
}

QString versionCell(const Cue& cue) {
    const qint64 number = cue.versions.isEmpty() ? 1 : cue.versions.last().number;
    return QLatin1Char('v') + QString::number(number);
}

QString cueRow(const Cue& cue) {
    const QStringList cells{
        cue.number,
        cue.title,
        cue.duration ? CueTime::format(*CueTime::length(cue.duration)) : QString(),
        title(cue.stage),
        versionCell(cue),
        optionalDate(cue.startDate),
        optionalDate(cue.mixedAt),
        optionalDate(cue.deliveredAt),
    };
    return QStringLiteral("| ") + cells.join(QStringLiteral(" | ")) + QStringLiteral(" |");
}

QString logLine(const LogEntry& entry) {
    return QStringLiteral("- ") + dateText(entry.date, DatePrecision::DateAndTime) + QStringLiteral("  ") + entry.text
        + QStringLiteral("（") + StudioText::percentText(entry.progress) + QStringLiteral("）");
}

} // namespace

QString dateText(const QDateTime& date, DatePrecision precision, const QLocale& locale) {
    const QDateTime local = date.toLocalTime();
    QString datePattern = locale.dateFormat(QLocale::ShortFormat);
    if (datePattern.contains(QLatin1String("MMM")))
        datePattern = QStringLiteral("yyyy-MM-dd");
    if (precision == DatePrecision::DateOnly)
        return locale.toString(local.date(), datePattern);
    QString timePattern = locale.timeFormat(QLocale::ShortFormat);
    static const QRegularExpression seconds(QStringLiteral("[:.]ss?"));
    timePattern.remove(seconds);
    return locale.toString(local, datePattern + QLatin1Char(' ') + timePattern);
}

QString markdown(const AudioProject& project, const ProjectType& kind) {
    QStringList lines{
        QStringLiteral("# ") + UserText::oneLine(project.name), // a break would end the heading
        QString(),
        QStringLiteral("- 类型：") + kind.title,
        QStringLiteral("- 创建：") + dateText(project.createdAt, DatePrecision::DateAndTime),
    };
    if (project.completedAt)
        lines << QStringLiteral("- 完成：") + dateText(*project.completedAt, DatePrecision::DateAndTime);
    if (project.deadline)
        lines << QStringLiteral("- 截止：") + dateText(*project.deadline, DatePrecision::DateOnly);
    if (project.folderPath)
        lines << QStringLiteral("- 工程文件夹：") + *project.folderPath;

    if (!project.items.isEmpty()) {
        lines << QString() << QStringLiteral("## Cue（") + project.cueSummary() + QStringLiteral("）") << QString()
              << QStringLiteral("| 编号 | 名称 | 时长 | 阶段 | 版本 | 开始 | 录混 | 交付 |")
              << QStringLiteral("|---|---|---|---|---|---|---|---|");
        for (const Cue& cue : project.items)
            lines << cueRow(cue);
    }
    if (!project.notes.isEmpty())
        lines << QString() << QStringLiteral("## 备注") << QString() << project.notes;

    lines << QString() << QStringLiteral("## 进度记录") << QString();
    for (auto entry = project.log.crbegin(); entry != project.log.crend(); ++entry)
        lines << logLine(*entry);
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

FreeName::Name fileName(const QString& projectName) {
    QString safe = UserText::oneLine(projectName);
    safe.replace(QLatin1Char('/'), QLatin1Char('_'));
    safe.replace(QChar(u'\0'), QLatin1Char('_'));
    return {safe, QStringLiteral(" 归档"), QStringLiteral(".md")};
}

} // namespace sorvel::ArchiveSummary
