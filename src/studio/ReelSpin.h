#pragma once

#include <QObject>
#include <QPointer>

class QVariantAnimation;
class QWidget;

namespace sorvel {

// Turns reel hubs: one full turn every 2.4 s, endlessly, while spinning.
// A reel told to spin while its host is hidden starts turning once the host
// is shown; stopping lets the hub ease on to a resting position. The host is
// repainted on every step and the animation pauses while the host is hidden.
class ReelSpin final : public QObject {
    Q_OBJECT
public:
    explicit ReelSpin(QWidget* host);
    ~ReelSpin() override;

    bool isSpinning() const { return m_spinning; }
    void setSpinning(bool spinning);
    // The hub's rotation in degrees, 0 at rest.
    qreal angle() const { return m_angle; }
    // Whether the hub is moving (turning or settling).
    bool isMoving() const;

    static constexpr int turnMilliseconds = 2400;
    static constexpr int settleMilliseconds = 350;

Q_SIGNALS:
    void angleChanged(qreal angle);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void startTurning();
    void settle();
    void setAngle(qreal angle);

    QPointer<QWidget> m_host;
    QVariantAnimation* m_turn;
    QVariantAnimation* m_settle;
    bool m_spinning = false;
    qreal m_angle = 0;
};

} // namespace sorvel
