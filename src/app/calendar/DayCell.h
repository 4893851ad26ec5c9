#pragma once

#include "app/calendar/CalendarEvent.h"

#include <QDate>
#include <QFont>
#include <QList>
#include <QRectF>
#include <QWidget>

namespace sorvel {

// What one day cell shows of its entries: each entry exactly once, as one of the
// first two deadline chips, within the overflow number, or counted in a dot.
struct DayCellContent {
    struct Dot {
        CalendarEvent::Kind kind;
        int count = 0;
        bool operator==(const Dot&) const = default;
    };

    QList<CalendarEvent> chips; // the first two deadlines
    int moreDeadlines = 0; // deadlines beyond the chips
    QList<Dot> dots; // started, mixed, delivered; kinds without entries left out

    bool operator==(const DayCellContent&) const = default;

    static DayCellContent of(const QList<CalendarEvent>& events);
    // "还有 3 个截止" for the deadlines not shown as chips, empty for none;
    // "3 个截止" when no chip stands above to be "more" than.
    static QString overflowText(int hiddenDeadlines, bool belowChips = true);
    // "+3": the same count where the whole line has no room.
    static QString shortOverflowText(int hiddenDeadlines);
    // "3 段交付"
    static QString dotToolTip(const Dot& dot);
};

// One day of the month grid. A click anywhere in it reports its day.
class DayCell final : public QWidget {
    Q_OBJECT
public:
    // Room for two dots with two-digit counts side by side; a third dot goes
    // to a line of its own above them, so every count stays whole.
    static constexpr int minimumWidth = 54;

    explicit DayCell(QWidget* parent = nullptr);

    void setDay(const QDate& day, bool inMonth, bool isToday, bool isSelected, const QList<CalendarEvent>& events);

    QDate day() const { return m_day; }
    bool inMonth() const { return m_inMonth; }
    bool isToday() const { return m_isToday; }
    bool isSelected() const { return m_isSelected; }
    const DayCellContent& content() const { return m_content; }
    // Where each dot of content().dots is drawn, in the same order: left to
    // right along the bottom, on as many lines as the cell's width needs.
    QList<QRectF> dotRects() const;

    // The deadlines as the cell's height allows them: the chips that fit between
    // the day number and the dots, and the overflow line counting the rest. When
    // a chip does not fit, the overflow line takes its place; when not even that
    // line fits below the number, it goes beside the number. Where the line's
    // words do not fit its width, it says only "+N", so the count stays whole.
    struct DeadlineLines {
        QList<QRectF> chips; // the first content().chips, one rect each
        QString overflowText; // empty when every deadline has its chip
        QRectF overflow;
    };
    DeadlineLines deadlineLines() const;
    QRectF numberRect() const;
    // The font of the overflow line.
    static QFont overflowFont();

Q_SIGNALS:
    void clicked(const QDate& day);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool event(QEvent* event) override;

private:
    QRectF contentRect() const;
    qreal dotWidth(const DayCellContent::Dot& dot) const;

    QDate m_day;
    bool m_inMonth = true;
    bool m_isToday = false;
    bool m_isSelected = false;
    DayCellContent m_content;
    bool m_pressed = false;
};

} // namespace sorvel
