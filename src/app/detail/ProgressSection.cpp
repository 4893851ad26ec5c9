#include "app/detail/ProgressSection.h"

#include "app/detail/DetailChip.h"
#include "app/detail/ProgressSlider.h"
#include "app/store/ProjectStore.h"
#include "core/StudioText.h"
#include "core/UnitFraction.h"
#include "studio/SectionTitle.h"
#include "studio/Spring.h"
#include "studio/Studio.h"
#include "studio/StudioLabel.h"
#include "studio/TapeWindow.h"
#include "studio/WaveformBars.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QLabel>
#include <QSignalBlocker>
#include <QVariantAnimation>
#include <QVBoxLayout>

namespace sorvel {

namespace {

constexpr int waveformBars = 40;
constexpr qreal reelSize = 38;
constexpr Spring waveformSpring{0.5, 1.0};

// Two labels of different sizes that share their first baseline.
QHBoxLayout* baselineRow(QLabel* large, QLabel* small) {
    auto* row = new QHBoxLayout;
    row->setSpacing(1);
    const int drop = QFontMetrics(large->font()).ascent() - QFontMetrics(small->font()).ascent();
    small->setContentsMargins(0, std::max(0, drop), 0, 0);
    row->addWidget(large, 0, Qt::AlignTop);
    row->addWidget(small, 0, Qt::AlignTop);
    return row;
}

} // namespace

ProgressSection::ProgressSection(const QUuid& projectID, ProjectStore& store, QWidget* parent)
    : QWidget(parent), m_projectID(projectID), m_store(store) {
    m_waveform = new WaveformBars(0, Studio::systemGray(), projectID, waveformBars, Studio::bg3(), this);
    m_waveform->setFixedHeight(46);
    m_waveform->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    m_waveformMotion = new QVariantAnimation(this);
    moveAsSpring<waveformSpring>(*m_waveformMotion);
    // Setting the ends of a stopped motion reports values too; only a running one moves the bars.
    connect(m_waveformMotion, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        if (m_waveformMotion->state() != QAbstractAnimation::Stopped)
            m_waveform->setProgress(value.toDouble());
    });
    m_percent = Studio::plainLabel(Studio::font(34, Studio::Weight::Medium, true), Studio::text(), this);
    auto* percentSign =
        Studio::plainLabel(QStringLiteral("%"), Studio::font(12, Studio::Weight::Regular, true), Studio::text3(), this);
    auto* levelRow = new QHBoxLayout;
    levelRow->setSpacing(14);
    levelRow->addWidget(m_waveform, 1);
    levelRow->addLayout(baselineRow(m_percent, percentSign));

    m_tape = new TapeWindow(0, Studio::systemGray(), reelSize, false, this);

    auto* modeRow = new QHBoxLayout;
    modeRow->setSpacing(4);
    const DetailChip::Look selected{Studio::bg0(), QColor()};
    const DetailChip::Look idle{Studio::text2(), Studio::bg3()};
    // The arrows move between the two chips.
    auto* modeGroup = new QButtonGroup(this);
    modeGroup->setExclusive(false);
    for (const ProgressMode mode : allProgressModes()) {
        auto* chip = new DetailChip(title(mode), Studio::font(11, Studio::Weight::Medium), QMargins(10, 5, 10, 5), 6,
                                    selected, idle, this);
        connect(chip, &QAbstractButton::clicked, this, [this, mode] { chooseMode(mode); });
        modeRow->addWidget(chip);
        modeGroup->addButton(chip);
        m_modeChips.append(chip);
    }
    modeRow->addStretch(1);
    m_delivered = Studio::plainLabel(Studio::font(11, Studio::Weight::Regular, true), Studio::text3(), this);
    modeRow->addWidget(m_delivered);

    m_manualRow = new QWidget(this);
    m_slider = new ProgressSlider(m_manualRow);
    m_sliderPercent = Studio::plainLabel(Studio::font(12, Studio::Weight::Regular, true), Studio::text2(), m_manualRow);
    m_sliderPercent->setFixedWidth(26);
    m_sliderPercent->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    auto* manual = new QHBoxLayout(m_manualRow);
    manual->setContentsMargins(0, 0, 0, 0);
    manual->addWidget(m_slider, 1);
    manual->addWidget(m_sliderPercent);
    // Every change is kept: keyboard, wheel and groove clicks store at once, a
    // drag stores where it ends (the stored figures stay put while dragging).
    connect(m_slider, &QSlider::valueChanged, this, &ProgressSection::sliderMoved);
    connect(m_slider, &QSlider::sliderReleased, this, &ProgressSection::commitSlider);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(10);
    column->addWidget(new SectionTitle(QStringLiteral("进度"), QStringLiteral("LEVEL"), std::nullopt, this));
    column->addLayout(levelRow);
    column->addWidget(m_tape);
    column->addLayout(modeRow);
    column->addWidget(m_manualRow);
}

QString ProgressSection::deliveredText(const AudioProject& project) {
    return QStringLiteral("交付 %1/%2").arg(project.doneCount()).arg(project.items.size());
}

bool ProgressSection::spins(const AudioProject& project) {
    const double progress = project.progress();
    return project.isActive() && progress > 0 && progress < 1;
}

void ProgressSection::refresh(const AudioProject& project) {
    const QColor color = Studio::typeColor(m_store.registry().type(project.typeID));
    const double progress = project.progress();
    moveWaveform(progress);
    m_waveform->setColor(color);
    m_percent->setText(StudioText::percent(progress));
    m_tape->setProgress(progress);
    m_tape->setColor(color);
    m_tape->setSpinning(spins(project));

    const bool manual = project.progressMode == ProgressMode::Manual;
    for (int i = 0; i < m_modeChips.size(); ++i)
        m_modeChips.at(i)->setSelected(allProgressModes().at(i) == project.progressMode);
    m_delivered->setVisible(!manual);
    m_delivered->setText(deliveredText(project));
    m_manualRow->setVisible(manual);

    // A value from elsewhere (panel, widget, file) moves the slider, unless the user holds it.
    if (!m_slider->isSliderDown()) {
        m_sliderValue = clampedFraction(project.manualProgress);
        const QSignalBlocker quiet(m_slider);
        m_slider->setValue(ProgressSlider::position(m_sliderValue));
        m_sliderPercent->setText(StudioText::percent(m_sliderValue));
    }
}

void ProgressSection::moveWaveform(double progress) {
    const bool moving = m_waveformMotion->state() != QAbstractAnimation::Stopped;
    if ((moving ? m_waveformMotion->endValue().toDouble() : m_waveform->progress()) == progress)
        return;
    m_waveformMotion->stop();
    // A pane filled before it shows starts at its project's figure.
    if (!isVisible()) {
        m_waveform->setProgress(progress);
        return;
    }
    m_waveformMotion->setStartValue(m_waveform->progress());
    m_waveformMotion->setEndValue(progress);
    m_waveformMotion->start();
}

void ProgressSection::chooseMode(ProgressMode mode) {
    m_store.update(m_projectID, [mode](AudioProject& p) { p.progressMode = mode; });
}

void ProgressSection::sliderMoved(int position) {
    Q_UNUSED(position);
    m_sliderValue = m_slider->fraction();
    m_sliderPercent->setText(StudioText::percent(m_sliderValue));
    if (!m_slider->isSliderDown())
        commitSlider();
}

void ProgressSection::commitSlider() {
    const double value = clampedFraction(m_sliderValue);
    m_store.update(m_projectID, [value](AudioProject& p) {
        p.manualProgress = value;
        p.touch();
    });
}

} // namespace sorvel
