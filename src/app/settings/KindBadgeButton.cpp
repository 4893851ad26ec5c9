#include "app/settings/KindBadgeButton.h"

#include "studio/KindBadge.h"

#include <QPainter>

namespace sorvel {

KindBadgeButton::KindBadgeButton(const ProjectType& kind, int size, QWidget* parent)
    : QAbstractButton(parent), m_kind(kind), m_size(size) {
    setFixedSize(size, size);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
}

void KindBadgeButton::setKind(const ProjectType& kind) {
    if (m_kind == kind)
        return;
    m_kind = kind;
    update();
}

void KindBadgeButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setOpacity(isDown() ? 0.7 : 1.0);
    KindBadge::paint(painter, rect(), m_kind);
}

} // namespace sorvel
