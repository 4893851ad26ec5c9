#include "app/library/ProjectListColumns.h"

#include <algorithm>

namespace sorvel {

ProjectSort ProjectListColumns::sortAt(int column) {
    static constexpr std::array<ProjectSort, count> sorts{
        ProjectSort::Default,  ProjectSort::Name,     ProjectSort::Type,      ProjectSort::Status,
        ProjectSort::Progress, ProjectSort::Mixed,    ProjectSort::Delivered, ProjectSort::Duration,
        ProjectSort::Deadline, ProjectSort::Updated};
    return column >= 0 && column < count ? sorts[column] : ProjectSort::Default;
}

std::array<QRectF, ProjectListColumns::count> ProjectListColumns::frames(const QRectF& row) {
    qreal fixed = 0;
    for (const qreal width : fixedWidths)
        fixed += width;
    const qreal inner = row.width() - 2 * horizontalInset;
    const qreal nameWidth = std::max<qreal>(0, inner - fixed - spacing * (count - 1));
    std::array<QRectF, count> result;
    qreal x = row.left() + horizontalInset;
    for (int i = 0; i < count; ++i) {
        const qreal width = i == 1 ? nameWidth : fixedWidths[i];
        result[i] = QRectF(x, row.top(), width, row.height());
        x += width + spacing;
    }
    return result;
}

} // namespace sorvel
