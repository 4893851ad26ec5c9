#pragma once

#include <QListWidget>

namespace sorvel {

// The list of type rows: rows move by dragging, one at a time; the last item
// (the add row) never moves and nothing is dropped below it. A drop only
// reports the move; the rows follow once the store has changed.
class TypeList final : public QListWidget {
    Q_OBJECT
public:
    explicit TypeList(QWidget* parent = nullptr);

    // Where a row dropped at `y` (viewport coordinates) goes, as an offset in
    // the list before the move: before the row under the upper half of a row,
    // after it under the lower half, at the end below the rows.
    int dropOffset(int y) const;
    int typeRowCount() const { return count() > 0 ? count() - 1 : 0; }

Q_SIGNALS:
    void moveRequested(const QList<int>& offsets, int toOffset);

protected:
    void startDrag(Qt::DropActions supportedActions) override;
    void dropEvent(QDropEvent* event) override;
};

} // namespace sorvel
