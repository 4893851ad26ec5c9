#pragma once

#include "core/Cue.h"

#include <QAbstractButton>

namespace sorvel {

// One cue in an open panel tape: number, stage ring, title (struck through
// once delivered) and stage name. Clicking it advances the cue; its tooltip
// names the stage it will reach.
class PanelCueLine final : public QAbstractButton {
    Q_OBJECT
public:
    PanelCueLine(const Cue& cue, QWidget* parent = nullptr);

    // The stage a click moves a cue to: the next one, and back to mixed from delivered.
    static CueStage advancedStage(CueStage stage);
    // "点一下推进到「<stage>」".
    static QString help(CueStage stage);

    const Cue& cue() const { return m_cue; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Cue m_cue;
};

} // namespace sorvel
