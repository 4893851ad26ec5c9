#pragma once

#include "core/AudioProject.h"
#include "widget/NextStep.h"

#include <QWidget>

class QLabel;

namespace sorvel {

class IntentButton;

// The action line of the small widget: advance the next cue ("2 · 已录混"
// with the stage icon), add ten points ("+10%"), or the status title.
class NextStepControl final : public QWidget {
    Q_OBJECT
public:
    explicit NextStepControl(const AudioProject& project, QWidget* parent = nullptr);

    NextStep::Form form() const { return m_form; }
    // The button of the advance and add forms; none for the status form.
    IntentButton* button() const { return m_button; }
    // What the line reads.
    QString text() const { return m_text; }

private:
    NextStep::Form m_form;
    QString m_text;
    IntentButton* m_button = nullptr;
};

} // namespace sorvel
