#pragma once

#include <QAbstractButton>

namespace sorvel {

// An on/off switch: a capsule track in the window's tint when on, with a round knob.
// Disabled, it keeps showing its position at reduced opacity.
class SwitchToggle final : public QAbstractButton {
    Q_OBJECT
public:
    explicit SwitchToggle(QWidget* parent = nullptr);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace sorvel
