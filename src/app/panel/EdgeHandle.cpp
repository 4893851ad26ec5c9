#include "app/panel/EdgeHandle.h"

#include "app/panel/EdgePanelController.h"
#include "app/store/ProjectStore.h"
#include "core/Settings.h"
#include "studio/Shapes.h"
#include "studio/Studio.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace sorvel {

EdgeHandle::EdgeHandle(EdgePanelController& controller, QWidget* parent) : QWidget(parent), m_controller(controller) {
    setCursor(Qt::PointingHandCursor);
    connect(&controller.store(), &ProjectStore::projectsChanged, this, qOverload<>(&QWidget::update));
    connect(&controller.settings(), &Settings::changed, this, [this](const QString& key) {
        if (key == colorKey || key == EdgePanelController::sideKey)
            update();
    });
}

bool EdgeHandle::hasActiveProject() const {
    const QList<AudioProject>& projects = m_controller.store().projects();
    return std::any_of(projects.cbegin(), projects.cend(), [](const AudioProject& p) { return p.isActive(); });
}

QColor EdgeHandle::capsuleColor() const {
    return Studio::color(m_controller.settings().string(colorKey)).value_or(Studio::tint(this));
}

QRectF EdgeHandle::capsuleRect(const QSizeF& size, PanelSide side) {
    const qreal x = side == PanelSide::Right ? size.width() - 2 - capsuleWidth : 2;
    return {x, 6, capsuleWidth, std::max<qreal>(0, size.height() - 12)};
}

void EdgeHandle::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setOpacity(capsuleOpacity());
    Shapes::fillCapsule(painter, capsuleRect(size(), m_controller.side()), capsuleColor());
}

void EdgeHandle::mousePressEvent(QMouseEvent* event) {
    event->accept();
}

void EdgeHandle::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        m_controller.expand();
}

} // namespace sorvel
