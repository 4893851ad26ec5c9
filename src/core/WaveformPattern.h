#pragma once

#include <QList>
#include <QUuid>

namespace sorvel::WaveformPattern {

// The fixed relative bar heights of a project, each in [0.2, 1.0); the same
// in every window and in the widget. A count below 1 gives no bars.
QList<double> heights(const QUuid& seed, int count);
// The hash of the seed's upper-case text that starts the bar generator.
quint64 seedHash(const QUuid& seed);

} // namespace sorvel::WaveformPattern
