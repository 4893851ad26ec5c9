#include "app/detail/InfoRow.h"

#include "studio/Shapes.h"
#include "studio/Studio.h"
#include "studio/StudioLabel.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>

namespace sorvel {

InfoRow::InfoRow(const QString& title, QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    m_row = new QHBoxLayout(this);
    m_row->setContentsMargins(10, 7, 10, 7);
    m_row->setSpacing(8);
    m_row->addWidget(Studio::plainLabel(title, Studio::font(12), Studio::text2(), this));
    m_row->addStretch(1);
}

void InfoRow::addContent(QWidget* widget) {
    m_row->addWidget(widget);
}

void InfoRow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    Shapes::fillRounded(painter, rect(), 8, Studio::bg2());
}

} // namespace sorvel
