#pragma once

#include "app/library/ShelfContextMenu.h"
#include "app/library/ShelfSummaryRow.h"
#include "core/AudioProject.h"

#include <QList>
#include <QWidget>

class QStackedWidget;

namespace sorvel {

class AppRouter;
class CassetteGrid;
class ProjectListView;
class ProjectStore;
class Settings;
class ShelfEmptyState;
class ShelfHeader;
class ShelfSummaryRow;

// The page beside the sidebar for every destination but the calendar: the
// header and summary, then the tapes of the destination as cassettes or as
// the list (the `shelfMode` setting), or the empty page when there are none.
// It changes no project itself: clicks go to the router, and the context
// menu's actions to the store.
class TapeShelf final : public QWidget {
    Q_OBJECT
public:
    static constexpr int sideMargin = 24;
    // The narrowest shelf that keeps its header and its summary tiles whole.
    static constexpr int minimumWidth = ShelfSummaryRow::minimumWidth + 2 * sideMargin;

    enum class Content { Empty, Grid, List };

    TapeShelf(ProjectStore& store, AppRouter& router, Settings& settings, QWidget* parent = nullptr);

    // What the page shows for a number of tapes and a stored mode.
    static Content contentFor(qsizetype tapeCount, const QString& shelfMode);

    // The tapes of the current destination in shelf order.
    QList<AudioProject> projects() const;
    // One click on a tape.
    void select(const QUuid& id, Qt::KeyboardModifiers modifiers);
    QList<ShelfMenuItem> contextMenu(const AudioProject& project);

    Content content() const { return m_content; }
    ShelfHeader* header() const { return m_header; }
    ShelfSummaryRow* summary() const { return m_summary; }
    ShelfEmptyState* emptyState() const { return m_empty; }
    CassetteGrid* grid() const { return m_grid; }
    ProjectListView* list() const { return m_list; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void refresh();

    ProjectStore& m_store;
    AppRouter& m_router;
    Settings& m_settings;
    ShelfHeader* m_header;
    ShelfSummaryRow* m_summary;
    QStackedWidget* m_pages;
    ShelfEmptyState* m_empty;
    CassetteGrid* m_grid;
    ProjectListView* m_list;
    Content m_content = Content::Empty;
    qsizetype m_tapeCount = 0; // of the last refresh, which every change of the projects brings
};

} // namespace sorvel
