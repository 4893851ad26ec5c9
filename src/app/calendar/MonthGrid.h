#pragma once

#include "app/calendar/CalendarEvent.h"
#include "app/calendar/CalendarMonth.h"
#include "app/calendar/DayCell.h"

#include <QDate>
#include <QList>
#include <QWidget>

namespace sorvel {

// The whole weeks of one month as day cells, seven flexible columns. Rows share the
// height but never shrink below the minimum; the grid then runs past its area.
class MonthGrid final : public QWidget {
    Q_OBJECT
public:
    static constexpr int minimumWidth = 7 * DayCell::minimumWidth + 6 * CalendarMonth::columnSpacing;

    explicit MonthGrid(QWidget* parent = nullptr);

    void showMonth(const QDate& month, const QDate& selectedDay, const QDate& today, const CalendarEvent::Days& events);

    const QList<DayCell*>& cells() const { return m_cells; }
    DayCell* cell(const QDate& day) const;
    int rowCount() const { return int(m_cells.size()) / 7; }

Q_SIGNALS:
    void dayClicked(const QDate& day);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void layoutCells();

    QList<DayCell*> m_cells;
};

} // namespace sorvel
