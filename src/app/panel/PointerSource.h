#pragma once

#include <QObject>
#include <QPointF>
#include <QTimer>

namespace sorvel {

// Where the pointer is on the desktop, and word when it moves. Qt has no
// global pointer monitor, so the system source polls the cursor while
// tracking is on and also listens to the application's own mouse moves.
class PointerSource : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    virtual QPointF position() const = 0;
    virtual void setTracking(bool on) = 0;

Q_SIGNALS:
    void moved();
};

class CursorPointerSource final : public PointerSource {
    Q_OBJECT
public:
    static constexpr int pollIntervalMs = 30;

    explicit CursorPointerSource(QObject* parent = nullptr);

    QPointF position() const override;
    void setTracking(bool on) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void poll();

    QTimer m_poll;
    QPoint m_last;
    bool m_tracking = false;
};

} // namespace sorvel
