#include "app/library/ProjectListColumns.h"

#include "app/library/ProjectListRow.h"
#include "studio/Shapes.h"

namespace sorvel {

const std::array<ProjectListColumn, ProjectListColumns::count>& ProjectListColumns::all() {
    static const std::array<ProjectListColumn, count> columns{{
        {QString(), 16, ProjectSort::Default, &ProjectListRow::paintChevron},
        {QStringLiteral("名称"), 0, ProjectSort::Name, &ProjectListRow::paintName},
        {QStringLiteral("类型"), 88, ProjectSort::Type, &ProjectListRow::paintType},
        {QStringLiteral("状态"), 64, ProjectSort::Status, &ProjectListRow::paintStatus},
        {QStringLiteral("进度"), 132, ProjectSort::Progress, &ProjectListRow::paintProgress},
        {QStringLiteral("录混"), 56, ProjectSort::Mixed, &ProjectListRow::paintMixed},
        {QStringLiteral("交付"), 56, ProjectSort::Delivered, &ProjectListRow::paintDelivered},
        {QStringLiteral("总时长"), 76, ProjectSort::Duration, &ProjectListRow::paintDuration},
        {QStringLiteral("截止"), 64, ProjectSort::Deadline, &ProjectListRow::paintDeadline},
        {QStringLiteral("更新"), 64, ProjectSort::Updated, &ProjectListRow::paintUpdated},
    }};
    return columns;
}

std::array<QRectF, ProjectListColumns::count> ProjectListColumns::frames(const QRectF& row) {
    static const std::array<qreal, count> widths = [] {
        std::array<qreal, count> result{};
        for (std::size_t i = 0; i < count; ++i)
            result[i] = all()[i].width;
        return result;
    }();
    return Shapes::columnFrames(row, widths, flexible, spacing, horizontalInset);
}

} // namespace sorvel
