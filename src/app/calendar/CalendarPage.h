#pragma once

#include "app/calendar/CalendarDays.h"
#include "app/calendar/MonthGrid.h"

#include <QDate>
#include <QWidget>

class QAbstractButton;
class QLabel;

namespace sorvel {

class AppRouter;
class DayPanel;
class ProjectStore;

// The library window's month calendar of deadlines and cue dates. It only reads
// projects; clicking an entry selects its project alone.
class CalendarPage final : public QWidget {
    Q_OBJECT
public:
    static constexpr int sideMargin = 24;
    // The narrowest page: the grid alone. Where the grid and the day panel do
    // not both fit (beside an open drawer), the panel steps aside.
    static constexpr int minimumWidth = MonthGrid::minimumWidth + 2 * sideMargin;
    static constexpr int dayPanelRuleWidth = 1;

    CalendarPage(ProjectStore& store, AppRouter& router, QWidget* parent = nullptr);

    // The first day of the displayed month, and the day whose entries the panel lists
    // (it may lie outside the displayed month).
    QDate month() const { return m_month; }
    QDate selectedDay() const { return m_selectedDay; }

    void showPreviousMonth();
    void showNextMonth();
    // Back to the current month, with today selected.
    void showToday();
    // Displays the month of `day` without touching the selection.
    void showMonth(const QDate& day);
    void selectDay(const QDate& day);
    // A day picked by the user: selected, and its entries brought into view.
    // Where the day panel has no room beside an open drawer, the drawer closes.
    void pickDay(const QDate& day);
    // Whether the day panel fits beside the month grid at this page width.
    static bool dayPanelFits(int pageWidth);

    QString titleText() const;
    MonthGrid* grid() const { return m_grid; }
    DayPanel* dayPanel() const { return m_dayPanel; }

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QWidget* makeHeader();
    QWidget* makeWeekdayHeader();
    // Closes the drawer where it leaves the day panel no room.
    void revealDayPanel();
    // The entries are collected afresh from every project (the types changed).
    void refresh();
    // Collects the entries of the shown days from every project when they are
    // not at hand, and redraws; a hidden page does nothing until it is shown.
    void collect();
    QList<CalendarDays::Span> shownSpans() const;
    // Collects again only what the store's last change touched.
    void projectsChanged();
    void redraw();

    ProjectStore& m_store;
    AppRouter& m_router;
    QDate m_month;
    QDate m_selectedDay;
    CalendarDays m_days;
    bool m_stale = true; // m_days does not match the store, the month or the selection
    QDate m_builtOn; // today, when m_days was collected: an overdue deadline turns red at midnight
    QLabel* m_title = nullptr;
    MonthGrid* m_grid = nullptr;
    DayPanel* m_dayPanel = nullptr;
    QWidget* m_dayPanelRule = nullptr;
};

} // namespace sorvel
