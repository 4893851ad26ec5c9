#pragma once

#include "core/AudioProject.h"

#include <QUuid>

#include <optional>

namespace sorvel::test {

// A cue with a fresh identifier, for the pictures and texts of the tape drawings.
inline Cue sampleCue(const QString& number, const QString& title, CueStage stage,
                     std::optional<qint64> duration = {}) {
    Cue cue;
    cue.id = QUuid::createUuid();
    cue.number = number;
    cue.title = title;
    cue.stage = stage;
    cue.duration = duration;
    return cue;
}

} // namespace sorvel::test
