#include "app/panel/EdgePanelView.h"

#include "app/panel/EdgePanelController.h"
#include "app/panel/NewTapeRow.h"
#include "app/panel/PanelEmptyState.h"
#include "app/panel/PanelTabButton.h"
#include "app/panel/PanelTape.h"
#include "app/store/ProjectStore.h"
#include "core/DrawnOrder.h"
#include "core/Settings.h"
#include "core/SorvelLinks.h"
#include "core/StudioText.h"
#include "core/UserText.h"
#include "studio/PanelMaterial.h"
#include "studio/ReelView.h"
#include "studio/Shapes.h"
#include "studio/Studio.h"
#include "studio/StudioButton.h"
#include "studio/StudioLabel.h"
#include "studio/SymbolTileButton.h"

#include <QApplication>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

#include <algorithm>

namespace sorvel {

namespace {

using Records = std::vector<const AudioProject*>;

bool waitsForArchive(const AudioProject& project) {
    return !project.archivedAt && project.status == ProjectStatus::Done;
}

// Newer completion first; a tape without a completion date counts as finished long ago.
bool completedLater(const AudioProject& a, const AudioProject& b) {
    if (!a.completedAt)
        return false;
    return !b.completedAt || *a.completedAt > *b.completedAt;
}

// The records a tab lists, in its order. Addresses only: copying every record
// of a large library costs far more than placing it.
Records listed(const QList<AudioProject>& projects, EdgePanelView::Tab tab) {
    const bool active = tab == EdgePanelView::Tab::Active;
    Records records;
    for (const AudioProject& project : projects) {
        if (active ? project.isActive() : waitsForArchive(project))
            records.push_back(&project);
    }
    const auto order = active ? precedesOnShelf : completedLater;
    std::stable_sort(records.begin(), records.end(),
                     [order](const AudioProject* a, const AudioProject* b) { return order(*a, *b); });
    return records;
}

// `records` in the order DrawnOrder keeps for the tapes drawn as `drawn`.
// The longest run at either end that is already drawn in place stays as it
// is (the ids it holds take the lowest or the highest ranks), so an edit
// costs in proportion to how far its tape moves.
Records keptInDrawnOrder(const QList<QUuid>& drawn, const Records& records) {
    const qsizetype count = qsizetype(records.size());
    qsizetype head = 0;
    while (head < count && head < drawn.size() && records.at(size_t(head))->id == drawn.at(head))
        ++head;
    qsizetype tail = 0;
    while (tail < count - head && tail < drawn.size() - head
           && records.at(size_t(count - 1 - tail))->id == drawn.at(drawn.size() - 1 - tail))
        ++tail;
    if (head + tail == count)
        return records;

    // Stand-ins that carry only the id spare DrawnOrder copying whole records.
    QList<AudioProject> standIns(count - head - tail);
    QHash<QUuid, const AudioProject*> byID;
    byID.reserve(standIns.size());
    for (qsizetype i = 0; i < standIns.size(); ++i) {
        const AudioProject* record = records.at(size_t(head + i));
        standIns[i].id = record->id;
        byID.insert(record->id, record);
    }
    Records kept(records.begin(), records.begin() + head);
    kept.reserve(records.size());
    for (const AudioProject& standIn : DrawnOrder::keep(drawn.mid(head, drawn.size() - head - tail), standIns))
        kept.push_back(byID.value(standIn.id));
    kept.insert(kept.end(), records.end() - tail, records.end());
    return kept;
}

} // namespace

EdgePanelView::EdgePanelView(EdgePanelController& controller, QWidget* parent)
    : QWidget(parent), m_controller(controller) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(14, 14, 14, 14);
    column->setSpacing(12);
    column->addWidget(buildHeader());
    column->addWidget(buildTabs());

    const QList<ProjectType>& types = controller.store().registry().types();
    m_addRow = new NewTapeRow(controller.store(), types.isEmpty() ? ProjectType::otherID : types.first().id, this);
    m_addRow->hide();
    connect(m_addRow, &NewTapeRow::createRequested, this, &EdgePanelView::createTape);
    column->addWidget(m_addRow);

    auto* listArea = new QWidget(this);
    auto* overlay = new QGridLayout(listArea);
    overlay->setContentsMargins(0, 0, 0, 0);
    m_scroll = new QScrollArea(listArea);
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scroll->setWidgetResizable(true);
    m_scroll->viewport()->setAutoFillBackground(false);
    auto* content = new QWidget(m_scroll);
    m_list = new QVBoxLayout(content);
    m_list->setContentsMargins(0, 0, 0, 4);
    m_list->setSpacing(8);
    m_list->addStretch();
    m_scroll->setWidget(content);
    content->setAutoFillBackground(false); // setWidget turned it on; the panel's material shows through
    // Queued: the scroll range moves while the tapes are being placed.
    connect(m_scroll->verticalScrollBar(), &QScrollBar::valueChanged, this, &EdgePanelView::buildMore,
            Qt::QueuedConnection);
    connect(m_scroll->verticalScrollBar(), &QScrollBar::rangeChanged, this, &EdgePanelView::buildMore,
            Qt::QueuedConnection);
    m_scroll->viewport()->installEventFilter(this);
    m_empty = new PanelEmptyState(listArea);
    overlay->addWidget(m_scroll, 0, 0);
    overlay->addWidget(m_empty, 0, 0, Qt::AlignCenter);
    column->addWidget(listArea, 1);

    m_footer = new StudioButton(QString(), QStringLiteral("archivebox"), StudioButtonStyle{true, false}, this);
    m_footer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    connect(m_footer, &QPushButton::clicked, this, [this] { m_controller.openLink(SorvelLinks::archiveDone()); });
    column->addWidget(m_footer);

    connect(&controller.store(), &ProjectStore::projectsChanged, this,
            [this] { refresh(m_controller.store().lastChange()); });
    // A file without tapes changes no projects, yet the tabs are now known to be empty.
    connect(&controller.store(), &ProjectStore::firstReadFinished, this, [this] { refresh(); });
    connect(&controller.store().registry(), &TypeRegistry::typesChanged, this, [this] {
        for (QWidget* child : findChildren<QWidget*>())
            child->update();
    });
    connect(&controller.settings(), &Settings::changed, this, [this](const QString& key) {
        if (key == tintKey || key == materialKey)
            update();
    });
    connect(&controller, &EdgePanelController::pinnedChanged, this, &EdgePanelView::showPin);
    refresh();
}

QWidget* EdgePanelView::buildHeader() {
    constexpr qreal headerSymbolSize = 11;
    auto* header = new QWidget(this);
    auto* row = new QHBoxLayout(header);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(6);
    row->addWidget(new ReelView(0.7, 18, false, header));
    QFont brandFont = Studio::font(12, Studio::Weight::Bold, true);
    brandFont.setLetterSpacing(QFont::AbsoluteSpacing, 2);
    row->addWidget(Studio::plainLabel(QStringLiteral("SORVEL"), brandFont, Studio::text(), header));
    row->addStretch();

    m_addButton = new SymbolTileButton(QStringLiteral("plus"), headerSymbolSize, QStringLiteral("新建磁带"), header);
    connect(m_addButton, &QAbstractButton::clicked, this, &EdgePanelView::toggleAddRow);
    m_pinButton =
        new SymbolTileButton(QStringLiteral("pin"), headerSymbolSize, QStringLiteral("固定面板，不自动收起"), header);
    connect(m_pinButton, &QAbstractButton::clicked, this, [this] { m_controller.setPinned(!m_controller.isPinned()); });
    m_windowButton =
        new SymbolTileButton(QStringLiteral("macwindow"), headerSymbolSize, QStringLiteral("打开主窗口"), header);
    connect(m_windowButton, &QAbstractButton::clicked, this,
            [this] { m_controller.openLink(SorvelLinks::mainWindow()); });
    row->addWidget(m_addButton);
    row->addWidget(m_pinButton);
    row->addWidget(m_windowButton);
    showPin();
    return header;
}

QWidget* EdgePanelView::buildTabs() {
    auto* tabs = new QWidget(this);
    auto* row = new QHBoxLayout(tabs);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(4);
    m_activeTab = new PanelTabButton(title(Tab::Active), tabs);
    m_doneTab = new PanelTabButton(title(Tab::Done), tabs);
    connect(m_activeTab, &QAbstractButton::clicked, this, [this] { setTab(Tab::Active); });
    connect(m_doneTab, &QAbstractButton::clicked, this, [this] { setTab(Tab::Done); });
    row->addWidget(m_activeTab);
    row->addWidget(m_doneTab);
    return tabs;
}

QList<AudioProject> EdgePanelView::rows(const QList<AudioProject>& projects, Tab tab) {
    QList<AudioProject> shown;
    for (const AudioProject* project : listed(projects, tab))
        shown.append(*project);
    return shown;
}

qsizetype EdgePanelView::count(const QList<AudioProject>& projects, Tab tab) {
    if (tab == Tab::Active)
        return std::count_if(projects.cbegin(), projects.cend(), [](const AudioProject& p) { return p.isActive(); });
    return std::count_if(projects.cbegin(), projects.cend(), waitsForArchive);
}

QString EdgePanelView::countText(qsizetype count) {
    return StudioText::paddedCount(count);
}

QString EdgePanelView::title(Tab tab) {
    return tab == Tab::Active ? QStringLiteral("进行中") : QStringLiteral("已完成");
}

QString EdgePanelView::emptyText(Tab tab) {
    return tab == Tab::Active ? QStringLiteral("没有进行中的磁带") : QStringLiteral("没有待归档的磁带");
}

QString EdgePanelView::readingText() {
    return QStringLiteral("正在读取磁带…");
}

void EdgePanelView::setTab(Tab tab) {
    if (tab == m_tab)
        return;
    m_tab = tab;
    refresh();
}

void EdgePanelView::tapTape(const QUuid& id) {
    if (m_expandedID == id)
        m_expandedID.reset();
    else
        m_expandedID = id;
    for (PanelTape* tape : std::as_const(m_tapes))
        tape->setExpanded(m_expandedID == tape->project().id);
}

bool EdgePanelView::isAdding() const {
    return m_adding;
}

void EdgePanelView::toggleAddRow() {
    m_adding = !m_adding;
    m_addButton->setSymbol(m_adding ? QStringLiteral("xmark") : QStringLiteral("plus"));
    m_addRow->nameField()->clear();
    m_addRow->setVisible(m_adding);
    if (m_adding) {
        // The panel shows without the keyboard; asking for a new tape gives it the keyboard.
        window()->activateWindow();
        m_addRow->nameField()->setFocus();
    } else {
        m_addRow->nameField()->clearFocus();
    }
}

QUuid EdgePanelView::addingTypeID() const {
    return m_addRow->typeID();
}

void EdgePanelView::createTape() {
    const QString name = UserText::trimmed(m_addRow->nameField()->text());
    if (name.isEmpty())
        return;
    // The chosen type may have been deleted meanwhile: the registry names the one that stands in for it.
    const AudioProject project = AudioProject::make(name, m_controller.store().registry().type(addingTypeID()).id);
    m_tab = Tab::Active;
    m_expandedID = project.id;
    m_controller.store().addProject(project);
    toggleAddRow();
    refresh();
}

PanelTabButton* EdgePanelView::tabButton(Tab tab) const {
    return tab == Tab::Active ? m_activeTab : m_doneTab;
}

void EdgePanelView::refresh(const ProjectChange& change) {
    const QList<AudioProject>& projects = m_controller.store().projects();
    // Until the file is read no tab is known to be empty.
    const bool reading = !m_controller.store().hasStarted();
    m_activeTab->setCountText(reading ? QString() : countText(count(projects, Tab::Active)));
    m_doneTab->setCountText(reading ? QString() : countText(count(projects, Tab::Done)));
    m_activeTab->setCurrent(m_tab == Tab::Active);
    m_doneTab->setCurrent(m_tab == Tab::Done);

    Records shown = listed(projects, m_tab);
    if (m_pointerOver)
        shown = keptInDrawnOrder(m_order, shown);
    m_order.clear();
    m_order.reserve(qsizetype(shown.size()));
    for (const AudioProject* project : shown)
        m_order.append(project->id);
    syncTapes(shown, change);
    m_empty->setText(reading ? readingText() : emptyText(m_tab));
    m_empty->setVisible(shown.empty());
    m_footer->setText(QStringLiteral("全部归档 · ") + countText(qsizetype(shown.size())));
    m_footer->setVisible(m_tab == Tab::Done && !shown.empty());
}

void EdgePanelView::syncTapes(const std::vector<const AudioProject*>& shown, const ProjectChange& change) {
    // A tape that stays built keeps its widget, and with it a half-typed note.
    QHash<QUuid, PanelTape*> previous;
    for (PanelTape* tape : std::as_const(m_tapes))
        previous.insert(tape->project().id, tape);

    QList<PanelTape*> next;
    QList<PanelTape*> added;
    qsizetype built = std::min(qsizetype(shown.size()), m_wanted);
    // A tape being typed in stays built wherever the change moved it.
    const QWidget* focus = QApplication::focusWidget();
    for (auto tape = previous.cbegin(); focus && tape != previous.cend(); ++tape) {
        if (!tape.value()->isAncestorOf(focus))
            continue;
        const auto at = std::find_if(shown.begin(), shown.end(),
                                     [&](const AudioProject* project) { return project->id == tape.key(); });
        if (at != shown.end())
            built = std::max(built, qsizetype(at - shown.begin()) + 1);
    }
    next.reserve(built);
    for (qsizetype i = 0; i < built; ++i) {
        const AudioProject& project = *shown.at(size_t(i));
        PanelTape* tape = previous.take(project.id);
        if (!tape) {
            tape = new PanelTape(m_controller, project, m_scroll->widget());
            const QUuid id = project.id;
            connect(tape, &PanelTape::tapped, this, [this, id] { tapTape(id); });
            added << tape;
        } else if (change.touches(project.id)) {
            tape->setProject(project);
        }
        tape->setExpanded(m_expandedID == project.id);
        next << tape;
    }
    // Later, not now: the button that caused this change may sit in one of them.
    for (PanelTape* gone : std::as_const(previous)) {
        m_list->removeWidget(gone);
        gone->hide();
        gone->deleteLater();
    }
    placeTapes(next);
    for (PanelTape* tape : std::as_const(added))
        tape->show();
    m_tapes = next;
}

void EdgePanelView::placeTapes(const QList<PanelTape*>& next) {
    // Only the tapes not already in their place move; the layout ends with its stretch.
    for (qsizetype i = 0; i < next.size(); ++i) {
        PanelTape* tape = next.at(i);
        const QLayoutItem* item = m_list->itemAt(int(i));
        if (item && item->widget() == tape)
            continue;
        m_list->removeWidget(tape);
        m_list->insertWidget(int(i), tape);
    }
}

void EdgePanelView::buildMore() {
    if (m_tapes.size() >= m_order.size())
        return;
    const QScrollBar* bar = m_scroll->verticalScrollBar();
    if (bar->maximum() - bar->value() > m_scroll->viewport()->height())
        return;
    m_wanted = m_tapes.size() + pageSize;
    refresh();
}

bool EdgePanelView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_scroll->viewport() && event->type() == QEvent::Resize)
        QMetaObject::invokeMethod(this, &EdgePanelView::buildMore, Qt::QueuedConnection);
    return QWidget::eventFilter(watched, event);
}

void EdgePanelView::showPin() {
    const bool pinned = m_controller.isPinned();
    m_pinButton->setSymbol(pinned ? QStringLiteral("pin.fill") : QStringLiteral("pin"));
    m_pinButton->setActive(pinned);
}

void EdgePanelView::enterEvent(QEnterEvent* event) {
    QWidget::enterEvent(event);
    m_pointerOver = true;
}

void EdgePanelView::leaveEvent(QEvent* event) {
    QWidget::leaveEvent(event);
    m_pointerOver = false;
    refresh(); // the tapes take the order that changed under the pointer
}

void EdgePanelView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF panel(rect());
    const Settings& settings = m_controller.settings();
    PanelMaterials::paint(painter, panel,
                          panelMaterialOrDefault(settings.string(materialKey, QStringLiteral("popover"))), std::nullopt,
                          cornerRadius);
    Shapes::fillRounded(painter, panel, cornerRadius, Studio::faded(Studio::bg1(), 0.82));
    if (const std::optional<QColor> tint = Studio::color(settings.string(tintKey)))
        Shapes::fillRounded(painter, panel, cornerRadius, *tint);
    Shapes::strokeRoundedInside(painter, panel, cornerRadius, Studio::line(), 1);
}

} // namespace sorvel
