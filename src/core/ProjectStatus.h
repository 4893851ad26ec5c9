#pragma once

#include <QList>
#include <QString>

#include <optional>

namespace sorvel {

// Workflow status of a project, in display order.
enum class ProjectStatus { NotStarted, InProgress, Review, Done };

// Where a project's progress comes from: its delivered cues, or a hand-set value.
enum class ProgressMode { Auto, Manual };

const QList<ProjectStatus>& allProjectStatuses();
QString storedText(ProjectStatus status); // "notStarted", "inProgress", "review", "done"
QString title(ProjectStatus status); // "未开始", "进行中", "待审", "已完成"
std::optional<ProjectStatus> projectStatusFromText(const QString& text);

const QList<ProgressMode>& allProgressModes();
QString storedText(ProgressMode mode); // "auto", "manual"
QString title(ProgressMode mode); // "按条目", "手动"
std::optional<ProgressMode> progressModeFromText(const QString& text);

} // namespace sorvel
