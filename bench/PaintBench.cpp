#include "Benchmark.h"

#ifdef HAVE_SORVEL_STUDIO

#include "studio/CassetteCard.h"
#include "studio/Studio.h"
#include "studio/WaveformBars.h"

#include "core/Clock.h"

#include <QImage>
#include <QPainter>

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

void paintCards(const AudioProject& project, qreal ratio, const QString& label) {
    const ProjectType kind = ProjectType::defaults().first();
    const QSize size(300, int(std::ceil(CassetteCard::naturalHeight())));
    QImage image = canvas(size, ratio);
    const CassetteCard::Look look{false, true, Studio::tape(), 20};
    const auto paintOne = [&] {
        image.fill(Studio::bg0());
        QPainter painter(&image);
        CassetteCard::paint(painter, QRectF(QPointF(0, 0), size), project, kind, look);
    };
    paintOne();  // fonts and symbol images warm up outside the timing
    bench::measure(label, 500, paintOne);
    bench::keep(image);
}

} // namespace

SORVEL_BENCHMARK(PaintCassetteCard) {
    const AudioProject project = sampleProject();
    paintCards(project, 1, QStringLiteral("paint one cassette card 300 pt wide, ratio 1"));
    paintCards(project, 2, QStringLiteral("paint one cassette card 300 pt wide, ratio 2"));
    AudioProject archived = project;
    archived.status = ProjectStatus::Done;
    archived.archivedAt = Clock::startOfToday();
    paintCards(archived, 2, QStringLiteral("paint one archived (layered) card, ratio 2"));
}

SORVEL_BENCHMARK(PaintWaveform) {
    const QUuid seed = QUuid::createUuid();
    for (const qreal ratio : {1.0, 2.0}) {
        QImage image = canvas(QSize(300, 64), ratio);
        const auto paintOne = [&] {
            image.fill(Studio::bg0());
            QPainter painter(&image);
            WaveformBars::paint(painter, QRectF(0, 0, 300, 64), 0.4, Studio::tape(), seed, 36, Studio::bg3());
        };
        paintOne();
        bench::measure(QStringLiteral("paint one waveform of 36 bars, 300 × 64 pt, ratio %1").arg(ratio), 2000, paintOne);
        bench::keep(image);
    }
}

#endif
