#include "studio/ReelSpin.h"

#include "studio/ValueChange.h"

#include <QEvent>
#include <QVariantAnimation>
#include <QWidget>

#include <cmath>

namespace sorvel {

namespace {
// The hub has six spokes, so it looks the same every 60 degrees.
constexpr qreal restStep = 60;
} // namespace

ReelSpin::ReelSpin(QWidget* host)
    : QObject(host), m_host(host), m_turn(new QVariantAnimation(this)), m_settle(new QVariantAnimation(this)) {
    m_turn->setStartValue(0.0);
    m_turn->setEndValue(360.0);
    m_turn->setDuration(turnMilliseconds);
    m_turn->setLoopCount(-1);
    m_turn->setEasingCurve(QEasingCurve::Linear);
    connect(m_turn, &QVariantAnimation::valueChanged, this, [this](const QVariant& v) { setAngle(v.toReal()); });

    m_settle->setDuration(settleMilliseconds);
    m_settle->setEasingCurve(QEasingCurve::OutCubic);
    connect(m_settle, &QVariantAnimation::valueChanged, this, [this](const QVariant& v) {
        if (m_settle->state() == QAbstractAnimation::Running)
            setAngle(v.toReal());
    });
    connect(m_settle, &QVariantAnimation::finished, this, [this] { setAngle(0); });

    if (host)
        host->installEventFilter(this);
}

ReelSpin::~ReelSpin() = default;

bool ReelSpin::isMoving() const {
    return m_turn->state() == QAbstractAnimation::Running || m_settle->state() == QAbstractAnimation::Running;
}

void ReelSpin::setSpinning(bool spinning) {
    if (!changeValue(m_spinning, spinning))
        return;
    if (spinning) {
        if (m_host && m_host->isVisible())
            startTurning();
    } else {
        settle();
    }
}

void ReelSpin::startTurning() {
    m_settle->stop();
    // Continue from where the hub stands so a quick off-on does not jump.
    const qreal from = std::fmod(m_angle, 360.0);
    m_turn->stop();
    m_turn->setCurrentTime(int(from / 360.0 * turnMilliseconds));
    m_turn->start();
}

void ReelSpin::settle() {
    const bool wasTurning = m_turn->state() != QAbstractAnimation::Stopped;
    m_turn->stop();
    if (!wasTurning || m_angle == 0) {
        setAngle(0);
        return;
    }
    const qreal target = std::ceil(m_angle / restStep) * restStep;
    m_settle->stop();
    m_settle->setStartValue(m_angle);
    m_settle->setEndValue(target);
    m_settle->start();
}

void ReelSpin::setAngle(qreal angle) {
    const qreal normalized = std::fmod(angle, 360.0);
    if (qFuzzyCompare(1 + normalized, 1 + m_angle))
        return;
    m_angle = normalized;
    Q_EMIT angleChanged(m_angle);
    if (m_host)
        m_host->update();
}

bool ReelSpin::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_host) {
        if (event->type() == QEvent::Hide && m_turn->state() == QAbstractAnimation::Running)
            m_turn->pause();
        else if (event->type() == QEvent::Show && m_turn->state() == QAbstractAnimation::Paused)
            m_turn->resume();
        // Told to turn before it was first shown (views fill their reels before they appear).
        else if (event->type() == QEvent::Show && m_spinning && m_turn->state() == QAbstractAnimation::Stopped)
            startTurning();
    }
    return QObject::eventFilter(watched, event);
}

} // namespace sorvel
