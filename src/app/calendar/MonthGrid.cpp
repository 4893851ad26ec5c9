#include "app/calendar/MonthGrid.h"

#include "app/calendar/CalendarMonth.h"
#include "app/calendar/DayCell.h"

#include <cmath>

namespace sorvel {

MonthGrid::MonthGrid(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setMinimumWidth(minimumWidth);
}

void MonthGrid::showMonth(const QDate& month, const QDate& selectedDay, const QDate& today,
                          const CalendarEvent::Days& events) {
    const QList<QDate> days = CalendarMonth::visibleDays(month);
    while (m_cells.size() < days.size()) {
        auto* cell = new DayCell(this);
        connect(cell, &DayCell::clicked, this, &MonthGrid::dayClicked);
        cell->show();
        m_cells << cell;
    }
    while (m_cells.size() > days.size())
        delete m_cells.takeLast();
    for (int i = 0; i < days.size(); ++i) {
        const QDate& day = days[i];
        m_cells[i]->setDay(day, CalendarMonth::sameMonth(day, month), day == today, day == selectedDay,
                           events.value(day));
    }
    layoutCells();
}

DayCell* MonthGrid::cell(const QDate& day) const {
    for (DayCell* cell : m_cells) {
        if (cell->day() == day)
            return cell;
    }
    return nullptr;
}

void MonthGrid::resizeEvent(QResizeEvent*) {
    layoutCells();
}

void MonthGrid::layoutCells() {
    const int rows = rowCount();
    if (rows == 0)
        return;
    const qreal spacing = CalendarMonth::columnSpacing;
    const qreal columnWidth = (width() - 6 * spacing) / 7;
    const qreal rowHeight = CalendarMonth::cellHeight(height(), rows);
    for (int i = 0; i < m_cells.size(); ++i) {
        const int row = i / 7;
        const int column = i % 7;
        // Edges are rounded from exact positions so the gaps stay even across the row.
        const int left = int(std::round(column * (columnWidth + spacing)));
        const int right = int(std::round(column * (columnWidth + spacing) + columnWidth));
        const int top = int(std::round(row * (rowHeight + CalendarMonth::rowSpacing)));
        const int bottom = int(std::round(row * (rowHeight + CalendarMonth::rowSpacing) + rowHeight));
        m_cells[i]->setGeometry(left, top, right - left, bottom - top);
    }
}

} // namespace sorvel
