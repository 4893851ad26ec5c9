#include "studio/DatePopover.h"

#include "studio/Shapes.h"
#include "studio/Studio.h"
#include "studio/StudioButton.h"
#include "studio/Symbols.h"

#include "core/Clock.h"

#include <QAbstractItemView>
#include <QCalendarWidget>
#include <QHBoxLayout>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QTextCharFormat>
#include <QToolButton>
#include <QVBoxLayout>

namespace sorvel {

namespace {

constexpr int padding = 12;
constexpr int spacing = 10;

// A plain text button: tertiary text that brightens under the pointer.
class TextButton final : public QAbstractButton {
public:
    TextButton(const QString& text, QWidget* parent) : QAbstractButton(parent) {
        setText(text);
        setFont(Studio::font(11));
        setCursor(Qt::PointingHandCursor);
        setAttribute(Qt::WA_Hover);
    }
    QSize sizeHint() const override {
        const QFontMetrics metrics(font());
        return QSize(metrics.horizontalAdvance(text()) + 8, metrics.height() + 4);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setFont(font());
        painter.setPen(underMouse() ? Studio::text2() : Studio::text3());
        painter.setOpacity(isDown() ? 0.7 : 1.0);
        painter.drawText(rect(), Qt::AlignCenter, text());
    }
};

// Draws the calendar's cells: plain text, and the chosen day on a rounded
// plate in the accent colour instead of a square block.
class DayDelegate final : public QStyledItemDelegate {
public:
    DayDelegate(const QColor& accent, QObject* parent) : QStyledItemDelegate(parent), m_accent(accent) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const QString text = index.data(Qt::DisplayRole).toString();
        if (text.isEmpty())
            return;
        QFont font = option.font;
        const QVariant fontData = index.data(Qt::FontRole);
        if (fontData.canConvert<QFont>())
            font = fontData.value<QFont>().resolve(option.font);
        QColor color = option.palette.color(QPalette::Text);
        const QVariant foreground = index.data(Qt::ForegroundRole);
        if (foreground.canConvert<QBrush>() && foreground.value<QBrush>().style() != Qt::NoBrush)
            color = foreground.value<QBrush>().color();
        if (!(index.flags() & Qt::ItemIsEnabled))
            color = option.palette.color(QPalette::Disabled, QPalette::Text);

        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        if (option.state & QStyle::State_Selected) {
            const qreal side = qMin(option.rect.width(), option.rect.height()) - 2;
            const QRectF plate(QPointF(option.rect.center()) - QPointF(side / 2, side / 2) + QPointF(0.5, 0.5),
                               QSizeF(side, side));
            Shapes::fillRounded(*painter, plate, side / 2, m_accent);
            color = Studio::bg0();
            font.setBold(true);
        }
        painter->setFont(font);
        painter->setPen(color);
        painter->drawText(option.rect, Qt::AlignCenter, text);
        painter->restore();
    }

private:
    QColor m_accent;
};

QDateTime localMidnight(const QDate& day) {
    return day.startOfDay(Qt::LocalTime);
}

} // namespace

DatePopover::DatePopover(const std::optional<QDateTime>& initial, bool allowsClear, QWidget* parent,
                         NowFunction nowFunction)
    : PopoverFrame(parent), m_now(std::move(nowFunction)) {
    m_selection = (initial && initial->isValid() ? *initial : now()).toLocalTime();

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(padding, padding, padding, padding);
    column->setSpacing(spacing);

    // The quick picks keep their own width, centred over the calendar.
    auto* quickRow = new QHBoxLayout;
    quickRow->setSpacing(4);
    quickRow->addStretch(1);
    for (const QuickPick quick : quickPicks()) {
        auto* button = new StudioButton(title(quick), StudioButtonStyle{false, true}, this);
        button->setObjectName(QStringLiteral("quick-%1").arg(int(quick)));
        connect(button, &QPushButton::clicked, this, [this, quick] { pick(quickPickDate(quick, now())); });
        button->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
        quickRow->addWidget(button);
    }
    quickRow->addStretch(1);
    column->addLayout(quickRow);

    m_calendar = new QCalendarWidget(this);
    styleCalendar();
    m_calendar->setSelectedDate(m_selection.date());
    connect(m_calendar, &QCalendarWidget::selectionChanged, this, &DatePopover::onCalendarSelection);
    column->addWidget(m_calendar);

    if (allowsClear) {
        auto* clear = new TextButton(QStringLiteral("清除日期"), this);
        clear->setObjectName(QStringLiteral("clear"));
        connect(clear, &QAbstractButton::clicked, this, [this] { pick(std::nullopt); });
        column->addWidget(clear, 0, Qt::AlignHCenter);
    }
}

const QList<DatePopover::QuickPick>& DatePopover::quickPicks() {
    static const QList<QuickPick> all = {QuickPick::Today, QuickPick::Yesterday, QuickPick::Tomorrow,
                                         QuickPick::NextMonday};
    return all;
}

QString DatePopover::title(QuickPick pick) {
    switch (pick) {
    case QuickPick::Today: return QStringLiteral("今天");
    case QuickPick::Yesterday: return QStringLiteral("昨天");
    case QuickPick::Tomorrow: return QStringLiteral("明天");
    case QuickPick::NextMonday: return QStringLiteral("下周一");
    }
    return {};
}

QDateTime DatePopover::quickPickDate(QuickPick pick, const QDateTime& now) {
    const QDate today = now.toLocalTime().date();
    switch (pick) {
    case QuickPick::Today: return localMidnight(today);
    case QuickPick::Yesterday: return localMidnight(today.addDays(-1));
    case QuickPick::Tomorrow: return localMidnight(today.addDays(1));
    case QuickPick::NextMonday: {
        const int ahead = (8 - today.dayOfWeek()) % 7; // dayOfWeek: Monday 1 … Sunday 7
        return localMidnight(today.addDays(ahead == 0 ? 7 : ahead));
    }
    }
    return localMidnight(today);
}

QLocale DatePopover::calendarLocale() {
    return QLocale(QLocale::Chinese, QLocale::SimplifiedHanScript, QLocale::China);
}

void DatePopover::popUnder(QWidget* anchor) {
    PopoverFrame::popUnder(anchor);
    m_calendar->setFocus();
}

QDateTime DatePopover::now() const {
    return m_now ? m_now() : Clock::now();
}

void DatePopover::pick(const std::optional<QDateTime>& date) {
    if (m_done)
        return;
    m_done = true;
    // The owner hears of the choice before the popover goes away.
    Q_EMIT picked(date);
    close();
}

void DatePopover::onCalendarSelection() {
    const QDate day = m_calendar->selectedDate();
    if (!day.isValid() || day == m_selection.date())
        return;
    // Like the platform's date-only picker: the day changes, the time of day stays.
    QDateTime chosen(day, m_selection.time(), Qt::LocalTime);
    if (!chosen.isValid())
        chosen = localMidnight(day);
    m_selection = chosen;
    pick(chosen);
}

void DatePopover::styleCalendar() {
    const QColor accent = Studio::tint(parentWidget());
    m_calendar->setLocale(calendarLocale());
    m_calendar->setFirstDayOfWeek(Qt::Monday);
    m_calendar->setGridVisible(false);
    m_calendar->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    m_calendar->setHorizontalHeaderFormat(QCalendarWidget::SingleLetterDayNames);
    m_calendar->setFont(Studio::font(12));

    QPalette palette = Studio::palette(accent);
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        palette.setColor(group, QPalette::Base, Studio::bg1());
        palette.setColor(group, QPalette::AlternateBase, Studio::bg1());
        palette.setColor(group, QPalette::Window, Studio::bg1());
        palette.setColor(group, QPalette::Highlight, accent);
    }
    // Days of the neighbouring months are drawn with the disabled text colour.
    palette.setColor(QPalette::Disabled, QPalette::Text, Studio::faded(Studio::text3(), 0.55));
    m_calendar->setPalette(palette);

    // No red weekends: every day in the plain text colour of the palette.
    for (int weekday = Qt::Monday; weekday <= Qt::Sunday; ++weekday)
        m_calendar->setWeekdayTextFormat(Qt::DayOfWeek(weekday), QTextCharFormat());
    QTextCharFormat header;
    header.setForeground(Studio::text3());
    header.setBackground(Studio::bg1());
    header.setFont(Studio::font(10, Studio::Weight::Semibold));
    m_calendar->setHeaderTextFormat(header);
    QTextCharFormat today;
    today.setForeground(accent);
    today.setFontWeight(QFont::Bold);
    m_calendar->setDateTextFormat(now().toLocalTime().date(), today);

    if (auto* view = m_calendar->findChild<QAbstractItemView*>(QStringLiteral("qt_calendar_calendarview"))) {
        view->setItemDelegate(new DayDelegate(accent, view));
        // The view would fill the chosen cell square; the delegate draws it round.
        QPalette clear = view->palette();
        for (const auto group : {QPalette::Active, QPalette::Inactive})
            clear.setColor(group, QPalette::Highlight, Qt::transparent);
        view->setPalette(clear);
    }

    if (auto* bar = m_calendar->findChild<QWidget*>(QStringLiteral("qt_calendar_navigationbar"))) {
        bar->setAutoFillBackground(false);
        bar->setStyleSheet(
            QStringLiteral("QWidget#qt_calendar_navigationbar { background: transparent; }"
                           "QToolButton { color: %1; background: transparent; border: none; border-radius: 5px;"
                           " padding: 3px 6px; font-weight: 600; }"
                           "QToolButton:hover { background: %2; }"
                           "QToolButton::menu-indicator { image: none; width: 0px; }"
                           "QSpinBox { color: %1; background: %3; border: 1px solid %4; border-radius: 5px;"
                           " selection-background-color: %5; }")
                .arg(Studio::text().name(), Studio::bg3().name(), Studio::well().name(), Studio::line().name(),
                     accent.name()));
    }
    const QColor arrow = Studio::text2();
    if (auto* previous = m_calendar->findChild<QToolButton*>(QStringLiteral("qt_calendar_prevmonth")))
        previous->setIcon(Symbols::icon(QStringLiteral("chevron.left"), arrow, Studio::Weight::Semibold));
    if (auto* next = m_calendar->findChild<QToolButton*>(QStringLiteral("qt_calendar_nextmonth")))
        next->setIcon(Symbols::icon(QStringLiteral("chevron.right"), arrow, Studio::Weight::Semibold));
}

} // namespace sorvel
