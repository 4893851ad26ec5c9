#pragma once

#include "core/AudioProject.h"
#include "core/ProjectType.h"

#include <QWidget>

namespace sorvel {

// The always-visible line of a panel tape: a bar in the type colour, the
// type symbol, the name and focus star, a seeded waveform of the progress,
// the subtitle and the percentage. A click anywhere on it taps the tape.
class PanelTapeRow final : public QWidget {
    Q_OBJECT
public:
    explicit PanelTapeRow(QWidget* parent = nullptr);

    // The project and its resolved type, whose colour and symbol the row shows.
    void setProject(const AudioProject& project, const ProjectType& kind);

    QSize sizeHint() const override;

Q_SIGNALS:
    void tapped();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    AudioProject m_project;
    ProjectType m_kind = ProjectType::fallback();
};

} // namespace sorvel
