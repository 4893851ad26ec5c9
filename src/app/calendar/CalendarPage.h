#pragma once

#include <QDate>
#include <QWidget>

class QAbstractButton;
class QLabel;

namespace sorvel {

class AppRouter;
class DayPanel;
class MonthGrid;
class ProjectStore;

// The library window's month calendar of deadlines and cue dates. It only reads
// projects; clicking an entry selects its project alone.
class CalendarPage final : public QWidget {
    Q_OBJECT
public:
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

    QString titleText() const;
    MonthGrid* grid() const { return m_grid; }
    DayPanel* dayPanel() const { return m_dayPanel; }

private:
    QWidget* makeHeader();
    QWidget* makeWeekdayHeader();
    // Collects the entries again and redraws grid and panel; nothing is cached between redraws.
    void refresh();

    ProjectStore& m_store;
    AppRouter& m_router;
    QDate m_month;
    QDate m_selectedDay;
    QLabel* m_title = nullptr;
    MonthGrid* m_grid = nullptr;
    DayPanel* m_dayPanel = nullptr;
};

} // namespace sorvel
