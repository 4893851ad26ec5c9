#include "studio/CassetteCard.h"
#include "studio/Studio.h"
#include "studio/WaveformBars.h"

#include "core/Clock.h"

#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <cmath>

namespace {

using namespace sorvel;

AudioProject sampleProject() {
    AudioProject project = AudioProject::make(QStringLiteral("Farming 春季配乐"), ProjectType::musicID);
    project.status = ProjectStatus::InProgress;
    project.deadline = Clock::startOfToday().addDays(9);
    const CueStage stages[] = {CueStage::Delivered, CueStage::Mixed, CueStage::Composing};
    for (int i = 0; i < 3; ++i) {
        Cue cue;
        cue.id = QUuid::createUuid();
        cue.number = QStringLiteral("M0%1").arg(i + 1);
        cue.title = QStringLiteral("段落 %1").arg(i + 1);
        cue.stage = stages[i];
        cue.duration = 90 + i * 30;
        project.items.append(cue);
    }
    return project;
}

QImage canvas(const QSize& size, qreal ratio) {
    QImage image(QSize(qRound(size.width() * ratio), qRound(size.height() * ratio)),
                 QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    return image;
}

// One card 300 pt wide at the device pixel ratio given as the argument.
void paintCards(benchmark::State& state, const AudioProject& project) {
    const qreal ratio = qreal(state.range(0));
    const ProjectType kind = ProjectType::defaults().first();
    const QSize size(300, int(std::ceil(CassetteCard::naturalHeight())));
    QImage image = canvas(size, ratio);
    const CassetteCard::Look look{false, true, Studio::tape(), 20};
    const auto paintOne = [&] {
        image.fill(Studio::bg0());
        QPainter painter(&image);
        CassetteCard::paint(painter, QRectF(QPointF(0, 0), size), project, kind, look);
    };
    paintOne(); // fonts and symbol images warm up outside the timing
    for (auto _ : state)
        paintOne();
    benchmark::DoNotOptimize(image);
}

void paintCassetteCard(benchmark::State& state) {
    paintCards(state, sampleProject());
}

// Archived cards fade as one layered picture.
void paintArchivedCassetteCard(benchmark::State& state) {
    AudioProject archived = sampleProject();
    archived.status = ProjectStatus::Done;
    archived.archivedAt = Clock::startOfToday();
    paintCards(state, archived);
}

// A waveform of 36 bars, 300 × 64 pt.
void paintWaveform(benchmark::State& state) {
    const QUuid seed = QUuid::createUuid();
    const qreal ratio = qreal(state.range(0));
    QImage image = canvas(QSize(300, 64), ratio);
    const auto paintOne = [&] {
        image.fill(Studio::bg0());
        QPainter painter(&image);
        WaveformBars::paint(painter, QRectF(0, 0, 300, 64), 0.4, Studio::tape(), seed, 36, Studio::bg3());
    };
    paintOne();
    for (auto _ : state)
        paintOne();
    benchmark::DoNotOptimize(image);
}

} // namespace

BENCHMARK(paintCassetteCard)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);
BENCHMARK(paintArchivedCassetteCard)->Arg(2)->Unit(benchmark::kMicrosecond);
BENCHMARK(paintWaveform)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);
