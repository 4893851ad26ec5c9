#include "app/library/ProjectListColumns.h"

#include "studio/Shapes.h"

namespace sorvel {

ProjectSort ProjectListColumns::sortAt(int column) {
    static constexpr std::array<ProjectSort, count> sorts{
        ProjectSort::Default,  ProjectSort::Name,   ProjectSort::Type,      ProjectSort::Status,
        ProjectSort::Progress, ProjectSort::Mixed,  ProjectSort::Delivered, ProjectSort::Duration,
        ProjectSort::Deadline, ProjectSort::Updated};
    return column >= 0 && column < count ? sorts[column] : ProjectSort::Default;
}

std::array<QRectF, ProjectListColumns::count> ProjectListColumns::frames(const QRectF& row) {
    return Shapes::columnFrames(row, fixedWidths, 1, spacing, horizontalInset);
}

} // namespace sorvel
