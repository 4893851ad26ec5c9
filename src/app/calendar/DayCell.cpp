#include "app/calendar/DayCell.h"

#include "app/calendar/CalendarMonth.h"
#include "core/UserText.h"
#include "studio/Shapes.h"
#include "studio/Studio.h"
#include "studio/Symbols.h"

#include <QFontMetricsF>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

#include <algorithm>

namespace sorvel {

namespace {

constexpr qreal padding = 6;
constexpr qreal columnSpacing = 3;
constexpr qreal numberSide = 22;
constexpr qreal cornerRadius = 8;
constexpr qreal dotDiameter = 5;
constexpr qreal dotTextSpacing = 2;
constexpr qreal dotSpacing = 6;
constexpr qreal dotLineSpacing = 2;
constexpr qreal chipIconFont = 8;
constexpr qreal chipSpacing = 3;

const QList<CalendarEvent::Kind>& dotKinds() {
    static const QList<CalendarEvent::Kind> kinds{CalendarEvent::Kind::Started, CalendarEvent::Kind::Mixed,
                                                  CalendarEvent::Kind::Delivered};
    return kinds;
}

QFont numberFont(bool today) {
    return Studio::font(12, today ? Studio::Weight::Bold : Studio::Weight::Regular, true);
}
QFont chipFont() {
    return Studio::font(10, Studio::Weight::Medium);
}
QFont dotFont() {
    return Studio::font(9, Studio::Weight::Regular, true);
}

} // namespace

DayCellContent DayCellContent::of(const QList<CalendarEvent>& events) {
    DayCellContent content;
    int deadlines = 0;
    for (const CalendarEvent& event : events) {
        if (event.kind != CalendarEvent::Kind::Deadline)
            continue;
        if (++deadlines <= 2)
            content.chips << event;
    }
    content.moreDeadlines = std::max(0, deadlines - 2);
    for (CalendarEvent::Kind kind : dotKinds()) {
        const auto count = std::count_if(events.cbegin(), events.cend(),
                                         [kind](const CalendarEvent& event) { return event.kind == kind; });
        if (count > 0)
            content.dots << Dot{kind, int(count)};
    }
    return content;
}

QString DayCellContent::overflowText(int hiddenDeadlines, bool belowChips) {
    if (hiddenDeadlines <= 0)
        return {};
    return (belowChips ? QStringLiteral("还有 %1 个截止") : QStringLiteral("%1 个截止")).arg(hiddenDeadlines);
}

QString DayCellContent::shortOverflowText(int hiddenDeadlines) {
    if (hiddenDeadlines <= 0)
        return {};
    return QStringLiteral("+%1").arg(hiddenDeadlines);
}

QString DayCellContent::dotToolTip(const Dot& dot) {
    return QString::number(dot.count) + QStringLiteral(" 段") + CalendarEvent::kindTitle(dot.kind);
}

DayCell::DayCell(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent, false);
    setMinimumSize(minimumWidth, int(CalendarMonth::minimumCellHeight));
}

void DayCell::setDay(const QDate& day, bool inMonth, bool isToday, bool isSelected,
                     const QList<CalendarEvent>& events) {
    DayCellContent content = DayCellContent::of(events);
    if (day == m_day && inMonth == m_inMonth && isToday == m_isToday && isSelected == m_isSelected
        && content == m_content)
        return; // nothing to draw anew
    m_day = day;
    m_inMonth = inMonth;
    m_isToday = isToday;
    m_isSelected = isSelected;
    m_content = std::move(content);
    update();
}

QRectF DayCell::contentRect() const {
    return QRectF(rect()).adjusted(padding, padding, -padding, -padding);
}

qreal DayCell::dotWidth(const DayCellContent::Dot& dot) const {
    return dotDiameter + dotTextSpacing + Shapes::textWidth(dotFont(), QString::number(dot.count));
}

QList<QRectF> DayCell::dotRects() const {
    const QRectF area = contentRect();
    const qreal height = std::max(dotDiameter, QFontMetricsF(dotFont()).height());
    QList<QRectF> rects;
    QList<int> lines;
    int line = 0;
    qreal x = area.left();
    for (const DayCellContent::Dot& dot : m_content.dots) {
        const qreal width = dotWidth(dot);
        if (x > area.left() && x + width > area.right()) {
            ++line;
            x = area.left();
        }
        rects << QRectF(x, 0, width, height);
        lines << line;
        x += width + dotSpacing;
    }
    // The last line sits on the bottom edge, the others above it.
    for (qsizetype i = 0; i < rects.size(); ++i)
        rects[i].moveBottom(area.bottom() - (line - lines[i]) * (height + dotLineSpacing));
    return rects;
}

QFont DayCell::overflowFont() {
    return Studio::font(9);
}

QRectF DayCell::numberRect() const {
    const QRectF area = contentRect();
    return {area.left(), area.top(), numberSide, numberSide};
}

DayCell::DeadlineLines DayCell::deadlineLines() const {
    const QRectF area = contentRect();
    const QList<QRectF> dots = dotRects();
    const qreal floor = dots.isEmpty() ? area.bottom() : dots.first().top() - columnSpacing;
    const qreal chipHeight = std::max(QFontMetricsF(chipFont()).height(), Symbols::sideForFontSize(chipIconFont));
    const qreal overflowHeight = QFontMetricsF(overflowFont()).height();
    const qreal top = numberRect().bottom();
    const int deadlines = int(m_content.chips.size()) + m_content.moreDeadlines;
    const auto fits = [&](int chips) {
        const qreal overflow = chips < deadlines ? columnSpacing + overflowHeight : 0;
        return top + chips * (columnSpacing + chipHeight) + overflow <= floor + 0.01;
    };

    DeadlineLines lines;
    int shown = int(m_content.chips.size());
    while (shown > 0 && !fits(shown))
        --shown;
    qreal y = top;
    for (int i = 0; i < shown; ++i) {
        y += columnSpacing;
        lines.chips << QRectF(area.left(), y, area.width(), chipHeight);
        y += chipHeight;
    }
    lines.overflowText = DayCellContent::overflowText(deadlines - shown, shown > 0);
    if (lines.overflowText.isEmpty())
        return lines;
    if (fits(shown)) {
        lines.overflow = QRectF(area.left(), y + columnSpacing, area.width(), overflowHeight);
    } else {
        const QRectF number = numberRect();
        const qreal left = number.right() + chipSpacing;
        lines.overflow = QRectF(left, number.top(), std::max<qreal>(0, area.right() - left), number.height());
    }
    // Cut to "…", the words would hide the count they carry.
    if (Shapes::textWidth(overflowFont(), lines.overflowText) > lines.overflow.width())
        lines.overflowText = DayCellContent::shortOverflowText(deadlines - shown);
    return lines;
}

void DayCell::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF bounds = rect();
    const QColor tint = Studio::tint(this);

    Shapes::fillRounded(painter, bounds, cornerRadius, m_inMonth ? Studio::bg2() : Studio::faded(Studio::bg1(), 0.5));
    painter.setClipPath(Shapes::roundedRect(bounds, cornerRadius));

    // Day number, on a tint disc for today.
    const QRectF numberBox = numberRect();
    if (m_isToday)
        Shapes::fillCircle(painter, numberBox.center(), numberSide, tint);
    painter.setFont(numberFont(m_isToday));
    painter.setPen(m_isToday ? Studio::bg0() : (m_inMonth ? Studio::text() : Studio::text3()));
    painter.drawText(numberBox, Qt::AlignCenter, QString::number(m_day.day()));

    // Deadline chips: flag and project name, both in the entry's own colour.
    const DeadlineLines lines = deadlineLines();
    const QFontMetricsF chipMetrics(chipFont());
    const qreal iconSide = Symbols::sideForFontSize(chipIconFont);
    for (qsizetype i = 0; i < lines.chips.size(); ++i) {
        const QRectF& line = lines.chips[i];
        const CalendarEvent& chip = m_content.chips[i];
        Symbols::paint(painter, QRectF(line.left(), line.center().y() - iconSide / 2, iconSide, iconSide),
                       QStringLiteral("flag.fill"), chip.color);
        const qreal textLeft = line.left() + iconSide + chipSpacing;
        const qreal baseline = line.center().y() - chipMetrics.height() / 2 + chipMetrics.ascent();
        Shapes::drawLine(painter, chipFont(), chip.color, QPointF(textLeft, baseline),
                         UserText::singleLine(chip.projectName), line.right() - textLeft);
    }

    if (!lines.overflowText.isEmpty()) {
        const QFontMetricsF metrics(overflowFont());
        const qreal baseline = lines.overflow.center().y() - metrics.height() / 2 + metrics.ascent();
        Shapes::drawLine(painter, overflowFont(), Studio::text3(), QPointF(lines.overflow.left(), baseline),
                         lines.overflowText, lines.overflow.width());
    }

    // Counted dots at the bottom; the count takes the secondary text colour.
    const QList<QRectF> rects = dotRects();
    const QFontMetricsF dotMetrics(dotFont());
    for (int i = 0; i < rects.size(); ++i) {
        const QRectF& box = rects[i];
        const DayCellContent::Dot& dot = m_content.dots[i];
        Shapes::fillCircle(painter, QPointF(box.left() + dotDiameter / 2, box.center().y()), dotDiameter,
                           CalendarEvent::kindColor(dot.kind));
        const qreal baseline = box.center().y() - dotMetrics.height() / 2 + dotMetrics.ascent();
        Shapes::drawLine(painter, dotFont(), Studio::text2(),
                         QPointF(box.left() + dotDiameter + dotTextSpacing, baseline), QString::number(dot.count),
                         box.width());
    }

    painter.setClipping(false);
    if (m_isSelected)
        Shapes::strokeRoundedInside(painter, bounds, cornerRadius, tint, 1.5);
}

void DayCell::mousePressEvent(QMouseEvent* event) {
    m_pressed = event->button() == Qt::LeftButton;
    event->accept();
}

void DayCell::mouseReleaseEvent(QMouseEvent* event) {
    const bool click = m_pressed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    m_pressed = false;
    event->accept();
    if (click)
        Q_EMIT clicked(m_day);
}

bool DayCell::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        const QList<QRectF> rects = dotRects();
        for (int i = 0; i < rects.size(); ++i) {
            if (rects[i].contains(help->pos())) {
                QToolTip::showText(help->globalPos(), DayCellContent::dotToolTip(m_content.dots[i]), this,
                                   rects[i].toAlignedRect());
                return true;
            }
        }
        QToolTip::hideText();
        event->ignore();
        return true;
    }
    return QWidget::event(event);
}

} // namespace sorvel
