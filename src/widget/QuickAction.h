#pragma once

#include "core/AudioProject.h"
#include "core/ProjectType.h"
#include "widget/NextStep.h"

#include <QWidget>

namespace sorvel {

class IntentButton;

// The trailing button of a list row: the stage icon of the next cue (advance
// it), a plus badge in the type colour (add ten points), or nothing. It looks
// the same in every rendering mode.
class QuickAction final : public QWidget {
    Q_OBJECT
public:
    // `kind` is the project's resolved type; its colour fills the progress badge.
    QuickAction(const AudioProject& project, const ProjectType& kind, QWidget* parent = nullptr);

    static constexpr int iconSize = 15;

    NextStep::Form form() const { return m_form; }
    // None for the status form, which shows nothing.
    IntentButton* button() const { return m_button; }

    QSize sizeHint() const override;

private:
    NextStep::Form m_form;
    IntentButton* m_button = nullptr;
};

} // namespace sorvel
