#pragma once

#include "studio/PopoverFrame.h"

#include <optional>

class QLabel;

namespace sorvel {

class NumberColumn;
class StudioButton;

// The popover of a duration chip: a live read-out over three number columns
// (hours 0–9, minutes and seconds 0–59). Every change of the total is
// reported at once; "清除" reports none and closes; "完成" and Return only close.
class DurationPicker final : public PopoverFrame {
    Q_OBJECT
public:
    enum class Unit { Hours, Minutes, Seconds };
    static constexpr int width = 220;
    static constexpr int maximumHours = 9;
    // The longest length the columns set.
    static constexpr qint64 longest = maximumHours * 3600 + 59 * 60 + 59;

    // Opens on `duration` split into its columns (none and negative lengths as 0);
    // hours are not limited to the hours column.
    explicit DurationPicker(std::optional<qint64> duration, QWidget* parent = nullptr);

    void popUnder(QWidget* anchor) override;
    qint64 total() const;
    NumberColumn* column(Unit unit) const;
    QString readout() const;
    StudioButton* clearButton() const { return m_clear; }
    StudioButton* doneButton() const { return m_done; }

Q_SIGNALS:
    // A new total, or none after "清除".
    void durationChanged(std::optional<qint64> duration);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void columnChanged();

    NumberColumn* m_hours = nullptr;
    NumberColumn* m_minutes = nullptr;
    NumberColumn* m_seconds = nullptr;
    QLabel* m_readout = nullptr;
    StudioButton* m_clear = nullptr;
    StudioButton* m_done = nullptr;
    qint64 m_total = 0;
};

} // namespace sorvel
