#include "app/library/ProjectListColumns.h"

#include "app/library/ProjectListRow.h"

#include <algorithm>

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

namespace {

// The width the shown columns take, the name at its narrowest.
qreal neededWidth(const std::array<bool, ProjectListColumns::count>& shown) {
    qreal needed = 2 * ProjectListColumns::horizontalInset - ProjectListColumns::spacing;
    for (std::size_t i = 0; i < ProjectListColumns::count; ++i) {
        if (shown[i])
            needed += ProjectListColumns::spacing
                + (i == ProjectListColumns::flexible ? ProjectListColumns::narrowestName
                                                     : ProjectListColumns::all()[i].width);
    }
    return needed;
}

} // namespace

std::array<bool, ProjectListColumns::count> ProjectListColumns::shown(qreal rowWidth) {
    std::array<bool, count> result;
    result.fill(true);
    for (const std::size_t going : givingWay) {
        if (neededWidth(result) <= rowWidth)
            break;
        result[going] = false;
    }
    return result;
}

qreal ProjectListColumns::narrowestRow() {
    std::array<bool, count> staying;
    staying.fill(true);
    for (const std::size_t going : givingWay)
        staying[going] = false;
    return neededWidth(staying);
}

std::array<QRectF, ProjectListColumns::count> ProjectListColumns::frames(const QRectF& row) {
    const std::array<bool, count> visible = shown(row.width());
    qreal fixed = -spacing;
    for (std::size_t i = 0; i < count; ++i) {
        if (visible[i])
            fixed += spacing + (i == flexible ? 0 : all()[i].width);
    }
    const qreal nameWidth = std::max<qreal>(0, row.width() - 2 * horizontalInset - fixed);
    std::array<QRectF, count> result;
    qreal x = row.left() + horizontalInset;
    for (std::size_t i = 0; i < count; ++i) {
        if (!visible[i])
            continue;
        const qreal width = i == flexible ? nameWidth : all()[i].width;
        result[i] = QRectF(x, row.top(), width, row.height());
        x += width + spacing;
    }
    return result;
}

} // namespace sorvel
