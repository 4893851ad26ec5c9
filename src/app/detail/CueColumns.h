#pragma once

#include <QFont>
#include <QRectF>
#include <QString>

#include <array>

namespace sorvel {

// The ten columns shared by the cue table's header and its rows, so titles
// stand over their cells: drag handle, number, title (all remaining width),
// duration, stage, version, start, mix and delivery dates, delete button.
// The columns from duration to delivery are as wide as their header and their
// widest cell need, at most their full width, and the title takes what they
// leave: a narrow table keeps room for the titles.
struct CueColumns {
    enum Column { Handle, Number, Title, Duration, Stage, Version, Start, Mixed, Delivered, Delete };

    static constexpr int count = 10;
    using Widths = std::array<qreal, count>;
    static constexpr qreal spacing = 6;
    static constexpr qreal horizontalInset = 8;
    // The full widths; the title's is what remains.
    static constexpr Widths fixedWidths{10, 46, 0, 62, 78, 34, 60, 60, 60, 16};
    static constexpr qreal minimumTitleWidth = 40;

    // The header text of a column; empty for the handle and delete columns.
    static QString title(Column column);
    static QFont headerFont();
    // The widths of the columns whose cells need at most `needed` (per
    // column, the widest cell); the header's text always fits.
    static Widths fitted(const Widths& needed);
    // The horizontal frames of the cells within a row or header rectangle.
    static std::array<QRectF, count> frames(const QRectF& row, const Widths& widths = fixedWidths);
    // The narrowest row in which the title keeps its minimum width.
    static qreal minimumWidth();
};

} // namespace sorvel
