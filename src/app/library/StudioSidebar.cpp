#include "app/library/StudioSidebar.h"

#include "app/library/ShelfTexts.h"
#include "app/navigation/AppRouter.h"
#include "app/store/ProjectStore.h"
#include "core/TypeRegistry.h"
#include "core/UserText.h"
#include "studio/ReelView.h"
#include "studio/Shapes.h"
#include "studio/SilentScrollColumn.h"
#include "studio/Studio.h"
#include "studio/StudioButton.h"
#include "studio/StudioLabel.h"
#include "studio/Symbols.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QScrollBar>
#include <QVBoxLayout>

#include <algorithm>

namespace sorvel {

namespace {

constexpr int rowOuterInset = 8; // the list's inset inside the sidebar
constexpr int rowInset = 10;
constexpr int rowHeight = 32;

// "LIBRARY 资料库": an English tag and its Chinese title over a group of rows.
class GroupTitle final : public QWidget {
public:
    GroupTitle(const QString& tag, const QString& title, int extraTop, QWidget* parent)
        : QWidget(parent), m_tag(tag), m_title(title), m_extraTop(extraTop) {
        setFixedHeight(m_extraTop + QFontMetrics(Studio::font(10)).height() + 4);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        QFont tagFont = Studio::font(10, Studio::Weight::Semibold, true);
        tagFont.setLetterSpacing(QFont::AbsoluteSpacing, 1.5);
        const QFont titleFont = Studio::font(10);
        const qreal baseline = height() - 4 - QFontMetricsF(titleFont).descent();
        const qreal x = rowOuterInset + rowInset;
        const qreal tagWidth = Shapes::drawLine(painter, tagFont, Studio::text3(), {x, baseline}, m_tag, width());
        Shapes::drawLine(painter, titleFont, Studio::text3(), {x + tagWidth + 6, baseline}, m_title, width());
    }

private:
    QString m_tag;
    QString m_title;
    int m_extraTop;
};

// "管理类型": a chrome-less button of symbol and text in the tertiary colour.
class ManageTypesButton final : public QAbstractButton {
public:
    explicit ManageTypesButton(QWidget* parent) : QAbstractButton(parent) {
        setText(QStringLiteral("管理类型"));
        setCursor(Qt::PointingHandCursor);
        setFixedHeight(6 + 18 + 6);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setOpacity(isDown() ? 0.7 : 1.0);
        const QFont font = Studio::font(12);
        const qreal x = rowOuterInset + rowInset;
        const qreal mid = height() / 2.0;
        Symbols::paintForFont(painter, {x + 7, mid}, 12, QStringLiteral("slider.horizontal.3"), Studio::text3());
        const QFontMetricsF metrics(font);
        Shapes::drawLine(painter, font, Studio::text3(), {x + 20, mid + (metrics.ascent() - metrics.descent()) / 2},
                         text(), width() - x - 20);
    }
};

} // namespace

SidebarRow::SidebarRow(const SidebarItem& item, ProjectStore& store, AppRouter& router, QWidget* parent)
    : QAbstractButton(parent), m_item(item), m_store(store), m_router(router) {
    setFixedHeight(rowHeight);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setFocusPolicy(Qt::NoFocus);
}

void SidebarRow::recount() {
    m_countText.reset();
    update();
}

const QString& SidebarRow::countText() const {
    // No count until the file is read: it would only say 00.
    if (!m_countText)
        m_countText = m_store.hasStarted() ? StudioSidebar::countText(m_item, m_store.projects()) : QString();
    return *m_countText;
}

bool SidebarRow::isCurrent() const {
    return m_router.sidebar() == m_item;
}

QSize SidebarRow::sizeHint() const {
    return {StudioSidebar::fixedWidth, rowHeight};
}

QColor SidebarRow::symbolColor(bool current) const {
    if (m_item.kind == SidebarItem::Kind::Type)
        return Studio::typeColor(m_store.registry().type(m_item.typeID));
    return current ? Studio::text() : Studio::text2();
}

void SidebarRow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const bool current = isCurrent();
    const QColor tint = Studio::tint(this);
    const QRectF row = QRectF(rect()).adjusted(rowOuterInset, 0, -rowOuterInset, 0);

    if (current) {
        Shapes::fillRounded(painter, row, 8, Studio::bg3());
        Shapes::fillCapsule(painter, QRectF(row.left() - 4, row.center().y() - 7, 3, 14), tint);
    }

    const qreal mid = row.center().y();
    const qreal symbolLeft = row.left() + rowInset;
    Symbols::paintForFont(painter, {symbolLeft + 8, mid}, 12, m_item.symbol(m_store.registry()), symbolColor(current),
                          Studio::Weight::Semibold);

    const QString& count = countText();
    const QFont countFont = Studio::font(11, Studio::Weight::Regular, true);
    const qreal countWidth = count.isEmpty() ? 0 : Shapes::textWidth(countFont, count);
    const qreal right = row.right() - rowInset;
    if (!count.isEmpty()) {
        const QFontMetricsF metrics(countFont);
        Shapes::drawLine(painter, countFont, current ? tint : Studio::text3(),
                         {right - countWidth, mid + (metrics.ascent() - metrics.descent()) / 2}, count, countWidth + 1);
    }

    const QFont titleFont = Studio::font(13, current ? Studio::Weight::Semibold : Studio::Weight::Regular);
    const QFontMetricsF titleMetrics(titleFont);
    const qreal titleLeft = symbolLeft + 16 + 9;
    const qreal titleWidth = right - titleLeft - (countWidth > 0 ? countWidth + 8 : 0);
    Shapes::drawLine(painter, titleFont, current ? Studio::text() : Studio::text2(),
                     {titleLeft, mid + (titleMetrics.ascent() - titleMetrics.descent()) / 2},
                     UserText::singleLine(m_item.title(m_store.registry())), titleWidth);
}

StudioSidebar::StudioSidebar(ProjectStore& store, AppRouter& router, QWidget* parent)
    : QWidget(parent), m_store(store), m_router(router) {
    setFixedWidth(fixedWidth);
    setAutoFillBackground(false);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addSpacing(40);

    auto* header = new QHBoxLayout;
    header->setContentsMargins(16, 0, 16, 18);
    header->setSpacing(8);
    header->addWidget(new ReelView(0.7, 22, false, this));
    QFont brandFont = Studio::font(14, Studio::Weight::Bold, true);
    brandFont.setLetterSpacing(QFont::AbsoluteSpacing, 2);
    header->addWidget(Studio::plainLabel(QStringLiteral("SORVEL"), brandFont, Studio::text(), this));
    header->addStretch(1);
    column->addLayout(header);

    auto* scroll = new SilentScrollColumn(this);
    QWidget* content = scroll->content();
    m_list = scroll->column();
    m_list->setSpacing(2);
    m_list->addWidget(new GroupTitle(QStringLiteral("LIBRARY"), QStringLiteral("资料库"), 0, content));
    for (const SidebarItem& item :
         {SidebarItem::active(), SidebarItem::done(), SidebarItem::archived(), SidebarItem::calendar()})
        m_libraryRows.append(addRow(item, m_list->count()));
    m_list->addWidget(new GroupTitle(QStringLiteral("TYPES"), QStringLiteral("类型"), 16, content));
    m_typeRowsStart = m_list->count();
    auto* manage = new ManageTypesButton(content);
    m_list->addWidget(manage);
    m_list->addStretch(1);
    column->addWidget(scroll, 1);

    column->addWidget(makeFooter(), 0);

    connect(manage, &QAbstractButton::clicked, this, [this] { m_router.setShowingTypeEditor(true); });
    connect(&m_store.registry(), &TypeRegistry::typesChanged, this, &StudioSidebar::rebuildTypeRows);
    const auto recount = [this] {
        for (SidebarRow* row : rows())
            row->recount();
    };
    connect(&m_store, &ProjectStore::projectsChanged, this, recount);
    connect(&m_store, &ProjectStore::firstReadFinished, this, recount);
    connect(&m_router, &AppRouter::sidebarChanged, this, &StudioSidebar::repaintRows);
    rebuildTypeRows();
}

qint64 StudioSidebar::count(const SidebarItem& item, const QList<AudioProject>& projects) {
    return std::count_if(projects.cbegin(), projects.cend(),
                         [&item](const AudioProject& project) { return item.includes(project); });
}

QString StudioSidebar::countText(const SidebarItem& item, const QList<AudioProject>& projects) {
    if (item.kind == SidebarItem::Kind::Calendar)
        return {};
    return ShelfTexts::paddedCount(count(item, projects));
}

QList<SidebarRow*> StudioSidebar::rows() const {
    return m_libraryRows + m_typeRows;
}

SidebarRow* StudioSidebar::addRow(const SidebarItem& item, int index) {
    auto* row = new SidebarRow(item, m_store, m_router, m_list->parentWidget());
    m_list->insertWidget(index, row);
    connect(row, &QAbstractButton::clicked, this, [this, item] { choose(item); });
    return row;
}

void StudioSidebar::choose(const SidebarItem& item) {
    m_router.setSidebar(item);
    m_router.setSelection({});
}

void StudioSidebar::rebuildTypeRows() {
    qDeleteAll(m_typeRows);
    m_typeRows.clear();
    int index = m_typeRowsStart;
    for (const ProjectType& type : m_store.registry().types())
        m_typeRows.append(addRow(SidebarItem::type(type.id), index++));
}

void StudioSidebar::repaintRows() {
    for (SidebarRow* row : rows())
        row->update();
}

QWidget* StudioSidebar::makeFooter() {
    auto* footer = new QWidget(this);
    auto* row = new QHBoxLayout(footer);
    row->setContentsMargins(12, 12, 12, 12);
    row->setSpacing(6);
    auto* create = new StudioButton(QStringLiteral("新建磁带"), QStringLiteral("plus"), {true, false}, footer);
    create->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    auto* settings = new StudioButton(QString(), QStringLiteral("gearshape"), {false, false}, footer);
    settings->setToolTip(QStringLiteral("设置"));
    row->addWidget(create, 1);
    row->addWidget(settings, 0);
    connect(create, &QAbstractButton::clicked, this, [this] { m_router.setShowingNewProject(true); });
    connect(settings, &QAbstractButton::clicked, this, &StudioSidebar::settingsRequested);
    return footer;
}

void StudioSidebar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Studio::bg1());
}

} // namespace sorvel
