#include "widget/SampleData.h"

#include "core/Clock.h"
#include "core/ProjectType.h"

namespace sorvel::SampleData {

namespace {

// Stages are set directly: sample cues carry only a start date.
Cue sampleCue(const QString& number, const QString& title, qint64 duration, CueStage stage, const QDateTime& now) {
    Cue cue;
    cue.id = QUuid::createUuid();
    cue.number = number;
    cue.title = title;
    cue.duration = duration;
    cue.stage = stage;
    cue.startDate = now;
    return cue;
}

AudioProject sampleProject(const QString& name, const QUuid& typeID, ProjectStatus status, ProgressMode mode,
                           double manualProgress, const QDateTime& now) {
    AudioProject project = AudioProject::make(name, typeID);
    project.createdAt = now;
    project.updatedAt = now;
    project.status = status;
    project.progressMode = mode;
    project.manualProgress = manualProgress;
    return project;
}

} // namespace

QList<AudioProject> projects() {
    const QDateTime now = Clock::now();
    AudioProject score = sampleProject(QStringLiteral("春季 BGM"), ProjectType::musicID, ProjectStatus::InProgress,
                                       ProgressMode::Auto, 0, now);
    score.items = {
        sampleCue(QStringLiteral("1"), QStringLiteral("主旋律"), 185, CueStage::Delivered, now),
        sampleCue(QStringLiteral("2"), QStringLiteral("秦淮景 哼鸣"), 204, CueStage::Mixed, now),
        sampleCue(QStringLiteral("3"), QStringLiteral("导出循环"), 63, CueStage::NotStarted, now),
    };
    return {
        score,
        sampleProject(QStringLiteral("脚步声"), ProjectType::sfxID, ProjectStatus::InProgress, ProgressMode::Manual,
                      0.6, now),
        sampleProject(QStringLiteral("田野环境声"), ProjectType::ambienceID, ProjectStatus::NotStarted,
                      ProgressMode::Auto, 0, now),
    };
}

} // namespace sorvel::SampleData
