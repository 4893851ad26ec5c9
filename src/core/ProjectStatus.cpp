#include "core/ProjectStatus.h"

#include "core/EnumText.h"

namespace sorvel {

const QList<ProjectStatus>& allProjectStatuses() {
    static const QList<ProjectStatus> all{ProjectStatus::NotStarted, ProjectStatus::InProgress,
                                          ProjectStatus::Review, ProjectStatus::Done};
    return all;
}

QString storedText(ProjectStatus status) {
    switch (status) {
    case ProjectStatus::NotStarted: return QStringLiteral("notStarted");
    case ProjectStatus::InProgress: return QStringLiteral("inProgress");
    case ProjectStatus::Review: return QStringLiteral("review");
    case ProjectStatus::Done: return QStringLiteral("done");
    }
    return {};
}

QString title(ProjectStatus status) {
    switch (status) {
    case ProjectStatus::NotStarted: return QStringLiteral("未开始");
    case ProjectStatus::InProgress: return QStringLiteral("进行中");
    case ProjectStatus::Review: return QStringLiteral("待审");
    case ProjectStatus::Done: return QStringLiteral("已完成");
    }
    return {};
}

std::optional<ProjectStatus> projectStatusFromText(const QString& text) {
    return caseFromStoredText(allProjectStatuses(), text);
}

const QList<ProgressMode>& allProgressModes() {
    static const QList<ProgressMode> all{ProgressMode::Auto, ProgressMode::Manual};
    return all;
}

QString storedText(ProgressMode mode) {
    switch (mode) {
    case ProgressMode::Auto: return QStringLiteral("auto");
    case ProgressMode::Manual: return QStringLiteral("manual");
    }
    return {};
}

QString title(ProgressMode mode) {
    switch (mode) {
    case ProgressMode::Auto: return QStringLiteral("按条目");
    case ProgressMode::Manual: return QStringLiteral("手动");
    }
    return {};
}

std::optional<ProgressMode> progressModeFromText(const QString& text) {
    return caseFromStoredText(allProgressModes(), text);
}

} // namespace sorvel
