#pragma once

#include <QList>
#include <QUuid>

namespace sorvel::WaveformPattern {

// The fixed relative bar heights of a project, each in [0.2, 1.0); the same
// in every window and in the widget. A count below 1 gives no bars.
QList<double> heights(const QUuid& seed, int count);

} // namespace sorvel::WaveformPattern
