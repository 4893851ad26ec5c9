#pragma once

#include <QRectF>
#include <QWidget>

class QPainter;

namespace sorvel {

class ReelSpin;

// One cassette reel: dark disc, a tape pack that grows with `amount` (limited
// to 0…1) and a cream hub with six spokes that turns while spinning.
class ReelView final : public QWidget {
    Q_OBJECT
public:
    ReelView(double amount, qreal size, bool spinning = false, QWidget* parent = nullptr);

    // Draws a reel in the square of side `size` centred in `rect`, the hub
    // turned by `hubAngle` degrees.
    static void paint(QPainter& painter, const QRectF& rect, double amount, qreal hubAngle = 0);
    // Diameter of the tape pack of a reel of side `size`.
    static qreal packDiameter(qreal size, double amount);
    static qreal hubDiameter(qreal size) { return size * 0.42; }
    static qreal spokeWidth(qreal size) { return qMax<qreal>(1.5, hubDiameter(size) * 0.12); }

    bool isSpinning() const;
    void setSpinning(bool spinning);
    qreal hubAngle() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    double m_amount;
    qreal m_size;
    ReelSpin* m_spin;
};

} // namespace sorvel
