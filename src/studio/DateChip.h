#pragma once

#include "studio/DatePopover.h"

#include <QAbstractButton>
#include <QDateTime>
#include <QFont>
#include <QPointer>

#include <optional>

class QPainter;

namespace sorvel {

// An optional date as a small text button: the short date, or a faded
// placeholder. A click opens a DatePopover under the chip; a choice is
// reported through `dateChosen` (none after clearing) before the popover
// closes. The chip keeps showing its date until the owner calls setDate.
class DateChip final : public QAbstractButton {
    Q_OBJECT
public:
    DateChip(const std::optional<QDateTime>& date, const QString& placeholder, bool allowsClear, const QFont& font,
             QWidget* parent = nullptr);

    std::optional<QDateTime> date() const { return m_date; }
    void setDate(const std::optional<QDateTime>& date);
    QString displayText() const;
    bool isShowingPopover() const { return m_popover && m_popover->isVisible(); }
    DatePopover* popover() const { return m_popover; }
    // The clock of the popovers this chip opens (tests pass a fixed moment).
    void setNowFunction(DatePopover::NowFunction now) { m_now = std::move(now); }

    static QString displayText(const std::optional<QDateTime>& date, const QString& placeholder);
    static QSizeF sizeFor(const QString& text, const QFont& font);
    static void paint(QPainter& painter, const QRectF& rect, const std::optional<QDateTime>& date,
                      const QString& placeholder, const QFont& font, bool open);

    QSize sizeHint() const override;

Q_SIGNALS:
    void dateChosen(const std::optional<QDateTime>& date);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void openPopover();

    std::optional<QDateTime> m_date;
    QString m_placeholder;
    bool m_allowsClear;
    QPointer<DatePopover> m_popover;
    DatePopover::NowFunction m_now;
};

} // namespace sorvel
