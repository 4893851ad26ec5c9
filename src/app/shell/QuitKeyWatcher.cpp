#include "app/shell/QuitKeyWatcher.h"

#include <QCoreApplication>
#include <QKeyEvent>

namespace sorvel {

QuitKeyWatcher::QuitKeyWatcher(QObject* parent) : QObject(parent) {
    QCoreApplication::instance()->installEventFilter(this);
}

QuitKeyWatcher::~QuitKeyWatcher() {
    if (QCoreApplication* app = QCoreApplication::instance())
        app->removeEventFilter(this);
}

bool QuitKeyWatcher::isQuitKey(const QKeyEvent& event) {
    return event.key() == Qt::Key_Q && (event.modifiers() & ~Qt::KeypadModifier) == Qt::ControlModifier
        && !event.isAutoRepeat();
}

bool QuitKeyWatcher::eventFilter(QObject* watched, QEvent* event) {
    // Only window contents get keys; the filter sees a press again for every
    // parent it propagates to, so it takes it at the first.
    if (event->type() == QEvent::KeyPress && watched->isWidgetType() && isQuitKey(*static_cast<QKeyEvent*>(event))) {
        Q_EMIT quitRequested();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace sorvel
