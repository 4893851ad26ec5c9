#include "app/selection/CassetteFan.h"

#include "core/TypeRegistry.h"
#include "studio/CassetteCard.h"
#include "studio/Studio.h"

#include <QPainter>

#include <cmath>

namespace sorvel {

namespace {

// Room around the unscaled card for the tilt and the vertical steps, so nothing is cut off.
constexpr qreal sideRoom = 24;
constexpr qreal verticalRoom = 40;

} // namespace

CassetteFan::Placement CassetteFan::placement(int position) {
    return {(position - 1) * 5.0, (position - 1) * 14.0};
}

CassetteFan::CassetteFan(const TypeRegistry& types, QWidget* parent) : QWidget(parent), m_types(types) {
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void CassetteFan::setProjects(const QList<AudioProject>& projects) {
    m_projects = projects.mid(0, maximumCards);
    update();
}

QSize CassetteFan::sizeHint() const {
    const qreal height = CassetteCard::naturalHeight();
    return QSize(int(std::ceil((cardWidth + 2 * sideRoom) * scale)),
                 int(std::ceil((height + 2 * verticalRoom) * scale + bottomInset)));
}

void CassetteFan::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const qreal height = CassetteCard::naturalHeight();
    const QPointF centre(width() / 2.0, (this->height() - bottomInset) / 2.0);
    const QRectF card(-cardWidth / 2, -height / 2, cardWidth, height);
    CassetteCard::Look look;
    look.tint = Studio::tint(this);
    for (int i = 0; i < m_projects.size(); ++i) {
        const Placement place = placement(i);
        painter.save();
        painter.translate(centre);
        painter.scale(scale, scale);
        painter.translate(0, place.offset);
        painter.rotate(place.rotation);
        CassetteCard::paint(painter, card, m_projects[i], m_types.type(m_projects[i].typeID), look);
        painter.restore();
    }
}

} // namespace sorvel
