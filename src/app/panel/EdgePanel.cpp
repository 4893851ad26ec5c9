#include "app/panel/EdgePanel.h"

#include "app/panel/EdgePanelController.h"
#include "app/panel/EdgeRootView.h"
#include "studio/Shapes.h"
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
    connect(m_root, &EdgeRootView::outlineChanged, this, &EdgePanel::cutToOutline);
}

void EdgePanel::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    m_composited = X11WindowHints::composited();
    if (m_composited)
        clearMask();
    else
        cutToOutline();
}

void EdgePanel::cutToOutline() {
    // Without a compositor the see-through corners would show black: the window takes the content's shape.
    if (!m_composited)
        setMask(Shapes::region(m_root->outline()));
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
