#include "app/panel/CollapseTimer.h"

namespace sorvel {

SystemCollapseTimer::SystemCollapseTimer(QObject* parent) : CollapseTimer(parent) {
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &CollapseTimer::fired);
}

void SystemCollapseTimer::restart(int milliseconds) {
    m_timer.start(milliseconds);
}

void SystemCollapseTimer::cancel() {
    m_timer.stop();
}

bool SystemCollapseTimer::isPending() const {
    return m_timer.isActive();
}

} // namespace sorvel
