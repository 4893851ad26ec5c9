#pragma once

#include <QAbstractButton>
#include <QPointer>

#include <optional>

namespace sorvel {

class DurationPicker;

// A cue's length as a small clock text ("--:--" faded when there is none);
// a click opens a DurationPicker under it, whose every change is reported
// through `durationChosen`. The chip shows what the owner last set.
class DurationChip final : public QAbstractButton {
    Q_OBJECT
public:
    explicit DurationChip(std::optional<qint64> duration, QWidget* parent = nullptr);

    std::optional<qint64> duration() const { return m_duration; }
    void setDuration(std::optional<qint64> duration);
    QString displayText() const;
    static QString displayText(std::optional<qint64> duration);
    static QSize sizeFor(std::optional<qint64> duration);

    DurationPicker* picker() const;
    bool isShowingPicker() const;
    void openPicker();

    QSize sizeHint() const override;

Q_SIGNALS:
    void durationChosen(std::optional<qint64> duration);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::optional<qint64> m_duration;
    QPointer<DurationPicker> m_picker;
};

} // namespace sorvel
