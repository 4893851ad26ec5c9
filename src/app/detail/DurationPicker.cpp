#include "app/detail/DurationPicker.h"

#include "app/detail/NumberColumn.h"
#include "core/CueTime.h"
#include "studio/Studio.h"
#include "studio/StudioButton.h"
#include "studio/StudioLabel.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QVBoxLayout>

#include <algorithm>
#include <limits>

namespace sorvel {

DurationPicker::DurationPicker(std::optional<qint64> duration, QWidget* parent) : PopoverFrame(parent) {
    const qint64 length = std::max<qint64>(0, duration.value_or(0));
    m_total = length;
    setFixedWidth(width);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(12, 12, 12, 12);
    column->setSpacing(10);

    m_readout = Studio::plainLabel(CueTime::format(length), Studio::font(22, Studio::Weight::Semibold, true),
                                   Studio::text(), this);
    column->addWidget(m_readout, 0, Qt::AlignHCenter);

    auto* columns = new QHBoxLayout;
    columns->setSpacing(8);
    m_hours = new NumberColumn(QStringLiteral("时"), 0, maximumHours, length / 3600, this);
    m_minutes = new NumberColumn(QStringLiteral("分"), 0, 59, length / 60 % 60, this);
    m_seconds = new NumberColumn(QStringLiteral("秒"), 0, 59, length % 60, this);
    for (NumberColumn* unit : {m_hours, m_minutes, m_seconds}) {
        columns->addWidget(unit, 1, Qt::AlignTop);
        connect(unit, &NumberColumn::valueChanged, this, &DurationPicker::columnChanged);
    }
    column->addLayout(columns);

    auto* buttons = new QHBoxLayout;
    m_clear = new StudioButton(QStringLiteral("清除"), StudioButtonStyle{false, true}, this);
    m_done = new StudioButton(QStringLiteral("完成"), StudioButtonStyle{true, true}, this);
    buttons->addWidget(m_clear);
    buttons->addStretch(1);
    buttons->addWidget(m_done);
    column->addLayout(buttons);

    connect(m_clear, &QPushButton::clicked, this, [this] {
        Q_EMIT durationChanged(std::nullopt);
        close();
    });
    connect(m_done, &QPushButton::clicked, this, &QWidget::close);
    setFocusPolicy(Qt::StrongFocus);
}

qint64 DurationPicker::total() const {
    return m_total;
}

NumberColumn* DurationPicker::column(Unit unit) const {
    switch (unit) {
    case Unit::Hours: return m_hours;
    case Unit::Minutes: return m_minutes;
    case Unit::Seconds: return m_seconds;
    }
    return m_seconds;
}

QString DurationPicker::readout() const {
    return m_readout->text();
}

void DurationPicker::columnChanged() {
    // Hours beyond the column (a cue of ten hours or more) stay what they were.
    // Summed wide: a crafted file's huge length must not wrap when a column changes.
    const __int128 wide = __int128(m_hours->value()) * 3600 + m_minutes->value() * 60 + m_seconds->value();
    const qint64 total = qint64(std::min<__int128>(wide, std::numeric_limits<qint64>::max()));
    if (total == m_total)
        return;
    m_total = total;
    m_readout->setText(CueTime::format(total));
    Q_EMIT durationChanged(total);
}

void DurationPicker::popUnder(QWidget* anchor) {
    PopoverFrame::popUnder(anchor);
    setFocus(); // Return closes, Escape cancels
}

void DurationPicker::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        close();
        return;
    }
    PopoverFrame::keyPressEvent(event);
}

} // namespace sorvel
