#pragma once

#include "core/CueStage.h"

#include <QColor>
#include <QString>

namespace sorvel {

// How a cue stage shows: its symbol, title and colour, shared by the stage
// badge, the stage button and the stage menus.
struct StageLook {
    QString symbol;
    QString title;
    QColor color;

    static StageLook of(CueStage stage);
};

} // namespace sorvel
