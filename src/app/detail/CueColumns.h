#pragma once

#include <QRectF>
#include <QString>

#include <array>

namespace sorvel {

// The ten columns shared by the cue table's header and its rows, so titles
// stand over their cells: drag handle, number, title (all remaining width),
// duration, stage, version, start, mix and delivery dates, delete button.
struct CueColumns {
    enum Column { Handle, Number, Title, Duration, Stage, Version, Start, Mixed, Delivered, Delete };

    static constexpr int count = 10;
    static constexpr qreal spacing = 6;
    static constexpr qreal horizontalInset = 8;
    static constexpr std::array<qreal, count> fixedWidths{10, 46, 0, 62, 78, 34, 60, 60, 60, 16};
    static constexpr qreal minimumTitleWidth = 40;

    // The header text of a column; empty for the handle and delete columns.
    static QString title(Column column);
    // The horizontal frames of the cells within a row or header rectangle.
    static std::array<QRectF, count> frames(const QRectF& row);
    // The narrowest row in which the title keeps its minimum width.
    static qreal minimumWidth();
};

} // namespace sorvel
