#pragma once

#include "core/AudioProject.h"
#include "core/ProjectType.h"

#include <QDateTime>
#include <QString>

#include <optional>

namespace sorvel::test {

// A cue with a fresh identifier at `stage`, no number, title or dates.
inline Cue cueAt(CueStage stage, std::optional<qint64> duration = std::nullopt) {
    Cue cue;
    cue.id = QUuid::createUuid();
    cue.stage = stage;
    cue.duration = duration;
    return cue;
}

// A numbered, titled cue, for the pictures and texts of the tape drawings.
inline Cue sampleCue(const QString& number, const QString& title, CueStage stage, std::optional<qint64> duration = {}) {
    Cue cue = cueAt(stage, duration);
    cue.number = number;
    cue.title = title;
    return cue;
}

// A music project with one cue, numbered "1" and titled "Opening", at `stage`.
inline AudioProject projectWithCue(const QString& name, CueStage stage = CueStage::NotStarted) {
    AudioProject project = AudioProject::make(name, ProjectType::musicID);
    Cue cue = cueAt(stage);
    cue.number = QStringLiteral("1");
    cue.title = QStringLiteral("Opening");
    project.items.append(cue);
    return project;
}

// A music project called "Tape" whose progress is set by hand, at 40 %.
inline AudioProject manualTape() {
    AudioProject made = AudioProject::make(QStringLiteral("Tape"), ProjectType::musicID);
    made.progressMode = ProgressMode::Manual;
    made.manualProgress = 0.4;
    return made;
}

// The modification time decoding gives bytes that come from no file.
inline QDateTime fileTime() {
    return QDateTime(QDate(2024, 6, 1), QTime(12, 0), Qt::UTC);
}

} // namespace sorvel::test
