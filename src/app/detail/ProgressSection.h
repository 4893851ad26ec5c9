#pragma once

#include "core/AudioProject.h"

#include <QList>
#include <QUuid>
#include <QWidget>

class QLabel;
class QVariantAnimation;

namespace sorvel {

class DetailChip;
class ProgressSlider;
class ProjectStore;
class TapeWindow;
class WaveformBars;

// How far the project has come: waveform, large percentage and tape window;
// the choice between progress from delivered cues and progress set by hand;
// and, by hand, the slider of the manual value.
class ProgressSection final : public QWidget {
    Q_OBJECT
public:
    ProgressSection(const QUuid& projectID, ProjectStore& store, QWidget* parent = nullptr);

    // "交付 3/8": delivered cues of all cues.
    static QString deliveredText(const AudioProject& project);
    // Whether the reels turn: an active project strictly between 0 and 1.
    static bool spins(const AudioProject& project);

    void refresh(const AudioProject& project);

    void chooseMode(ProgressMode mode);
    // The slider's value, shown beside it; the project's value once stored.

    WaveformBars* waveform() const { return m_waveform; }
    // Carries the waveform to a new progress while the section is shown.
    QVariantAnimation* waveformMotion() const { return m_waveformMotion; }
    QLabel* percentLabel() const { return m_percent; }
    TapeWindow* tapeWindow() const { return m_tape; }
    // In the order of the modes.
    const QList<DetailChip*>& modeChips() const { return m_modeChips; }
    QLabel* deliveredLabel() const { return m_delivered; }
    QWidget* manualRow() const { return m_manualRow; }
    ProgressSlider* slider() const { return m_slider; }
    QLabel* sliderPercentLabel() const { return m_sliderPercent; }

private:
    void moveWaveform(double progress);
    void sliderMoved(int position);
    void commitSlider();

    QUuid m_projectID;
    ProjectStore& m_store;
    double m_sliderValue = 0;
    WaveformBars* m_waveform;
    QVariantAnimation* m_waveformMotion;
    QLabel* m_percent;
    TapeWindow* m_tape;
    QList<DetailChip*> m_modeChips;
    QLabel* m_delivered;
    QWidget* m_manualRow;
    ProgressSlider* m_slider;
    QLabel* m_sliderPercent;
};

} // namespace sorvel
