#pragma once

#include "app/calendar/CalendarEvent.h"

#include <QDate>
#include <QList>
#include <QWidget>

class QLabel;
class QVBoxLayout;

namespace sorvel {

class EventRow;

// The right-hand column of the calendar: the selected day's entries, one section per kind.
class DayPanel final : public QWidget {
    Q_OBJECT
public:
    static constexpr int panelWidth = 260;

    explicit DayPanel(QWidget* parent = nullptr);

    void setDay(const QDate& day, const QList<CalendarEvent>& events);

    QString headingText() const;
    QString countText() const;
    // The kinds that have a section, top to bottom.
    QList<CalendarEvent::Kind> sectionKinds() const;
    // The rows of one section, top to bottom.
    QList<EventRow*> rows(CalendarEvent::Kind kind) const;

Q_SIGNALS:
    void projectActivated(const QUuid& projectID);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void clearSections();

    QLabel* m_heading = nullptr;
    QLabel* m_count = nullptr;
    QWidget* m_sections = nullptr;
    QVBoxLayout* m_sectionsLayout = nullptr;
    QList<QPair<CalendarEvent::Kind, QList<EventRow*>>> m_rows;
    QDate m_day;
    QList<CalendarEvent> m_events;
};

} // namespace sorvel
