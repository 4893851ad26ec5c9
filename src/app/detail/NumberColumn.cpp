#include "app/detail/NumberColumn.h"

#include "studio/Shapes.h"
#include "studio/Studio.h"
#include "studio/StudioLabel.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

#include <cmath>

namespace sorvel {

namespace {
constexpr int inset = 2;
constexpr int rowSpacing = 2;
constexpr int rowPadding = 4;
constexpr qreal rowRadius = 5;
constexpr qreal wellRadius = 7;

QFont numberFont(bool chosen) {
    return Studio::font(13, chosen ? Studio::Weight::Bold : Studio::Weight::Regular, true);
}

int rowHeight() {
    return int(std::ceil(Shapes::lineHeight(numberFont(false)))) + 2 * rowPadding;
}
} // namespace

// The numbers themselves, painted in one widget: 60 rows cost one paint.
class NumberList final : public QWidget {
public:
    explicit NumberList(NumberColumn* column) : QWidget(column), m_column(column) {
        setCursor(Qt::PointingHandCursor);
        const int rows = column->m_highest - column->m_lowest + 1;
        setFixedHeight(2 * inset + rows * rowHeight() + (rows - 1) * rowSpacing);
    }

    QRect rowRect(int number) const {
        if (number < m_column->m_lowest || number > m_column->m_highest)
            return {};
        const int index = number - m_column->m_lowest;
        return {inset, inset + index * (rowHeight() + rowSpacing), width() - 2 * inset, rowHeight()};
    }

protected:
    void paintEvent(QPaintEvent* event) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QColor tint = Studio::tint(this);
        for (int number = m_column->m_lowest; number <= m_column->m_highest; ++number) {
            const QRect row = rowRect(number);
            if (!row.intersects(event->rect()))
                continue;
            const bool chosen = number == m_column->m_value;
            if (chosen)
                Shapes::fillRounded(painter, row, rowRadius, tint);
            painter.setFont(numberFont(chosen));
            painter.setPen(chosen ? Studio::bg0() : Studio::text());
            painter.drawText(row, Qt::AlignCenter, QStringLiteral("%1").arg(number, 2, 10, QLatin1Char('0')));
        }
    }

    void mouseReleaseEvent(QMouseEvent* event) override {
        if (event->button() != Qt::LeftButton)
            return;
        for (int number = m_column->m_lowest; number <= m_column->m_highest; ++number) {
            if (rowRect(number).contains(event->position().toPoint())) {
                m_column->choose(number);
                return;
            }
        }
    }

private:
    NumberColumn* m_column;
};

NumberColumn::NumberColumn(const QString& title, int lowest, int highest, qint64 value, QWidget* parent)
    : QWidget(parent), m_lowest(lowest), m_highest(highest), m_value(value) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(4);
    auto* heading = Studio::plainLabel(title, Studio::font(10, Studio::Weight::Semibold), Studio::text3(), this);
    column->addWidget(heading, 0, Qt::AlignHCenter);

    m_scroll = new QScrollArea(this);
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scroll->setWidgetResizable(true);
    m_scroll->setFixedHeight(listHeight);
    // The well: filled here and rounded by a mask, since a popover without a
    // compositor shows nothing that is left transparent.
    QPalette well = m_scroll->palette();
    well.setColor(QPalette::Window, Studio::well());
    m_scroll->viewport()->setPalette(well);
    m_scroll->viewport()->setAutoFillBackground(true);
    m_list = new NumberList(this);
    m_scroll->setWidget(m_list);
    column->addWidget(m_scroll);
}

QWidget* NumberColumn::list() const {
    return m_list;
}

QRect NumberColumn::rowRect(int number) const {
    return m_list->rowRect(number);
}

void NumberColumn::choose(qint64 value) {
    if (m_value == value)
        return;
    m_value = value;
    m_list->update();
    Q_EMIT valueChanged(value);
}

void NumberColumn::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const QPainterPath well = Shapes::roundedRect(QRectF(QPointF(0, 0), QSizeF(m_scroll->size())), wellRadius);
    m_scroll->setMask(QRegion(well.toFillPolygon().toPolygon()));
}

void NumberColumn::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    centreOnValue();
}

void NumberColumn::centreOnValue() {
    if (m_value < m_lowest || m_value > m_highest)
        return;
    const QRect row = m_list->rowRect(int(m_value));
    QScrollBar* bar = m_scroll->verticalScrollBar();
    bar->setValue(row.center().y() - listHeight / 2);
}

} // namespace sorvel
