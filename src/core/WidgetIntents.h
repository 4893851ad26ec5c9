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

    // current + delta rounded to tenths (halves away from zero), within 0…1.
    // A current value that is not finite counts as 0; a delta that is not
    // finite leaves the value as it is.
    static double steppedProgress(double current, double delta);
};

} // namespace sorvel
