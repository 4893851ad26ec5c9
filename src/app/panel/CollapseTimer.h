#pragma once

#include <QObject>
#include <QTimer>

namespace sorvel {

// The restartable single shot that closes the panel after the pointer left.
class CollapseTimer : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Starts the delay afresh, calling off one that was running.
    virtual void restart(int milliseconds) = 0;
    virtual void cancel() = 0;
    virtual bool isPending() const = 0;

Q_SIGNALS:
    void fired();
};

class SystemCollapseTimer final : public CollapseTimer {
    Q_OBJECT
public:
    explicit SystemCollapseTimer(QObject* parent = nullptr);

    void restart(int milliseconds) override;
    void cancel() override;
    bool isPending() const override;

private:
    QTimer m_timer;
};

} // namespace sorvel
