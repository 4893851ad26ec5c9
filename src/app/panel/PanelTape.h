#pragma once

#include "core/AudioProject.h"

#include <QList>
#include <QWidget>

class QLabel;
class QLineEdit;
class QVBoxLayout;

namespace sorvel {

class EdgePanelController;
class PanelCueLine;
class PanelTapeRow;
class PointerHover;
class StudioButton;
class TapeWindow;

// One tape in the panel's list. Closed it is a single row; open it also
// shows the cassette window, the manual stepper, one line per cue that
// advances it, a note field for the log, the newest log line and the buttons
// for the folder, the detail, archiving or marking the tape done. Every
// change goes through the store and finds the project again by its id.
class PanelTape final : public QWidget {
    Q_OBJECT
public:
    PanelTape(EdgePanelController& controller, const AudioProject& project, QWidget* parent = nullptr);

    const AudioProject& project() const { return m_project; }
    void setProject(const AudioProject& project);
    bool isExpanded() const { return m_expanded; }
    // Whether the pointer is over the tape, which then shows its lighter face.
    bool isHovering() const;
    void setExpanded(bool expanded);

    // "<status> · <cue summary> · <next cue>": the summary only with cues,
    // the next cue only while the project is active.
    static QString subtitle(const AudioProject& project);
    // Every cue delivered (and at least one), or manual progress at 1.0.
    static bool offersMarkDone(const AudioProject& project);
    // "<relative date> · <text>" of the newest log entry; empty without one.
    static QString newestLogLine(const AudioProject& project, const QDateTime& now);

    // The actions, as the buttons and the note field run them.
    void step(double delta);
    void advanceCue(const QUuid& cueID);
    void addNote();
    void revealFolder();
    void openDetail();
    void archive();
    void markDone();

    QLineEdit* noteField() const { return m_note; }
    QList<PanelCueLine*> cueLines() const { return m_cueLines; }
    StudioButton* folderButton() const { return m_folder; }
    StudioButton* archiveButton() const { return m_archive; }
    StudioButton* markDoneButton() const { return m_markDone; }
    QWidget* stepper() const { return m_stepper; }
    TapeWindow* tapeWindow() const { return m_window; }
    QLabel* logLine() const { return m_logLine; }

Q_SIGNALS:
    void tapped();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QWidget* buildDetails();
    void showProject();
    void rebuildCueLines();

    EdgePanelController& m_controller;
    AudioProject m_project;
    bool m_expanded = false;
    PointerHover* m_hover;

    PanelTapeRow* m_row;
    QWidget* m_details = nullptr;
    TapeWindow* m_window = nullptr;
    QWidget* m_stepper = nullptr;
    QVBoxLayout* m_cueLayout = nullptr;
    QList<PanelCueLine*> m_cueLines;
    QLineEdit* m_note = nullptr;
    QLabel* m_logLine = nullptr;
    StudioButton* m_folder = nullptr;
    StudioButton* m_archive = nullptr;
    StudioButton* m_markDone = nullptr;
};

} // namespace sorvel
