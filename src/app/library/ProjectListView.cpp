#include "app/library/ProjectListView.h"

#include "app/detail/CueTable.h"
#include "app/library/ProjectListColumns.h"
#include "app/library/ProjectListRow.h"
#include "app/library/SelectionReveal.h"
#include "app/navigation/AppRouter.h"
#include "app/store/ProjectStore.h"
#include "studio/PointerHover.h"
#include "studio/Shapes.h"
#include "studio/Spring.h"
#include "studio/Studio.h"
#include "studio/Symbols.h"

#include <QContextMenuEvent>
#include <QGraphicsOpacityEffect>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QToolTip>

#include <algorithm>

namespace sorvel {

namespace {
constexpr Spring cueTableSpring{0.2, 0.85};
} // namespace

ProjectListView::ProjectListView(ProjectStore& store, AppRouter& router, QWidget* parent)
    : QAbstractScrollArea(parent), m_store(store), m_router(router) {
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    viewport()->setMouseTracking(true);
    viewport()->setAutoFillBackground(false);
    verticalScrollBar()->setSingleStep(20);
    horizontalScrollBar()->setSingleStep(20);

    connect(&m_router, &AppRouter::selectionChanged, viewport(), qOverload<>(&QWidget::update));
    // Sorting by type follows the user's order of the types.
    connect(&m_store.registry(), &TypeRegistry::typesChanged, this, [this] {
        resort();
        relayout();
    });
    m_reveal = new SelectionReveal(*this, router, [this](const QUuid& id) -> std::optional<QRectF> {
        for (int i = 0; i < m_sorted.size(); ++i) {
            if (m_sorted.at(i).id == id)
                return rowRect(i);
        }
        return std::nullopt;
    });
}

void ProjectListView::setProjects(const QList<AudioProject>& projects) {
    m_projects = projects;
    resort();
    relayout();
    m_reveal->pageChanged();
}

void ProjectListView::reset() {
    m_sort = {};
    m_expanded.clear();
    qDeleteAll(std::exchange(m_motions, {}));
    resort();
    relayout();
    verticalScrollBar()->setValue(0);
    horizontalScrollBar()->setValue(0);
}

void ProjectListView::clickColumn(ProjectSort column) {
    m_sort.clickColumn(column);
    resort();
    relayout();
}

void ProjectListView::toggle(const QUuid& id) {
    const qreal from = openness(id);
    if (!m_expanded.remove(id))
        m_expanded.insert(id);
    moveCueTable(id, from);
    relayout();
}

qreal ProjectListView::openness(const QUuid& id) const {
    if (const QVariantAnimation* motion = m_motions.value(id))
        return motion->currentValue().toReal();
    return m_expanded.contains(id) ? 1 : 0;
}

void ProjectListView::moveCueTable(const QUuid& id, qreal from) {
    QVariantAnimation* motion = m_motions.value(id);
    if (!motion) {
        motion = new QVariantAnimation(this);
        moveAsSpring<cueTableSpring>(*motion);
        // Setting the ends of a stopped motion reports values too; only a running one moves the rows.
        connect(motion, &QVariantAnimation::valueChanged, this, [this, motion] {
            if (motion->state() != QAbstractAnimation::Stopped)
                relayout();
        });
        connect(motion, &QVariantAnimation::finished, this, [this, id, motion] {
            m_motions.remove(id);
            motion->deleteLater();
            relayout();
        });
        m_motions.insert(id, motion);
    }
    // A row turned back halfway starts from where its table stands.
    motion->stop();
    motion->setStartValue(from);
    motion->setEndValue(m_expanded.contains(id) ? 1.0 : 0.0);
    motion->start();
}

void ProjectListView::resort() {
    m_sorted = m_sort.apply(m_projects, m_store.registry().types());
}

qreal ProjectListView::contentWidth() const {
    // The list fits the page and its columns give way; only a page narrower
    // than the columns that always stay, or than an opened cue table, scrolls sideways.
    qreal width = std::max(ProjectListColumns::narrowestRow(), viewport()->width() - 2 * sideInset);
    for (const CueTable* table : m_cueTables)
        width = std::max(width, cueInset + table->minimumSizeHint().width());
    return width;
}

QPointF ProjectListView::contentOffset() const {
    return {sideInset - horizontalScrollBar()->value(), qreal(-verticalScrollBar()->value())};
}

void ProjectListView::relayout() {
    m_entries.clear();
    m_entries.reserve(m_sorted.size());
    qreal y = headerHeight + headerGap;
    QSet<QUuid> shown;
    for (const AudioProject& project : m_sorted) {
        Entry entry;
        entry.top = y;
        y += ProjectListRow::height;
        // A closing table stays until it has folded away.
        if (m_expanded.contains(project.id) || m_motions.contains(project.id)) {
            CueTable* table = m_cueTables.value(project.id);
            if (!table) {
                table = new CueTable(m_store, project.id, true, viewport());
                table->installEventFilter(this);
                m_cueTables.insert(project.id, table);
            }
            shown.insert(project.id);
            entry.tableHeight = std::max(0, table->sizeHint().height());
            // The spring overshoots a little; a closing table never takes less than no room.
            entry.cueHeight = std::max<qreal>(0, (entry.tableHeight + cueBottomInset) * openness(project.id));
            y += entry.cueHeight;
        }
        y += 1; // the rule under every project
        m_entries.append(entry);
    }
    m_contentHeight = y + bottomInset;

    // Tables of rows that closed or left the list go; their ids stay in m_expanded.
    for (auto it = m_cueTables.begin(); it != m_cueTables.end();) {
        if (!shown.contains(it.key())) {
            CueTable* gone = it.value();
            gone->hide();
            // A table whose drag still runs its event loop goes when the drag is over.
            if (gone->draggingID())
                connect(gone, &CueTable::dragFinished, gone, &QObject::deleteLater);
            else
                gone->deleteLater();
            it = m_cueTables.erase(it);
        } else {
            ++it;
        }
    }

    const QSize view = viewport()->size();
    verticalScrollBar()->setPageStep(view.height());
    verticalScrollBar()->setRange(0, std::max(0, int(std::ceil(m_contentHeight)) - view.height()));
    horizontalScrollBar()->setPageStep(view.width());
    horizontalScrollBar()->setRange(0, std::max(0, int(std::ceil(contentWidth() + 2 * sideInset)) - view.width()));
    placeCueTables();
    viewport()->update();
    hoverUnderPointer();
}

void ProjectListView::placeCueTables() {
    const QPointF offset = contentOffset();
    const qreal width = contentWidth();
    for (int i = 0; i < m_sorted.size(); ++i) {
        CueTable* table = m_cueTables.value(m_sorted.at(i).id);
        if (!table)
            continue;
        const Entry& entry = m_entries.at(i);
        const QRectF area(offset.x() + cueInset, offset.y() + entry.top + ProjectListRow::height, width - cueInset,
                          entry.tableHeight);
        table->setGeometry(area.toAlignedRect());
        // While the table moves, only the part above the next row shows, fading with it.
        const QVariantAnimation* motion = m_motions.value(m_sorted.at(i).id);
        const int visible = int(std::ceil(std::min(entry.tableHeight, entry.cueHeight)));
        if (visible <= 0) {
            table->hide();
            continue;
        }
        if (visible < table->height())
            table->setMask(QRect(0, 0, table->width(), visible));
        else
            table->clearMask();
        if (motion) {
            auto* fade = qobject_cast<QGraphicsOpacityEffect*>(table->graphicsEffect());
            if (!fade) {
                fade = new QGraphicsOpacityEffect(table);
                table->setGraphicsEffect(fade);
            }
            fade->setOpacity(std::clamp(openness(m_sorted.at(i).id), 0.0, 1.0));
        } else if (table->graphicsEffect()) {
            table->setGraphicsEffect(nullptr);
        }
        table->show();
    }
}

QRectF ProjectListView::headerRect() const {
    const QPointF offset = contentOffset();
    return {offset.x(), offset.y(), contentWidth(), headerHeight};
}

QRectF ProjectListView::rowRect(int index) const {
    if (index < 0 || index >= m_entries.size())
        return {};
    const QPointF offset = contentOffset();
    return {offset.x(), offset.y() + m_entries.at(index).top, contentWidth(), ProjectListRow::height};
}

int ProjectListView::rowAt(const QPointF& point) const {
    const qreal y = point.y() - contentOffset().y();
    const auto after = std::upper_bound(m_entries.cbegin(), m_entries.cend(), y,
                                        [](qreal value, const Entry& entry) { return value < entry.top; });
    if (after == m_entries.cbegin())
        return -1;
    const int index = int(std::distance(m_entries.cbegin(), after)) - 1;
    return rowRect(index).contains(point) ? index : -1;
}

std::optional<ProjectSort> ProjectListView::columnAt(const QPointF& point) const {
    const QRectF header = headerRect();
    if (!header.contains(point))
        return std::nullopt;
    const auto cells = ProjectListColumns::frames(header);
    const auto& columns = ProjectListColumns::all();
    for (std::size_t i = 0; i < ProjectListColumns::count; ++i) {
        if (!columns[i].title.isEmpty() && point.x() >= cells[i].left() && point.x() < cells[i].right())
            return columns[i].sort;
    }
    return std::nullopt;
}

void ProjectListView::paintHeader(QPainter& painter, const QRectF& rect) const {
    Shapes::fillRounded(painter, rect, 8, Studio::bg1());
    const auto cells = ProjectListColumns::frames(rect);
    const QFont font = Studio::font(11, Studio::Weight::Semibold);
    const QFontMetricsF metrics(font);
    const QColor tint = Studio::tint(this);
    const qreal chevronSide = Symbols::sideForFontSize(8);
    const auto& columns = ProjectListColumns::all();
    for (std::size_t i = 0; i < ProjectListColumns::count; ++i) {
        const QString& title = columns[i].title;
        if (title.isEmpty() || cells[i].isEmpty())
            continue;
        const bool current = m_sort.sort == columns[i].sort;
        const qreal textWidth = Shapes::textWidth(font, title);
        const qreal labelWidth = textWidth + (current ? 3 + chevronSide : 0);
        const QRectF cell = cells[i];
        // The name's title stands over the name, the others over the middle of their cells.
        const qreal left = i == ProjectListColumns::flexible ? cell.left() + 9 : cell.center().x() - labelWidth / 2;
        const QColor color = current ? tint : Studio::text3();
        const qreal baseline = cell.center().y() + (metrics.ascent() - metrics.descent()) / 2;
        Shapes::drawLine(painter, font, color, {left, baseline}, title, textWidth + 1);
        if (current)
            Symbols::paintForFont(painter, {left + textWidth + 3 + chevronSide / 2, cell.center().y()}, 8,
                                  m_sort.ascending ? QStringLiteral("chevron.up") : QStringLiteral("chevron.down"),
                                  color, Studio::Weight::Bold);
    }
}

void ProjectListView::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF dirty = event->rect();
    const QRectF header = headerRect();
    if (header.intersects(dirty))
        paintHeader(painter, header);

    const QPointF offset = contentOffset();
    const QColor tint = Studio::tint(this);
    const qreal width = contentWidth();
    const QSet<QUuid>& selection = m_router.selection();
    // Rows are sorted by position: find the first one that reaches the dirty area.
    const qreal top = dirty.top() - offset.y();
    auto first = std::upper_bound(m_entries.cbegin(), m_entries.cend(), top,
                                  [](qreal value, const Entry& entry) { return value < entry.top; });
    int index = first == m_entries.cbegin() ? 0 : int(std::distance(m_entries.cbegin(), first)) - 1;
    for (; index < m_entries.size(); ++index) {
        const Entry& entry = m_entries.at(index);
        const qreal y = offset.y() + entry.top;
        if (y > dirty.bottom())
            break;
        const AudioProject& project = m_sorted.at(index);
        const ProjectListRow row{project,
                                 selection.contains(project.id),
                                 m_expanded.contains(project.id),
                                 m_hovered == project.id,
                                 m_store.registry().type(project.typeID),
                                 openness(project.id)};
        row.paint(painter, QRectF(offset.x(), y, width, ProjectListRow::height), tint);

        qreal ruleY = y + ProjectListRow::height;
        if (entry.cueHeight > 0) {
            const QRectF area(offset.x() + cueInset, ruleY, width - cueInset,
                              std::min(entry.tableHeight, entry.cueHeight));
            painter.fillRect(area, Studio::bg2());
            painter.fillRect(QRectF(area.left(), area.top(), 3, area.height()), row.typeColor());
            ruleY += entry.cueHeight;
        }
        painter.fillRect(QRectF(offset.x(), ruleY, width, 1), Studio::faded(Studio::line(), 0.6));
    }
}

void ProjectListView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    relayout();
    m_reveal->pageChanged();
}

void ProjectListView::scrollContentsBy(int, int) {
    placeCueTables();
    viewport()->update();
    hoverUnderPointer();
}

void ProjectListView::setHovered(std::optional<QUuid> id) {
    if (m_hovered == id)
        return;
    m_hovered = id;
    viewport()->update();
}

void ProjectListView::hoverUnderPointer() {
    const std::optional<QPoint> pointer = PointerHover::pointerOn(viewport());
    const int row = pointer ? rowAt(*pointer) : -1;
    setHovered(row >= 0 ? std::optional(m_sorted.at(row).id) : std::nullopt);
}

void ProjectListView::mouseMoveEvent(QMouseEvent* event) {
    const int row = rowAt(event->position());
    setHovered(row >= 0 ? std::optional(m_sorted.at(row).id) : std::nullopt);
    QAbstractScrollArea::mouseMoveEvent(event);
}

void ProjectListView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    m_pressedRow = rowAt(event->position());
    m_pressedChevron =
        m_pressedRow >= 0 && ProjectListRow::chevronRect(rowRect(m_pressedRow)).contains(event->position());
    event->accept();
}

void ProjectListView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mouseReleaseEvent(event);
        return;
    }
    const QPointF position = event->position();
    const int pressed = std::exchange(m_pressedRow, -1);
    const bool chevron = std::exchange(m_pressedChevron, false);
    if (pressed < 0) {
        if (const auto column = columnAt(position))
            clickColumn(*column);
        return;
    }
    if (rowAt(position) != pressed)
        return;
    const QUuid id = m_sorted.at(pressed).id;
    if (chevron && ProjectListRow::chevronRect(rowRect(pressed)).contains(position))
        toggle(id);
    else if (!chevron && m_select)
        m_select(id, event->modifiers());
}

void ProjectListView::contextMenuEvent(QContextMenuEvent* event) {
    const int row = rowAt(event->pos());
    if (row < 0 || !m_menu)
        return;
    ShelfContextMenu::exec(this, m_menu(m_sorted.at(row)), event->globalPos());
}

bool ProjectListView::eventFilter(QObject* watched, QEvent* event) {
    // The pointer left the rows for an opened cue table; the viewport hears no Leave for that.
    if (event->type() == QEvent::Enter && qobject_cast<CueTable*>(watched))
        setHovered(std::nullopt);
    return QAbstractScrollArea::eventFilter(watched, event);
}

bool ProjectListView::viewportEvent(QEvent* event) {
    switch (event->type()) {
    case QEvent::LayoutRequest:
        // An opened cue table grew or shrank (a cue added or deleted).
        relayout();
        break;
    case QEvent::Leave: setHovered(std::nullopt); break;
    case QEvent::ToolTip: {
        auto* help = static_cast<QHelpEvent*>(event);
        const int row = rowAt(help->pos());
        if (row >= 0 && ProjectListRow::chevronRect(rowRect(row)).contains(help->pos())) {
            const ProjectListRow hovered{m_sorted.at(row), false, m_expanded.contains(m_sorted.at(row).id), false};
            QToolTip::showText(help->globalPos(), hovered.chevronHelp(), viewport());
        } else {
            QToolTip::hideText();
        }
        return true;
    }
    default: break;
    }
    return QAbstractScrollArea::viewportEvent(event);
}

} // namespace sorvel
