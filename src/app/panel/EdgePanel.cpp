#include "app/panel/EdgePanel.h"

#include "app/panel/EdgePanelController.h"
#include "app/panel/EdgeRootView.h"
#include "studio/X11WindowHints.h"

#include <QApplication>
#include <QEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace sorvel {

EdgePanel::EdgePanel(EdgePanelController& controller)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      m_controller(controller),
      m_root(new EdgeRootView(controller, this)) {
    setWindowTitle(QStringLiteral("侧边面板"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    // Opened by the pointer the panel is not the active window, and its buttons' help still shows.
    setAttribute(Qt::WA_AlwaysShowToolTips);
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_X11NetWmWindowTypeUtility);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_root);
}

void EdgePanel::orderFront() {
    if (!isVisible()) {
        X11WindowHints::keepOnEveryWorkspace(this, X11WindowHints::Layer::Above);
        show();
    }
    raise();
}

void EdgePanel::orderOut() {
    hide();
}

bool EdgePanel::isEditingText() const {
    const QWidget* focused = QApplication::focusWidget();
    if (!focused || focused->window() != this || !isActiveWindow())
        return false;
    return qobject_cast<const QLineEdit*>(focused) || qobject_cast<const QPlainTextEdit*>(focused);
}

void EdgePanel::endEditing() {
    QWidget* focused = QApplication::focusWidget();
    if (focused && focused->window() == this)
        focused->clearFocus();
}

void EdgePanel::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && !isActiveWindow())
        Q_EMIT resignedKey();
}

void EdgePanel::enterEvent(QEnterEvent* event) {
    QWidget::enterEvent(event);
    if (m_controller.isExpanded())
        m_controller.pointerEnteredPanel();
    else
        m_controller.pointerEnteredHandle();
}

void EdgePanel::leaveEvent(QEvent* event) {
    QWidget::leaveEvent(event);
    m_controller.pointerLeftPanel();
}

} // namespace sorvel
