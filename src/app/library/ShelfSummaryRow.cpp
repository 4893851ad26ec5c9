#include "app/library/ShelfSummaryRow.h"

#include "app/library/ShelfSummary.h"
#include "app/library/ShelfTexts.h"
#include "app/navigation/AppRouter.h"
#include "app/store/ProjectStore.h"
#include "core/Clock.h"
#include "studio/Shapes.h"
#include "studio/Studio.h"

#include <QHBoxLayout>
#include <QPainter>

namespace sorvel {

namespace {

constexpr qreal tileHorizontalPadding = 12;
constexpr qreal tileVerticalPadding = 8;

QFont valueFont() {
    return Studio::font(22, Studio::Weight::Semibold, true);
}

QFont titleFont() {
    return Studio::font(11);
}

} // namespace

StatTile::StatTile(const QString& title, QWidget* parent) : QAbstractButton(parent) {
    setText(title);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void StatTile::setFigure(qint64 value, const std::optional<QColor>& color) {
    setValue(true, value, color);
}

void StatTile::clearFigure() {
    setValue(false, 0, std::nullopt);
}

void StatTile::setValue(bool known, qint64 value, const std::optional<QColor>& color) {
    if (m_known == known && m_value == value && m_color == color)
        return;
    const qsizetype widthBefore = valueText().size();
    m_known = known;
    m_value = value;
    m_color = color;
    if (valueText().size() != widthBefore)
        updateGeometry();
    update();
}

QString StatTile::valueText() const {
    return m_known ? ShelfTexts::paddedCount(m_value) : ShelfTexts::unknownCount();
}

QColor StatTile::valueColor() const {
    if (m_color)
        return *m_color;
    return m_value > 0 ? Studio::text() : Studio::text3();
}

QSize StatTile::sizeHint() const {
    const QFontMetricsF value(valueFont());
    const QFontMetricsF title(titleFont());
    const qreal contentWidth = qMax(value.horizontalAdvance(valueText()), title.horizontalAdvance(text()));
    const qreal width = qMax<qreal>(ShelfSummaryRow::tileMinimumWidth, contentWidth + 2 * tileHorizontalPadding);
    const qreal height = value.height() + 2 + title.height() + 2 * tileVerticalPadding;
    return QSizeF(width, height).toSize() + QSize(1, 1);
}

QSize StatTile::minimumSizeHint() const {
    return sizeHint();
}

void StatTile::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setOpacity(isDown() ? 0.7 : 1.0);
    const QRectF tile = rect();
    Shapes::fillRounded(painter, tile, 10, Studio::bg1());
    if (showsBar())
        painter.fillRect(QRectF(tile.left(), tile.top() + 10, 3, tile.height() - 20), *m_color);

    const QFontMetricsF value(valueFont());
    const QFontMetricsF title(titleFont());
    const qreal x = tile.left() + tileHorizontalPadding;
    const qreal width = tile.width() - 2 * tileHorizontalPadding;
    const qreal valueBaseline = tile.top() + tileVerticalPadding + value.ascent();
    Shapes::drawLine(painter, valueFont(), valueColor(), {x, valueBaseline}, valueText(), width + 1);
    const qreal titleBaseline = valueBaseline + value.descent() + 2 + title.ascent();
    Shapes::drawLine(painter, titleFont(), Studio::text2(), {x, titleBaseline}, text(), width + 1);
}

ShelfSummaryRow::ShelfSummaryRow(ProjectStore& store, AppRouter& router, QWidget* parent)
    : QWidget(parent), m_store(store), m_router(router) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(tileSpacing);
    m_open = new StatTile(QStringLiteral("进行中"), this);
    m_overdue = new StatTile(QStringLiteral("已逾期"), this);
    m_dueSoon = new StatTile(QStringLiteral("7 天内截止"), this);
    m_awaiting = new StatTile(QStringLiteral("待归档"), this);
    for (StatTile* tile : tiles())
        row->addWidget(tile);
    row->addStretch(1);

    // Each action reads the figures afresh, as they are at the moment of the click.
    connect(m_open, &QAbstractButton::clicked, this, [this] { m_router.setSidebar(SidebarItem::active()); });
    connect(m_overdue, &QAbstractButton::clicked, this,
            [this] { showFirst(ShelfSummary::of(m_store.projects(), Clock::now()).overdue); });
    connect(m_dueSoon, &QAbstractButton::clicked, this,
            [this] { showFirst(ShelfSummary::of(m_store.projects(), Clock::now()).dueWithinWeek); });
    connect(m_awaiting, &QAbstractButton::clicked, this, [this] { m_router.setSidebar(SidebarItem::done()); });
}

void ShelfSummaryRow::showFirst(const QList<QUuid>& ids) {
    if (ids.isEmpty())
        return;
    m_router.setSidebar(SidebarItem::active());
    m_router.setSelection({ids.first()});
}

void ShelfSummaryRow::refresh() {
    if (!m_store.hasStarted()) {
        for (StatTile* tile : tiles())
            tile->clearFigure();
        return;
    }
    const ShelfSummary summary = ShelfSummary::of(m_store.projects(), Clock::now());
    const auto stateColor = [](qint64 count, const QColor& color) -> std::optional<QColor> {
        if (count > 0)
            return color;
        return std::nullopt;
    };
    m_open->setFigure(summary.open.size(), std::nullopt);
    m_overdue->setFigure(summary.overdue.size(), stateColor(summary.overdue.size(), Studio::systemRed()));
    m_dueSoon->setFigure(summary.dueWithinWeek.size(),
                         stateColor(summary.dueWithinWeek.size(), Studio::systemYellow()));
    m_awaiting->setFigure(summary.awaitingArchive.size(), std::nullopt);
}

} // namespace sorvel
