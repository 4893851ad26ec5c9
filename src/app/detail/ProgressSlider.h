#pragma once

#include <QSlider>

namespace sorvel {

// The manual-progress slider: 0…1 in steps of 0.05. A press on the groove
// puts the handle under the pointer at once (and the drag goes on from
// there) instead of paging towards it. The wheel moves it only while it has
// the keyboard focus; otherwise the wheel scrolls the pane, so scrolling
// past the slider never changes the progress.
class ProgressSlider final : public QSlider {
    Q_OBJECT
public:
    static constexpr int steps = 20;

    explicit ProgressSlider(QWidget* parent = nullptr);

    static int position(double fraction);
    double fraction() const { return double(value()) / steps; }

protected:
    bool event(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void showTint();
};

} // namespace sorvel
