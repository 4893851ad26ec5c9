#pragma once

#include "core/AudioProject.h"
#include "core/ProjectType.h"
#include "widget/LinkSurface.h"
#include "widget/WidgetFamily.h"

namespace sorvel {

class QuickAction;

// One project as a line of the medium and large widget: a bar in the type
// colour, name and percentage over the project's waveform, in the large
// widget a line naming the next step, and the row's quick action. Tapping the
// row opens the project in the application.
class TrackRow final : public LinkSurface {
    Q_OBJECT
public:
    TrackRow(const AudioProject& project, const ProjectType& kind, bool showsNext, RenderingMode mode,
             QWidget* parent = nullptr);

    const AudioProject& project() const { return m_project; }
    bool showsNext() const { return m_showsNext; }
    QuickAction* quickAction() const { return m_action; }
    QString percentText() const;
    // The third line; empty when the row has none.
    QString nextLine() const;
    qreal waveformHeight() const { return m_showsNext ? 12 : 9; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    qreal textRight() const;

    AudioProject m_project;
    ProjectType m_kind;
    bool m_showsNext;
    RenderingMode m_mode;
    QuickAction* m_action;
};

} // namespace sorvel
