#pragma once

#include "app/detail/CueColumns.h"
#include "app/detail/CueFocus.h"

#include <QHash>
#include <QList>
#include <QPointer>
#include <QUuid>
#include <QWidget>

#include <functional>
#include <optional>

class QDrag;
class QDropEvent;
class QMimeData;

namespace sorvel {

class CueRow;
class CueTableFooter;
class DragAutoScroll;
class ProjectStore;

// The editable cues of one project: a header of column titles, one row per
// cue with a rule under each, and (when asked for) a footer that adds a cue
// and sums the cues up. The table looks its project up in the store and
// follows every change; without that project it shows nothing.
//
// Cues are reordered by dragging a row's handle: the drag carries the cue's
// id as text, and the dragged cue takes the place of each row the pointer
// reaches, while the pointer is still down; its row is hidden meanwhile and
// its place shown empty. Rows are kept per cue id and
// only moved, never rebuilt, so the drag's own row survives the moves. Held
// near the edge of the pane the table sits in, or with the wheel, the drag
// scrolls the pane, and the cue follows to the row then under the pointer.
class CueTable final : public QWidget {
    Q_OBJECT
public:
    static constexpr int headerHeight = 26;
    static constexpr int ruleHeight = 1;

    // What runs a drag once it has been set up; the default is QDrag::exec
    // with the move action. Tests pass one that plays the pointer's part.
    using DragRunner = std::function<Qt::DropAction(QDrag& drag)>;

    CueTable(ProjectStore& store, const QUuid& projectID, bool showsFooter, QWidget* parent = nullptr);

    const QUuid& projectID() const { return m_projectID; }
    bool showsFooter() const { return m_showsFooter; }
    // Whether the project exists, so that anything is shown.
    bool isShowingProject() const { return m_present; }

    // Moves the cue `from` to the place of the cue `to`; the project is not stamped.
    void move(const QUuid& from, const QUuid& to);
    // Appends a cue with the next number, then puts the keyboard in its title.
    void addCue();

    CueRow* row(const QUuid& cueID) const;
    // The rows in the order of the project's cues.
    QList<CueRow*> rows() const;
    std::optional<CueFocus> focus() const;
    CueTableFooter* footer() const { return m_footer; }
    // The cue whose drag started in this table and is still running.
    std::optional<QUuid> draggingID() const { return m_draggingID; }
    void setDragRunner(DragRunner runner) { m_dragRunner = std::move(runner); }
    // Starts dragging a cue as its handle does.
    void startDrag(const QUuid& cueID);
    // Where the row at `index` stands once any glide has ended.
    QRect rowRect(int index) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

Q_SIGNALS:
    // A drag started here has ended, however it ended.
    void dragFinished();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void refresh();
    void placeRows(bool animated);
    // Puts every cell that takes Tab in the order the rows are shown, the add button last.
    void chainKeyboard();
    void retire(CueRow* row);
    int contentHeight() const;
    // Whether a drag carries this table's own running drag.
    bool isOwnDrag(const QMimeData* data) const;
    // Accepts the event as a move when it carries this table's own drag,
    // refuses it otherwise; tells which.
    bool takeOwnDrag(QDropEvent* event) const;
    // Takes the dragged cue to the row under `position`.
    void walkTo(const QPointF& position);
    // After a scroll under a still pointer: to the row under it, or to the
    // nearest row in sight when the pointer is beyond the pane's edge.
    void walkToPointer();
    int slotAt(qreal y) const;
    QPixmap dragImage(CueRow* row) const;

    ProjectStore& m_store;
    QUuid m_projectID;
    bool m_showsFooter;
    bool m_present = false;
    QHash<QUuid, CueRow*> m_rows;
    QList<QUuid> m_order;
    CueTableFooter* m_footer = nullptr;
    std::optional<QUuid> m_draggingID;
    bool m_dragRunning = false;
    // Rows whose cue went while a drag ran; deleted once the drag is over.
    QList<QPointer<CueRow>> m_retired;
    DragRunner m_dragRunner;
    DragAutoScroll* m_autoScroll = nullptr;
};

} // namespace sorvel
