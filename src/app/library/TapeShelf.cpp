#include "app/library/TapeShelf.h"

#include "app/library/CassetteGrid.h"
#include "app/library/ProjectListView.h"
#include "app/library/ShelfEmptyState.h"
#include "app/library/ShelfHeader.h"
#include "app/library/ShelfMode.h"
#include "app/library/ShelfOrdering.h"
#include "app/library/ShelfSummaryRow.h"
#include "app/library/TapeSelection.h"
#include "app/navigation/AppRouter.h"
#include "app/store/ProjectStore.h"
#include "core/Settings.h"
#include "studio/Studio.h"

#include <QPainter>
#include <QScrollBar>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace sorvel {

TapeShelf::TapeShelf(ProjectStore& store, AppRouter& router, Settings& settings, QWidget* parent)
    : QWidget(parent), m_store(store), m_router(router), m_settings(settings) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addSpacing(28);

    m_header = new ShelfHeader(store, router, settings, this);
    auto* headerBox = new QVBoxLayout;
    headerBox->setContentsMargins(sideMargin, 0, sideMargin, 12);
    headerBox->addWidget(m_header);
    column->addLayout(headerBox);

    m_summary = new ShelfSummaryRow(store, router, this);
    auto* summaryBox = new QVBoxLayout;
    summaryBox->setContentsMargins(sideMargin, 0, sideMargin, 16);
    summaryBox->addWidget(m_summary);
    column->addLayout(summaryBox);

    m_pages = new QStackedWidget(this);
    m_empty = new ShelfEmptyState(router, store.registry(), m_pages);
    m_grid = new CassetteGrid(router, store.registry(), m_pages);
    m_list = new ProjectListView(store, router, m_pages);
    m_pages->addWidget(m_empty);
    m_pages->addWidget(m_grid);
    m_pages->addWidget(m_list);
    column->addWidget(m_pages, 1);

    const auto select = [this](const QUuid& id, Qt::KeyboardModifiers modifiers) { this->select(id, modifiers); };
    const auto menu = [this](const AudioProject& project) { return contextMenu(project); };
    m_grid->setSelect(select);
    m_grid->setMenu(menu);
    m_list->setSelect(select);
    m_list->setMenu(menu);

    connect(&m_store, &ProjectStore::projectsChanged, this, &TapeShelf::refresh);
    // A file without tapes changes no projects, yet the shelf is now known to be empty.
    connect(&m_store, &ProjectStore::firstReadFinished, this, &TapeShelf::refresh);
    connect(&m_store.registry(), &TypeRegistry::typesChanged, this, &TapeShelf::refresh);
    connect(&m_router, &AppRouter::sidebarChanged, this, [this] {
        // Another destination starts at its first tapes.
        m_grid->verticalScrollBar()->setValue(0);
        m_list->verticalScrollBar()->setValue(0);
        refresh();
    });
    // The selection only changes the header's hint and the highlight the pages paint themselves.
    connect(&m_router, &AppRouter::selectionChanged, this, [this] { m_header->refresh(m_tapeCount); });
    connect(&m_settings, &Settings::changed, this, [this](const QString& key) {
        if (key == ShelfMode::key())
            refresh();
    });
    refresh();
}

TapeShelf::Content TapeShelf::contentFor(qsizetype tapeCount, const QString& shelfMode) {
    if (tapeCount == 0)
        return Content::Empty;
    return ShelfMode::showsList(shelfMode) ? Content::List : Content::Grid;
}

QList<AudioProject> TapeShelf::projects() const {
    return ShelfOrdering::projects(m_store.projects(), m_router.sidebar());
}

void TapeShelf::select(const QUuid& id, Qt::KeyboardModifiers modifiers) {
    TapeSelection::click(m_router, id, modifiers);
}

QList<ShelfMenuItem> TapeShelf::contextMenu(const AudioProject& project) {
    return ShelfContextMenu::items(project, m_store, m_router);
}

void TapeShelf::refresh() {
    const QList<AudioProject> tapes = projects();
    m_tapeCount = tapes.size();
    m_header->refresh(m_tapeCount);
    m_summary->refresh();

    const Content next = contentFor(tapes.size(), ShelfMode::stored(m_settings));
    // A list that appears anew starts with its own sort and no opened rows.
    if (next == Content::List && m_content != Content::List)
        m_list->reset();
    m_content = next;
    switch (next) {
    case Content::Empty:
        m_empty->refresh(!m_store.hasStarted());
        m_pages->setCurrentWidget(m_empty);
        break;
    case Content::Grid:
        m_grid->setProjects(tapes);
        m_pages->setCurrentWidget(m_grid);
        break;
    case Content::List:
        m_list->setProjects(tapes);
        m_pages->setCurrentWidget(m_list);
        break;
    }
}

void TapeShelf::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Studio::bg0());
}

} // namespace sorvel
