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
// duration, deadline, modified. In a narrow list the name keeps room for a
// readable part of itself, and columns give way for it, the least needed
// first (modified, mixed, total duration, delivered, deadline, type); the
// chevron, name, status and progress always stay.
struct ProjectListColumns {
    static constexpr std::size_t count = 10;
    static constexpr std::size_t flexible = 1; // the name takes the remaining width
    static constexpr qreal spacing = 8;
    static constexpr qreal horizontalInset = 10;
    static constexpr qreal narrowestName = 140;
    // The columns that give way, in the order they go.
    static constexpr std::array<std::size_t, 6> givingWay{9, 5, 7, 6, 8, 2};

    static const std::array<ProjectListColumn, count>& all();
    // Which columns a row or header this wide shows.
    static std::array<bool, count> shown(qreal rowWidth);
    // The narrowest a row can be: the columns that always stay, the name at its narrowest.
    static qreal narrowestRow();
    // The horizontal frames of the cells within a row or header rectangle;
    // a column that gave way has an empty frame.
    static std::array<QRectF, count> frames(const QRectF& row);
};

} // namespace sorvel
