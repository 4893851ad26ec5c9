#pragma once

#include "app/detail/DeleteReveal.h"
#include "core/LogEntry.h"

#include <QColor>
#include <QWidget>

#include <memory>

class QLabel;

namespace sorvel {

class PlainSymbolButton;
class PointerHover;

// One line of the progress log: its date, a bar in the project's type
// colour, the text (wrapping), and a delete button that shows while the
// pointer is over the row or Tab has brought the keyboard to it. The progress
// stored with the entry is not shown.
class LogRow final : public QWidget {
    Q_OBJECT
public:
    // `dateWidth` is the same for every row of a log (dateColumnWidth), so
    // that a date with its year does not push its bar and text out of line.
    LogRow(const LogEntry& entry, const QColor& color, int dateWidth, QWidget* parent = nullptr);

    static int dateColumnWidth(const QList<LogEntry>& entries);

    const QUuid& entryID() const { return m_entryID; }
    bool isHovering() const;
    QLabel* dateLabel() const { return m_date; }
    QLabel* textLabel() const { return m_text; }
    PlainSymbolButton* deleteButton() const { return m_delete; }

Q_SIGNALS:
    void deleteRequested(const QUuid& entryID);

private:
    QUuid m_entryID;
    PointerHover* m_hover;
    // A member, so that it goes before the row's cells: as children they are
    // destroyed after it, and would otherwise tell it of their focus as they go.
    std::unique_ptr<DeleteReveal> m_reveal;
    QLabel* m_date;
    QLabel* m_text;
    PlainSymbolButton* m_delete;
};

} // namespace sorvel
