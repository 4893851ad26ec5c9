#include "app/calendar/DayPanel.h"

#include "app/calendar/CalendarMonth.h"
#include "app/calendar/EventRow.h"
#include "studio/Shapes.h"
#include "studio/SilentScrollColumn.h"
#include "studio/Studio.h"
#include "studio/StudioLabel.h"
#include "studio/Symbols.h"

#include <QFontMetricsF>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

#include <cmath>

namespace sorvel {

namespace {

// A section's title: the kind's symbol and name in the kind's own colour.
class KindHeader final : public QWidget {
public:
    KindHeader(CalendarEvent::Kind kind, QWidget* parent) : QWidget(parent), m_kind(kind) {
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        setFixedHeight(int(std::ceil(QFontMetricsF(font()).height())));
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QColor color = CalendarEvent::kindColor(m_kind);
        const QFontMetricsF metrics(font());
        const qreal iconSide = Symbols::sideForFontSize(11);
        Symbols::paintForFont(painter, QPointF(iconSide / 2, height() / 2.0), 11, CalendarEvent::kindSymbol(m_kind),
                              color, Studio::Weight::Semibold);
        const qreal textLeft = iconSide + 4;
        Shapes::drawLine(painter, font(), color,
                         QPointF(textLeft, (height() - metrics.height()) / 2 + metrics.ascent()),
                         CalendarEvent::kindTitle(m_kind), width() - textLeft);
    }

private:
    static QFont font() { return Studio::font(11, Studio::Weight::Semibold); }
    CalendarEvent::Kind m_kind;
};

} // namespace

DayPanel::DayPanel(QWidget* parent) : QWidget(parent) {
    setFixedWidth(panelWidth);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 0, 16, 0);
    layout->setSpacing(12);
    layout->addSpacing(20 + 12); // the top band and the stack's spacing after it (spacers get none)

    auto* heading = new QVBoxLayout;
    heading->setSpacing(2);
    m_heading = Studio::plainLabel(Studio::font(16, Studio::Weight::Bold), Studio::text(), this);
    m_count = Studio::plainLabel(Studio::font(11), Studio::text3(), this);
    heading->addWidget(m_heading);
    heading->addWidget(m_count);
    layout->addLayout(heading);

    auto* scroll = new SilentScrollColumn(this);
    m_sections = scroll->content();
    m_sectionsLayout = scroll->column();
    m_sectionsLayout->setSpacing(14);
    m_sectionsLayout->addStretch(1);
    layout->addWidget(scroll, 1);
}

void DayPanel::setDay(const QDate& day, const QList<CalendarEvent>& events) {
    if (day.isValid() && day == m_day && events == m_events)
        return; // the rows stay as they are
    m_day = day;
    m_events = events;
    m_heading->setText(CalendarMonth::dayHeading(day));
    m_count->setText(events.isEmpty() ? QStringLiteral("这一天没有安排")
                                      : QString::number(events.size()) + QStringLiteral(" 项"));
    clearSections();
    int position = 0;
    for (CalendarEvent::Kind kind : CalendarEvent::allKinds()) {
        QList<EventRow*> rows;
        QWidget* section = nullptr;
        QVBoxLayout* sectionLayout = nullptr;
        for (const CalendarEvent& event : events) {
            if (event.kind != kind)
                continue;
            if (!section) {
                section = new QWidget(m_sections);
                sectionLayout = new QVBoxLayout(section);
                sectionLayout->setContentsMargins(0, 0, 0, 0);
                sectionLayout->setSpacing(6);
                sectionLayout->addWidget(new KindHeader(kind, section));
            }
            auto* row = new EventRow(event, section);
            connect(row, &EventRow::activated, this, &DayPanel::projectActivated);
            sectionLayout->addWidget(row);
            rows << row;
        }
        if (section) {
            m_sectionsLayout->insertWidget(position++, section);
            section->show();
            m_rows.append({kind, rows});
        }
    }
}

void DayPanel::clearSections() {
    m_rows.clear();
    while (m_sectionsLayout->count() > 1) {
        QLayoutItem* item = m_sectionsLayout->takeAt(0);
        if (QWidget* widget = item->widget()) {
            widget->hide();
            widget->deleteLater(); // a row may be the sender of the click that led here
        }
        delete item;
    }
}

QString DayPanel::headingText() const {
    return m_heading->text();
}

QString DayPanel::countText() const {
    return m_count->text();
}

QList<CalendarEvent::Kind> DayPanel::sectionKinds() const {
    QList<CalendarEvent::Kind> kinds;
    for (const auto& section : m_rows)
        kinds << section.first;
    return kinds;
}

QList<EventRow*> DayPanel::rows(CalendarEvent::Kind kind) const {
    for (const auto& section : m_rows) {
        if (section.first == kind)
            return section.second;
    }
    return {};
}

void DayPanel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Studio::bg1());
}

} // namespace sorvel
