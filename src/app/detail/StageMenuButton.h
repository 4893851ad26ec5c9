#pragma once

#include "core/CueStage.h"

#include <QAbstractButton>

class QMenu;

namespace sorvel {

// A cue's stage badge that opens a menu of all stages below itself; a
// choice, also of the stage already shown, is reported through `stageChosen`.
class StageMenuButton final : public QAbstractButton {
    Q_OBJECT
public:
    explicit StageMenuButton(CueStage stage, QWidget* parent = nullptr);

    CueStage stage() const { return m_stage; }
    void setStage(CueStage stage);
    // The menu's items, one per stage in workflow order (built on demand).
    QMenu* menu();

    static QSize sizeFor(CueStage stage);
    QSize sizeHint() const override;

Q_SIGNALS:
    void stageChosen(CueStage stage);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void openMenu();

    CueStage m_stage;
    QMenu* m_menu = nullptr;
};

} // namespace sorvel
