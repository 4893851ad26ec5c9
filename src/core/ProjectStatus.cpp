#include "core/ProjectStatus.h"

#include "core/EnumText.h"

namespace sorvel {

namespace {

constexpr EnumTable<ProjectStatus, 4> projectStatuses({{
    {ProjectStatus::NotStarted, u"notStarted", u"未开始"},
    {ProjectStatus::InProgress, u"inProgress", u"进行中"},
    {ProjectStatus::Review, u"review", u"待审"},
    {ProjectStatus::Done, u"done", u"已完成"},
}});

constexpr EnumTable<ProgressMode, 2> progressModes({{
    {ProgressMode::Auto, u"auto", u"按条目"},
    {ProgressMode::Manual, u"manual", u"手动"},
}});

} // namespace

const QList<ProjectStatus>& allProjectStatuses() {
    static const QList<ProjectStatus> all = projectStatuses.cases();
    return all;
}

QString storedText(ProjectStatus status) {
    return projectStatuses.storedText(status);
}

QString title(ProjectStatus status) {
    return projectStatuses.title(status);
}

std::optional<ProjectStatus> projectStatusFromText(const QString& text) {
    return projectStatuses.fromStoredText(text);
}

const QList<ProgressMode>& allProgressModes() {
    static const QList<ProgressMode> all = progressModes.cases();
    return all;
}

QString storedText(ProgressMode mode) {
    return progressModes.storedText(mode);
}

QString title(ProgressMode mode) {
    return progressModes.title(mode);
}

std::optional<ProgressMode> progressModeFromText(const QString& text) {
    return progressModes.fromStoredText(text);
}

} // namespace sorvel
