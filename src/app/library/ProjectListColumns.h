#pragma once

#include "app/library/ProjectSort.h"

#include <QRectF>
#include <QString>

#include <array>

class QPainter;

namespace sorvel {

struct ProjectListRow;

// One column of the project list: what the header shows over it, how wide it
// is, what a click on its title sorts by and how a row draws its cell.
struct ProjectListColumn {
    using Painter = void (ProjectListRow::*)(QPainter& painter, const QRectF& cell) const;

    QString title; // empty: no title to click (the chevron)
    qreal width = 0; // 0: all the width the others leave (the name)
    ProjectSort sort = ProjectSort::Default;
    Painter paint = nullptr;
};

// The columns shared by the list header and its rows, so titles stand over
// their cells: chevron, name, type, status, progress, mixed, delivered, total
// duration, deadline, modified.
struct ProjectListColumns {
    static constexpr std::size_t count = 10;
    static constexpr std::size_t flexible = 1; // the name takes the remaining width
    static constexpr qreal spacing = 8;
    static constexpr qreal horizontalInset = 10;
    static constexpr qreal minimumListWidth = 900;

    static const std::array<ProjectListColumn, count>& all();
    // The horizontal frames of the cells within a row or header rectangle.
    static std::array<QRectF, count> frames(const QRectF& row);
};

} // namespace sorvel
