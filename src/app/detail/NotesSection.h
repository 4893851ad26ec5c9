#pragma once

#include "core/AudioProject.h"

#include <QPlainTextEdit>
#include <QUuid>
#include <QWidget>

namespace sorvel {

class ProjectStore;
class TypedTextWrite;

// A multi-line editor that grows with its text (never below its minimum), so
// the pane around it scrolls instead of the editor: nothing inside it scrolls,
// its first line always stands at its top.
class NotesEditor final : public QPlainTextEdit {
    Q_OBJECT
public:
    static constexpr int minimumHeight = 90;

    explicit NotesEditor(QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

Q_SIGNALS:
    // The editor took the height of a longer or shorter text.
    void resized();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    int contentHeight() const;
    void showFromTheTop();
};

// The project's free notes; every change of the text is stored as typed.
class NotesSection final : public QWidget {
    Q_OBJECT
public:
    NotesSection(const QUuid& projectID, ProjectStore& store, QWidget* parent = nullptr);

    void refresh(const AudioProject& project);

    NotesEditor* editor() const { return m_editor; }

private:
    // Scrolls the pane around the section so that the typing point shows.
    void keepCaretInView();

    QUuid m_projectID;
    ProjectStore& m_store;
    NotesEditor* m_editor;
    TypedTextWrite* m_write;
    bool m_showingStoredText = false;
};

} // namespace sorvel
