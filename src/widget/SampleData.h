#pragma once

#include "core/AudioProject.h"

#include <QList>

namespace sorvel::SampleData {

// Three made-up projects for the placeholder and the gallery preview, built
// anew at every call (fresh identifiers and timestamps).
QList<AudioProject> projects();

} // namespace sorvel::SampleData
