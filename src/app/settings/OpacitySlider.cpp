#include "app/settings/OpacitySlider.h"

#include "core/StudioText.h"
#include "studio/Studio.h"
#include "studio/StudioLabel.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QSlider>

#include <cmath>

namespace sorvel {

namespace {

constexpr double steps = 1000;

} // namespace

OpacitySlider::OpacitySlider(double minimum, double maximum, QWidget* parent) : QWidget(parent) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(8);
    m_slider = new QSlider(Qt::Horizontal, this);
    m_slider->setRange(int(std::lround(minimum * steps)), int(std::lround(maximum * steps)));
    m_slider->setFixedWidth(180);
    m_percent = Studio::plainLabel(Studio::font(12, Studio::Weight::Regular, true), Studio::text2(), this);
    m_percent->setFixedWidth(40);
    m_percent->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    row->addWidget(m_slider);
    row->addWidget(m_percent);
    connect(m_slider, &QSlider::valueChanged, this, [this] {
        showPercent();
        Q_EMIT moved(value());
    });
    showPercent();
}

double OpacitySlider::value() const {
    return m_slider->value() / steps;
}

void OpacitySlider::setValue(double value) {
    const bool blocked = m_slider->blockSignals(true);
    m_slider->setValue(int(std::lround(value * steps)));
    m_slider->blockSignals(blocked);
    showPercent();
}

void OpacitySlider::showPercent() {
    m_percent->setText(StudioText::percentText(value()));
}

} // namespace sorvel
