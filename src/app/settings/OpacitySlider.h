#pragma once

#include <QWidget>

class QLabel;
class QSlider;

namespace sorvel {

// A slider over an opacity range in steps of one per mille, with the value
// as a whole percent beside it.
class OpacitySlider final : public QWidget {
    Q_OBJECT
public:
    OpacitySlider(double minimum, double maximum, QWidget* parent = nullptr);

    double value() const;
    // Shows `value` without reporting it.
    void setValue(double value);

    QSlider* slider() const { return m_slider; }
    QLabel* percentLabel() const { return m_percent; }

Q_SIGNALS:
    void moved(double value);

private:
    void showPercent();

    QSlider* m_slider;
    QLabel* m_percent;
};

} // namespace sorvel
