#pragma once

#include <QString>

namespace sorvel {

// Advances one cue of a project to its next stage, directly in the data file.
struct ToggleItemIntent {
    QString projectID;
    QString itemID;
    void perform() const;
};

// Steps a project's manual progress by delta, rounded to tenths, within 0…1.
struct AdjustProgressIntent {
    QString projectID;
    double delta = 0;
    void perform() const;
};

} // namespace sorvel
