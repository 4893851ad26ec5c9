#pragma once

#include "core/AudioProject.h"

#include <QColor>
#include <QList>
#include <QUuid>
#include <QWidget>

class QLineEdit;
class QAbstractButton;
class QPushButton;
class QVBoxLayout;

namespace sorvel {

class LogRow;
class ProjectStore;

// The progress log: a field that adds a dated entry with the project's
// current progress, the newest entries first (five until "显示全部 N 条"
// is pressed), each deletable.
class LogSection final : public QWidget {
    Q_OBJECT
public:
    static constexpr int shortLength = 5;

    LogSection(const QUuid& projectID, ProjectStore& store, QWidget* parent = nullptr);

    // The entries listed: all of them when shown in full or few, else the newest five.
    static QList<LogEntry> visibleEntries(const QList<LogEntry>& log, bool showAll);
    // The show-all control's title; none below six entries, when there is no control.
    static std::optional<QString> toggleTitle(qsizetype entryCount, bool showAll);

    void refresh(const AudioProject& project);

    // Adds the typed text as the newest entry, unless it is blank; clears the field.
    void addLog();
    void deleteEntry(const QUuid& entryID);
    void toggleShowAll();

    QLineEdit* field() const { return m_field; }
    QPushButton* addButton() const { return m_add; }
    QAbstractButton* toggleButton() const { return m_toggle; }
    const QList<LogRow*>& rows() const { return m_rows; }

private:
    void updateAddButton();
    void showEntries(const QList<LogEntry>& entries, const QColor& color);
    void updateToggle(qsizetype entryCount);

    QUuid m_projectID;
    ProjectStore& m_store;
    bool m_showAll = false;
    QLineEdit* m_field;
    QPushButton* m_add;
    QVBoxLayout* m_list;
    QList<LogRow*> m_rows;
    QList<LogEntry> m_shownEntries;
    QColor m_shownColor;
    QAbstractButton* m_toggle;
};

} // namespace sorvel
