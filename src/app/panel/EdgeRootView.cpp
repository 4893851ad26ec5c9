#include "app/panel/EdgeRootView.h"

#include "app/panel/EdgeHandle.h"
#include "app/panel/EdgePanelController.h"
#include "app/panel/EdgePanelView.h"
#include "core/Settings.h"
#include "studio/AppearanceHost.h"
#include "studio/Shapes.h"

namespace sorvel {

EdgeRootView::EdgeRootView(EdgePanelController& controller, QWidget* parent)
    : QWidget(parent), m_controller(controller) {
    // Accent colour and panel opacity follow the appearance settings; the host lives as long as this view.
    new AppearanceHost(this, AppearanceHost::Target::Panel, controller.settings());
    connect(&m_controller, &EdgePanelController::expandedChanged, this, &EdgeRootView::showContent);
    showContent();
}

void EdgeRootView::showContent() {
    // Later, not now: a button inside the panel view may be what collapsed it.
    for (QWidget* old : {static_cast<QWidget*>(m_handle), static_cast<QWidget*>(m_view)}) {
        if (old) {
            old->hide();
            old->deleteLater();
        }
    }
    m_handle = nullptr;
    m_view = nullptr;
    if (m_controller.isExpanded())
        m_view = new EdgePanelView(m_controller, this);
    else
        m_handle = new EdgeHandle(m_controller, this);
    placeContent();
    QWidget* shown = m_view ? static_cast<QWidget*>(m_view) : m_handle;
    shown->show();
}

void EdgeRootView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    placeContent();
}

QPainterPath EdgeRootView::outline() const {
    if (m_view)
        return Shapes::roundedRect(QRectF(m_view->geometry()), EdgePanelView::cornerRadius);
    const QRectF capsule = EdgeHandle::capsuleRect(QSizeF(size()), m_controller.side());
    return Shapes::roundedRect(capsule, qMin(capsule.width(), capsule.height()) / 2);
}

void EdgeRootView::placeContent() {
    placeViews();
    Q_EMIT outlineChanged();
}

void EdgeRootView::placeViews() {
    if (m_handle)
        m_handle->setGeometry(rect());
    if (!m_view)
        return;
    // The view keeps its open size while the window slides, anchored to the
    // screen edge, so it moves out instead of being squeezed.
    const QSize full = m_controller.expandedFrame().size().toSize().expandedTo(size());
    const int x = m_controller.side() == PanelSide::Right ? width() - full.width() : 0;
    m_view->setGeometry(QRect(QPoint(x, 0), QSize(full.width(), height())));
}

} // namespace sorvel
