#pragma once

#include "studio/PopoverFrame.h"

#include <QDateTime>
#include <QLocale>

#include <functional>
#include <optional>

class QCalendarWidget;

namespace sorvel {

// The date picker that a date chip opens below itself: four quick picks, a
// month calendar (Gregorian, zh_CN, Monday first) and, when allowed, a button
// that clears the date. Every choice emits `picked` and then closes the
// popover; a click outside or Escape closes it without a choice.
class DatePopover final : public PopoverFrame {
    Q_OBJECT
public:
    enum class QuickPick { Today, Yesterday, Tomorrow, NextMonday };
    using NowFunction = std::function<QDateTime()>;

    // `now` gives the current moment (the clock unless a test passes its own).
    DatePopover(const std::optional<QDateTime>& initial, bool allowsClear, QWidget* parent = nullptr,
                NowFunction now = {});

    static const QList<QuickPick>& quickPicks();
    static QString title(QuickPick pick); // "今天", "昨天", "明天", "下周一"
    // Local midnight of the picked day: today, a calendar day before or after,
    // or the next Monday strictly after today (a week on from a Monday).
    static QDateTime quickPickDate(QuickPick pick, const QDateTime& now);
    static QLocale calendarLocale();

    // Shows the popover under `anchor`, the calendar holding the keyboard.
    void popUnder(QWidget* anchor) override;

    QCalendarWidget* calendar() const { return m_calendar; }
    QDateTime selection() const { return m_selection; }

Q_SIGNALS:
    // A chosen date (local time), or none after "清除日期".
    void picked(const std::optional<QDateTime>& date);

private:
    void pick(const std::optional<QDateTime>& date);
    void onCalendarSelection();
    void styleCalendar();
    QDateTime now() const;

    NowFunction m_now;
    QDateTime m_selection;
    QCalendarWidget* m_calendar = nullptr;
    bool m_done = false;
};

} // namespace sorvel
