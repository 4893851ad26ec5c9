#pragma once

#include <QFont>
#include <QRectF>
#include <QString>

#include <array>

namespace sorvel {

// The ten columns shared by the cue table's header and its rows, so titles
// stand over their cells: drag handle, number, title (all remaining width),
// duration, stage, version, start, mix and delivery dates, delete button.
// Every column but the title's has one width for good: that of the widest
// value its cell can show (a date of another year, the longest stage name,
// nine hours) or of its header, whichever is wider. The columns stand still
// while the cues change, and the titles take what they leave.
struct CueColumns {
    enum Column { Handle, Number, Title, Duration, Stage, Version, Start, Mixed, Delivered, Delete };

    static constexpr int count = 10;
    using Widths = std::array<qreal, count>;
    static constexpr qreal spacing = 6;
    static constexpr qreal horizontalInset = 8;
    static constexpr qreal minimumTitleWidth = 40;

    // The header text of a column; empty for the handle and delete columns.
    static QString title(Column column);
    static QFont headerFont();
    // The widths of the columns; the title's is what remains.
    static const Widths& widths();
    // The horizontal frames of the cells within a row or header rectangle.
    static std::array<QRectF, count> frames(const QRectF& row);
    // The narrowest row in which the title keeps its minimum width.
    static qreal minimumWidth();
};

} // namespace sorvel
