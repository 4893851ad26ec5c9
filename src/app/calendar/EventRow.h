#pragma once

#include "app/calendar/CalendarEvent.h"

#include <QAbstractButton>

namespace sorvel {

// One entry of the day panel: a colour bar, the project name and, for a cue, its label.
// The whole rounded rectangle takes the click.
class EventRow final : public QAbstractButton {
    Q_OBJECT
public:
    explicit EventRow(const CalendarEvent& event, QWidget* parent = nullptr);

    const CalendarEvent& calendarEvent() const { return m_event; }
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

Q_SIGNALS:
    void activated(const QUuid& projectID);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    CalendarEvent m_event;
};

} // namespace sorvel
