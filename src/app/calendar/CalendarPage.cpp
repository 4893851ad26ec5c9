#include "app/calendar/CalendarPage.h"

#include "app/calendar/CalendarEvent.h"
#include "app/calendar/CalendarMonth.h"
#include "app/calendar/DayPanel.h"
#include "app/calendar/MonthGrid.h"
#include "app/navigation/AppRouter.h"
#include "app/store/ProjectStore.h"
#include "studio/Studio.h"
#include "studio/StudioButton.h"
#include "studio/StudioLabel.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace sorvel {

namespace {

// The month title: cut with an ellipsis when the column is narrow, so the navigation
// buttons keep their size and a cut title never reads as another month.
class MonthTitle final : public QLabel {
public:
    explicit MonthTitle(QWidget* parent) : QLabel(parent) {
        setTextFormat(Qt::PlainText);
        setFont(Studio::font(26, Studio::Weight::Bold));
        Studio::setTextColor(this, Studio::text());
        setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    }
    void setTitle(const QString& title) {
        m_title = title;
        setToolTip(title);
        fit();
    }
    const QString& title() const { return m_title; }
    QSize sizeHint() const override {
        return QSize(fontMetrics().horizontalAdvance(m_title) + 2, QLabel::sizeHint().height());
    }

protected:
    void resizeEvent(QResizeEvent* event) override {
        QLabel::resizeEvent(event);
        fit();
    }

private:
    void fit() { setText(fontMetrics().elidedText(m_title, Qt::ElideRight, width())); }
    QString m_title;
};

QWidget* rule(QWidget* parent) {
    auto* line = new QWidget(parent);
    line->setFixedWidth(CalendarPage::dayPanelRuleWidth);
    line->setAutoFillBackground(true);
    QPalette palette = line->palette();
    palette.setColor(QPalette::Window, Studio::line());
    line->setPalette(palette);
    return line;
}

} // namespace

CalendarPage::CalendarPage(ProjectStore& store, AppRouter& router, QWidget* parent)
    : QWidget(parent), m_store(store), m_router(router) {
    const QDate today = CalendarMonth::today();
    m_month = CalendarMonth::monthStart(today);
    m_selectedDay = today;

    auto* column = new QWidget(this);
    auto* columnLayout = new QVBoxLayout(column);
    columnLayout->setContentsMargins(0, 0, 0, 0);
    columnLayout->setSpacing(0);
    columnLayout->addSpacing(28);
    columnLayout->addWidget(makeHeader());
    columnLayout->addWidget(makeWeekdayHeader());
    auto* gridArea = new QWidget(column);
    auto* gridLayout = new QVBoxLayout(gridArea);
    gridLayout->setContentsMargins(sideMargin, 0, sideMargin, 20);
    m_grid = new MonthGrid(gridArea);
    gridLayout->addWidget(m_grid);
    columnLayout->addWidget(gridArea, 1);

    m_dayPanel = new DayPanel(this);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(column, 1);
    m_dayPanelRule = rule(this);
    layout->addWidget(m_dayPanelRule);
    layout->addWidget(m_dayPanel);

    connect(m_grid, &MonthGrid::dayClicked, this, &CalendarPage::pickDay);
    connect(m_dayPanel, &DayPanel::projectActivated, this,
            [this](const QUuid& projectID) { m_router.setSelection({projectID}); });
    connect(&m_store, &ProjectStore::projectsChanged, this, &CalendarPage::projectsChanged);
    connect(&m_store.registry(), &TypeRegistry::typesChanged, this, &CalendarPage::refresh);
    refresh();
}

void CalendarPage::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    collect();
}

void CalendarPage::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const bool roomForPanel = dayPanelFits(width());
    m_dayPanelRule->setVisible(roomForPanel);
    m_dayPanel->setVisible(roomForPanel);
}

QWidget* CalendarPage::makeHeader() {
    auto* header = new QWidget(this);
    auto* layout = new QHBoxLayout(header);
    layout->setContentsMargins(sideMargin, 0, sideMargin, 14);
    layout->setSpacing(12);
    m_title = new MonthTitle(header);
    layout->addWidget(m_title, 1, Qt::AlignBottom);

    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(4);
    const StudioButtonStyle look{false, true};
    auto* previous = new StudioButton(QString(), QStringLiteral("chevron.left"), look, header);
    auto* today = new StudioButton(QStringLiteral("今天"), look, header);
    auto* next = new StudioButton(QString(), QStringLiteral("chevron.right"), look, header);
    for (QPushButton* button : {previous, today, next}) {
        button->setFocusPolicy(Qt::NoFocus);
        button->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
        buttons->addWidget(button);
    }
    layout->addLayout(buttons);
    layout->setAlignment(buttons, Qt::AlignBottom);

    connect(previous, &QPushButton::clicked, this, &CalendarPage::showPreviousMonth);
    connect(today, &QPushButton::clicked, this, [this] {
        showToday();
        revealDayPanel();
    });
    connect(next, &QPushButton::clicked, this, &CalendarPage::showNextMonth);
    return header;
}

QWidget* CalendarPage::makeWeekdayHeader() {
    auto* header = new QWidget(this);
    auto* layout = new QHBoxLayout(header);
    layout->setContentsMargins(sideMargin, 0, sideMargin, 6);
    layout->setSpacing(6); // the grid's column spacing, so each label stands over its column
    for (const QString& symbol : CalendarMonth::weekdaySymbols()) {
        QLabel* day = Studio::plainLabel(symbol, Studio::font(11, Studio::Weight::Semibold), Studio::text3(), header);
        day->setIndent(8);
        day->setMinimumWidth(10);
        day->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        layout->addWidget(day, 1);
    }
    return header;
}

void CalendarPage::showPreviousMonth() {
    showMonth(m_month.addMonths(-1));
}

void CalendarPage::showNextMonth() {
    showMonth(m_month.addMonths(1));
}

void CalendarPage::showToday() {
    const QDate today = CalendarMonth::today();
    m_month = CalendarMonth::monthStart(today);
    m_selectedDay = today;
    collect();
}

void CalendarPage::showMonth(const QDate& day) {
    if (!day.isValid())
        return;
    m_month = CalendarMonth::monthStart(day);
    collect();
}

void CalendarPage::selectDay(const QDate& day) {
    if (!day.isValid())
        return;
    m_selectedDay = day;
    collect();
}

void CalendarPage::pickDay(const QDate& day) {
    selectDay(day);
    revealDayPanel();
}

void CalendarPage::revealDayPanel() {
    // The drawer opened from the panel answered the day picked before; a day
    // picked now asks for its own entries, which only the panel shows.
    if (!dayPanelFits(width()))
        m_router.setSelection({});
}

bool CalendarPage::dayPanelFits(int pageWidth) {
    return pageWidth >= minimumWidth + dayPanelRuleWidth + DayPanel::panelWidth;
}

QString CalendarPage::titleText() const {
    return static_cast<const MonthTitle*>(m_title)->title();
}

void CalendarPage::refresh() {
    m_stale = true;
    collect();
}

QList<CalendarDays::Span> CalendarPage::shownSpans() const {
    const QList<QDate> visible = CalendarMonth::visibleDays(m_month);
    QList<CalendarDays::Span> spans{{visible.constFirst(), visible.constLast()}};
    if (m_selectedDay < spans[0].first || m_selectedDay > spans[0].last)
        spans.append({m_selectedDay, m_selectedDay});
    return spans;
}

void CalendarPage::collect() {
    if (!isVisible())
        return; // collected when shown
    const QList<CalendarDays::Span> spans = shownSpans();
    if (m_stale || spans != m_days.spans() || m_builtOn != CalendarMonth::today()) {
        m_days.setSpans(spans);
        m_days.rebuild(m_store.projects(), m_store.registry());
        m_builtOn = CalendarMonth::today();
        m_stale = false;
    }
    redraw();
}

void CalendarPage::projectsChanged() {
    if (!isVisible() || m_stale || m_builtOn != CalendarMonth::today()) {
        refresh();
        return;
    }
    m_days.update(m_store.projects(), m_store.lastChange(), m_store.registry());
    redraw();
}

void CalendarPage::redraw() {
    const CalendarEvent::Days& events = m_days.days();
    static_cast<MonthTitle*>(m_title)->setTitle(CalendarMonth::monthTitle(m_month));
    m_grid->showMonth(m_month, m_selectedDay, CalendarMonth::today(), events);
    m_dayPanel->setDay(m_selectedDay, events.value(m_selectedDay));
}

} // namespace sorvel
