#pragma once

#include "core/AudioProject.h"
#include "core/ProjectType.h"
#include "widget/WidgetFamily.h"

#include <QWidget>

namespace sorvel {

class NextStepControl;
struct FittedText;

// The small widget: one project's label card (type chip with percentage,
// name), its tape window (a waveform in the accented look) and the control.
// Taps outside the control reach the widget root, which opens the project.
class SmallView final : public QWidget {
    Q_OBJECT
public:
    SmallView(const AudioProject& project, const ProjectType& kind, RenderingMode mode, QWidget* parent = nullptr);

    const AudioProject& project() const { return m_project; }
    NextStepControl* control() const { return m_control; }
    QString percentText() const;
    bool showsTapeWindow() const { return m_mode == RenderingMode::FullColor; }
    // The name as drawn on the card's width.
    FittedText nameText() const;

    static constexpr int waveformBars = 24;
    static constexpr qreal waveformHeight = 16;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    AudioProject m_project;
    ProjectType m_kind;
    RenderingMode m_mode;
    NextStepControl* m_control;
};

} // namespace sorvel
